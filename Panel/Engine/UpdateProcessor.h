#pragma once

#include "Panel/Engine/UpdateEngineInterface.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <cstdint>

// Runs the start-up of an update from the program's command line: gives the engine the firmware file and
// the definition of this device, finds the device, and, as the options ask, starts the update unattended,
// closes at once when none is needed, or reports the device's update-mode status as the process exit
// value. Owns the engine, which the application reaches through it. Made by the application at start-up;
// used on the UI thread.
class LUpdateProcessor : public ZQ::LRefCountedObject
{
public:
    // Exit values with "-RETURN_UPDATE_MODE_STATUS".
    static constexpr int32_t kExitNoDeviceOrDriverTooOld = 1;
    static constexpr int32_t kExitUpdateModeNotNeeded = 2;
    static constexpr int32_t kExitUpdateModeNeeded = 3;
    static constexpr int32_t kExitNormalModeNotNeeded = 4;
    static constexpr int32_t kExitNormalModeNeeded = 5;
    // Exit values of the other ends that a script must tell from success (which is 0: the image was sent
    // whole, no update was needed, or the user closed the window).
    static constexpr int32_t kExitNoDevice = 10;
    static constexpr int32_t kExitDriverTooOldOrEngineError = 11;
    static constexpr int32_t kExitFirmwareFileInvalid = 12;
    // An update was needed but could not be started unattended (the device is in normal mode).
    static constexpr int32_t kExitUpdateNotStarted = 13;
    // The transfer failed, was aborted, stalled, or was interrupted by a signal.
    static constexpr int32_t kExitTransferFailed = 14;
    // The start needed the window and none could be made (no display).
    static constexpr int32_t kExitNoWindow = 15;
    // How long a running update may go without progress before it is ended as an abort ends it.
    static constexpr uint32_t kSilentUpdateWait = 600000;

    [[nodiscard]] static ZQ::RCPtr<LUpdateProcessor> Create();
    // A processor over another engine (an engine of a test bench).
    [[nodiscard]] static ZQ::RCPtr<LUpdateProcessor> Create(const ZQ::RCPtr<LUpdateEngineInterface>& engine);
    ~LUpdateProcessor() override;

    // 0 (the window opens), ZQ_E_APP_WORK_DONE (close without a window), or throws
    // ZQ::Exception<ZQ::FailedResultException> when the engine cannot be initialised.
    ZQRESULT Initialize(const ZQ::WString& commandLine);
    // Initialize again with the first command line.
    ZQRESULT Reinitialize();
    [[nodiscard]] bool GetAlwaysUpdate() const { return mAlwaysUpdate.load(); }
    // 1 when the flag had that value already, else 0.
    ZQRESULT SetAlwaysUpdate(bool alwaysUpdate);
    [[nodiscard]] ZQ::RCPtr<LUpdateEngineInterface> GetEngine() const { return mEngine; }

    // Asks a running transfer to end as the abort button does, for a signal that asks the program to end;
    // any thread. True when a transfer was running; false when none was, and for every call after the
    // first that succeeded.
    bool InterruptTransfer();
    [[nodiscard]] bool IsTransferInterrupted() const { return mInterrupted.load(); }
    // Waits for the started transfer to end for as long as it makes progress; one that stalls is ended as
    // an abort ends it. The exit value its outcome earns: 0 when the image was sent whole, else
    // kExitTransferFailed.
    [[nodiscard]] int32_t FinishTransfer();

protected:
    explicit LUpdateProcessor(const ZQ::RCPtr<LUpdateEngineInterface>& engine);

private:
    void SetUpFirmwareFile();
    // Gives the engine this device's definition unless it is busy, so that every later scan has it,
    // whatever state an earlier start left.
    void SetUpDeviceDefinitions();
    [[nodiscard]] int32_t UpdateModeStatus();
    // The exit value of a start that opens the window, for when the window cannot be made: why the
    // window is needed.
    [[nodiscard]] int32_t ExitValueWithoutWindow();
    ZQRESULT RunRequestedUpdate();
    [[nodiscard]] bool HasOption(const char16_t* option) const;

    const ZQ::RCPtr<LUpdateEngineInterface> mEngine;
    mutable ZQ::Mutex mLock;  // guards mCommandLine
    ZQ::WString mCommandLine; // the first command line given
    std::atomic<bool> mAlwaysUpdate{false};
    std::atomic<bool> mInterrupted{false};
};

// Finds an option in a command line, ignoring case. An option is found only where an argument begins (at
// the start of the line or after a space) outside double quotes, so that a quoted value (a path holding
// spaces) never holds an option. An option ending in '=' takes the value after it: up to the next space,
// or, when it begins with a double quote, up to the closing quote (the quotes are not part of the value);
// a space right after the '=' means no value. Any other option is a flag, found only when a space or the
// end of the line follows it. Only the option's first occurrence counts.
[[nodiscard]] bool FindOption(const ZQ::WString& commandLine, const ZQ::WString& option, ZQ::WString& value);

// The command line as the program would have been given it whole: the arguments after the program's own
// name, joined by single spaces. An option "-NAME=value" whose value holds a space becomes -NAME="value";
// any other argument that holds a space is wrapped in double quotes. A value or an argument that is in
// double quotes already (as a launcher that quotes as on Windows passes it) is left as it is.
[[nodiscard]] ZQ::WString BuildCommandLine(int argc, const char* const* argv);
