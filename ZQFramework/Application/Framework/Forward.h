#pragma once

// Forward declarations of the framework application library: the application object, its base for
// programs, the status text it shows and the busy cursor.
namespace ZQ
{
class LFrameworkApp;
template <class T>
class LApplicationBase;
class IStatusBarText;
class CAutoWaitCursor;
} // namespace ZQ
