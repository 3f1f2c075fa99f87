#pragma once

#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

// The hand-over to the sibling firmware updater: the device's second firmware (its USB audio chip) is
// updated by another program of the product, installed one folder above this program's folder. Whenever
// the device is seen in normal mode after this program's own update, or without an update of its own
// being needed, this program asks the sibling whether it has work to do and, when it has, starts it and
// ends itself. Everything runs on the UI thread inside the main control's device-state handler; the
// status run blocks the window until the sibling has ended.

// How the sibling is started: through the system's process calls, or a test's stand-in.
class ISiblingUpdaterLauncher
{
public:
    virtual ~ISiblingUpdaterLauncher() = default;
    // Starts the program and waits for its end; 0 with its exit code, else E_FAIL.
    virtual ZQRESULT LaunchAndWait(const ZQ::WString& path, const ZQ::WStringArray& arguments,
                                   int32_t& exitCode) = 0;
    // Starts the program without waiting; 0 when it was started, else E_FAIL.
    virtual ZQRESULT Launch(const ZQ::WString& path, const ZQ::WStringArray& arguments) = 0;
};

// The launcher in use: the system's unless one has been set. Setting null restores the system's.
[[nodiscard]] ISiblingUpdaterLauncher& GetSiblingUpdaterLauncher();
void SetSiblingUpdaterLauncher(ISiblingUpdaterLauncher* launcher);

// The sibling's exit codes that mean it has an update to do (in update mode and in normal mode).
inline constexpr int32_t kSiblingUpdateNeededInUpdateMode = 3;
inline constexpr int32_t kSiblingUpdateNeededInNormalMode = 5;

// "<program folder>/../Tavrin DJ Q3300 Firmware Updater.exe", built anew at each call.
[[nodiscard]] ZQ::WString GetXmosUpdaterPath();
// Runs the sibling with the single argument "-RETURN_UPDATE_MODE_STATUS" and waits for it: true with its
// exit code in status, false (status -1) when it could not be started or its code not read.
bool GetXmosUpdaterUpdateModeStatus(int32_t& status);
// Starts the sibling without arguments; shows the application's error box when it cannot be started.
void LaunchXmosFirmwareUpdater();
// The decision, at a change of the device state: in normal mode, after this program's update or when
// this program has none to make, a sibling with work to do is started and this program asked to end.
// Throws the "Null Pointer" runtime errors when the application has no processor or the processor no
// engine at the moment they are needed.
void DeviceSpecificDeviceStateChangedProcessing(int32_t newState, int32_t updateResult, int32_t fileState);
