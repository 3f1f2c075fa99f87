#pragma once

// Forward declarations of the control library: the concrete controls of the skins.
namespace ZQ
{
class LLabel;
class LButton;
class LProgressBar;
class LToolTip;
class LStatusBar;
class LScrollbar;
class LScrollView;
class LPanel;
} // namespace ZQ
