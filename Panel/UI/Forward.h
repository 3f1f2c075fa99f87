#pragma once

// Forward declarations of the updater application.
class LApplication;
class ISiblingUpdaterLauncher;

namespace ZQ
{
class LMainControl;
} // namespace ZQ
