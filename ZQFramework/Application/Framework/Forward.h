#pragma once

// Forward declarations of the framework application library: the application object, its base for
// programs, the status text it shows, the busy cursor, the splash screen and the program's host.
namespace ZQ
{
class LFrameworkApp;
template <class T>
class LApplicationBase;
class IStatusBarText;
class CAutoWaitCursor;
class CSplashScreen;
class SplashProgress;
class ISplashWindow;
class CFrameworkWinApp;
template <class T>
class MFCFrameworkApp;
} // namespace ZQ
