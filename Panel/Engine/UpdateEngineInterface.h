#pragma once

#include "Panel/Engine/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/System/RetriggerableThreader.h"
#include "ZQFramework/System/Sync/LEvent.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/ThreadWorker.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <array>
#include <atomic>
#include <cstdint>

// Names of the notifications the engine posts to the default notification center; the updater's
// main control receives them.
inline constexpr const char16_t* kDeviceStateChangeNotificationName = u"NID_DEVICE_STATE_CHANGE";
inline constexpr const char16_t* kFirmwareFileStateChangeNotificationName = u"NID_FIRMWARE_FILE_STATE_CHANGE";
inline constexpr const char16_t* kFoundDeviceListChangeNotificationName = u"NID_FOUND_DEVICE_LIST_CHANGE";
inline constexpr const char16_t* kFirmwareUpdateProgressNotificationName = u"NID_FIRMWARE_UPDATE_PROGRESS";
inline constexpr const char16_t* kFirmwareUpdateCompletedNotificationName = u"NID_FIRMWARE_UPDATE_COMPLETED";

// Every name above, for checks over the whole vocabulary.
inline constexpr std::array kEngineNotificationNames{
    kDeviceStateChangeNotificationName,       kFirmwareFileStateChangeNotificationName,
    kFoundDeviceListChangeNotificationName,   kFirmwareUpdateProgressNotificationName,
    kFirmwareUpdateCompletedNotificationName,
};

// The abstract firmware update engine: the device models it can update, the state of the device it found,
// the firmware file and its version, the result of the last update, and the worker thread that runs the
// update. Every change of these is posted as a notification to the default center. The application and
// the update processor own the engine through counted references and talk to it only through this class.
//
// Threads: the caller's (UI) thread runs everything but DoWork, which runs on the engine's worker. The
// state, the selection, the results and the flags are atomics; the file path, the file version and the
// device definitions are guarded by mDataLock, which is never held across a call out of this class.
class LUpdateEngineInterface : public virtual ZQ::LRefCountedObject, public virtual ZQ::LThreadWorker
{
public:
    // One device model, found by the names of its MIDI ports.
    struct DeviceDefinition
    {
        int32_t mReserved[4] = {0, 0, 0, 0}; // not interpreted by the engines
        ZQ::WString mInputPortName;          // normal mode
        ZQ::WString mInputPortNameUpdateMode;
        ZQ::WString mOutputPortName; // normal mode
        ZQ::WString mOutputPortNameUpdateMode;
        ZQ::WString mExtra; // not used by the engines
    };

    // A firmware version: of the firmware file or of a device.
    struct FirmwareVersion
    {
        uint32_t mMajor = 0;
        uint32_t mMinor = 0;
        uint32_t mPatch = 0;
        uint32_t mBuild = 0;
        ZQ::WString mText;
    };

    enum ThreadWorkerTask : int32_t
    {
        TaskEnterUpdateMode = 0,
        TaskPerformUpdate = 1,
    };

    // Device states.
    static constexpr int32_t kStateNoDefinitions = 0;
    static constexpr int32_t kStateNoDevice = 1;
    static constexpr int32_t kStateScanning = 2;
    static constexpr int32_t kStateDevicesFound = 3;
    static constexpr int32_t kStateError = 4;
    static constexpr int32_t kStateNormalMode = 5;
    static constexpr int32_t kStateEnteringUpdateMode = 6;
    static constexpr int32_t kStateUpdateMode = 7;
    static constexpr int32_t kStateUpdating = 8;

    // Update results.
    static constexpr int32_t kResultNone = 0;
    static constexpr int32_t kResultRunning = 1;
    static constexpr int32_t kResultFailed = 2;
    static constexpr int32_t kResultAborted = 3;
    static constexpr int32_t kResultDone = 4;

    // Cannot-update reasons.
    static constexpr int32_t kReasonNone = 0;
    static constexpr int32_t kReasonDriverTooOld = 1;
    static constexpr int32_t kReasonSystemFailure = 2;
    static constexpr int32_t kReasonFileAccess = 3;
    static constexpr int32_t kReasonDeviceAccess = 4;

    // Firmware file states.
    static constexpr int32_t kFileNone = 0;
    static constexpr int32_t kFileInvalid = 1;
    static constexpr int32_t kFilePathOnly = 2;
    static constexpr int32_t kFileValid = 3;

    // The largest firmware image taken, 16 MiB: at the device's pace of 128 bytes every 20 ms (about
    // 6.4 KB/s) its transfer takes about 44 minutes. A larger file is no image this device can take in a
    // sensible time, and its file state is invalid, as a missing file's is.
    static constexpr int32_t kMaxFirmwareImageSize = 16 * 1024 * 1024;
    // Whether the path names a regular file of at most kMaxFirmwareImageSize bytes that can be opened
    // for reading. Never waits: a FIFO or a device in the file's place is no image.
    [[nodiscard]] static bool IsFirmwareImageFile(const ZQ::WString& path);

    // How long the destructor lets a running task finish.
    static constexpr uint32_t kWorkerStopTimeout = 60000;

    ~LUpdateEngineInterface() override;

    virtual ZQRESULT Initialize(const ZQ::WString& commandLine);
    virtual ZQRESULT ReservedOperation(int32_t value);
    [[nodiscard]] virtual int32_t GetState();
    virtual ZQRESULT SetDeviceDefinitions(const ZQ::Array<DeviceDefinition>& definitions);
    virtual ZQRESULT ScanForDevices();
    virtual ZQRESULT GetFoundDevices(ZQ::Array<DeviceDefinition>& devices) = 0;
    virtual ZQRESULT SelectDevice(uint32_t index);
    [[nodiscard]] virtual int32_t GetSelectedDeviceIndex();
    virtual ZQRESULT GetCannotUpdateReason(int32_t& reason);
    virtual ZQRESULT GetDeviceVersionText(ZQ::WString& text);
    virtual ZQRESULT ProbeSelectedDevice() = 0;
    [[nodiscard]] virtual int32_t GetUpdateModeEntryKind();
    virtual ZQRESULT EnterUpdateMode() = 0;
    virtual ZQRESULT StartEnterUpdateMode();
    [[nodiscard]] virtual bool IsUpdateNeeded();
    [[nodiscard]] virtual bool ReservedQuery();
    virtual ZQRESULT StartUpdate();
    virtual ZQRESULT WaitForTask(uint32_t milliseconds);
    // Waits for the started task to end for as long as it makes progress: 0 once it ended (or when none
    // was started), E_FAIL once no progress was posted for the given time, measured on Platform's clock
    // from the task's last progress (or its start), and never from before this wait began. A slow transfer
    // is never cut; a stalled one is.
    virtual ZQRESULT WaitForTaskWhileProgressing(uint32_t stallMilliseconds);
    virtual ZQRESULT RequestAbort() = 0;
    virtual int32_t GetUpdateResult(bool reset);
    [[nodiscard]] virtual int32_t GetFirmwareFileState();
    virtual ZQRESULT SetFirmwareFile(const ZQ::WString& path, const FirmwareVersion& version);
    virtual ZQRESULT SetFirmwareFilePath(const ZQ::WString& path);
    virtual ZQRESULT SetFirmwareFileVersion(const FirmwareVersion& version);
    virtual ZQRESULT GetFirmwareFilePath(ZQ::WString& path);
    virtual ZQRESULT GetFirmwareFileVersionText(ZQ::WString& text);
    virtual ZQRESULT GetFirmwareFileVersion(FirmwareVersion& version);
    virtual bool ParseFirmwareVersionFromFileName();
    virtual void SetState(int32_t state);
    [[nodiscard]] virtual bool RunsTasksOnWorker();
    virtual void PostProgress(int32_t value, double progress, bool estimate, int32_t remainingSeconds,
                              bool flag, const ZQ::WString& statusText);
    virtual void PostDeviceStateChange(int32_t newState, int32_t oldState);
    virtual void PostFirmwareFileStateChange(int32_t newState, int32_t oldState);
    virtual void PostFoundDeviceListChange();
    virtual void PostUpdateCompleted(bool success);
    virtual void SetFirmwareFileState(int32_t state);
    virtual ZQRESULT ScanAllDefinitions() = 0;
    [[nodiscard]] virtual uint32_t GetFoundDeviceCount() = 0;
    [[nodiscard]] virtual bool IsDeviceInUpdateMode(uint32_t index) = 0;
    virtual ZQRESULT GetDeviceStatus(uint32_t index, int32_t& reason) = 0;
    virtual ZQRESULT GetDeviceVersion(uint32_t index, FirmwareVersion& version) = 0;
    // The transfer itself, run by worker task 1. Sets the update result to running at its start and to
    // failed, aborted or done at its end, with the matching state.
    virtual ZQRESULT PerformUpdate() = 0;

    // Runs one task on the worker thread; the parameter is a LHolder<ThreadWorkerTask>.
    ZQRESULT DoWork(ZQ::RCPtr<ZQ::LRefCountedObject>& parameters) override;

    // True when a version is lower than another, comparing major, minor and patch (and build when asked).
    [[nodiscard]] static bool IsVersionLower(const FirmwareVersion& version, const FirmwareVersion& than,
                                             bool compareBuild);

protected:
    LUpdateEngineInterface();

    // The definitions as set; a copy, taken under the data lock.
    [[nodiscard]] ZQ::Array<DeviceDefinition> GetDeviceDefinitions() const;
    [[nodiscard]] bool IsAbortRequested() const { return mAbortRequested.load() != 0; }
    void SetUpdateResult(int32_t result) { mUpdateResult.store(result); }
    void SetSelectedDeviceIndex(int32_t index) { mSelectedIndex.store(index); }

private:
    // Hands a task to the worker; the state and the pending mark are put back when it cannot start.
    ZQRESULT TriggerTask(ThreadWorkerTask task, int32_t stateBefore, int32_t resultBefore);
    // True in the states in which the definitions, the scan and the selection may not change.
    [[nodiscard]] static bool IsBusyState(int32_t state);

    std::atomic<bool> mPostingEnabled{true};
    ZQ::RetriggerableThreader mWorker;
    ZQ::RCPtr<ZQ::LEvent> mCompletionEvent;
    std::atomic<int32_t> mState{kStateNoDefinitions};
    std::atomic<int32_t> mSelectedIndex{-1};
    std::atomic<int32_t> mUpdateResult{kResultNone};
    std::atomic<uint8_t> mAbortRequested{0};
    std::atomic<uint8_t> mRunTasksOnWorker{0};
    std::atomic<int32_t> mFirmwareFileState{kFileNone};
    // Set by a started task until its end has been awaited (or the task could not start).
    std::atomic<bool> mTaskPending{false};
    // When the running task last showed progress (its start or its last progress notification), in
    // Platform clock ticks.
    std::atomic<int64_t> mLastProgressTicks{0};

    mutable ZQ::Mutex mDataLock;
    ZQ::Array<DeviceDefinition> mDeviceDefinitions; // guarded by mDataLock
    ZQ::WString mFirmwareFilePath;                  // guarded by mDataLock
    FirmwareVersion mFirmwareFileVersion;           // guarded by mDataLock

    friend class LUpdateEngine;
};

namespace ZQ
{
// Parameter of "NID_DEVICE_STATE_CHANGE".
class LDeviceStateChangeNotificationData : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LDeviceStateChangeNotificationData> Create(int32_t newState, int32_t oldState);
    const int32_t mNewState;
    const int32_t mOldState;

private:
    LDeviceStateChangeNotificationData(int32_t newState, int32_t oldState);
};

// Parameter of "NID_FIRMWARE_FILE_STATE_CHANGE".
class LFirmwareFileStateChangeNotificationData : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LFirmwareFileStateChangeNotificationData> Create(int32_t newState,
                                                                                int32_t oldState);
    const int32_t mNewState;
    const int32_t mOldState;

private:
    LFirmwareFileStateChangeNotificationData(int32_t newState, int32_t oldState);
};

// Parameter of "NID_FIRMWARE_UPDATE_COMPLETED": 1 when the update task's result was not negative.
class LFirmwareUpdateCompletedNotificationData : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LFirmwareUpdateCompletedNotificationData> Create(int32_t success);
    const int32_t mSuccess;

private:
    explicit LFirmwareUpdateCompletedNotificationData(int32_t success);
};

// Parameter of "NID_FIRMWARE_UPDATE_PROGRESS". With estimate set the receiver estimates the remaining
// time itself from the progress; otherwise it shows the remaining seconds given (-1: unknown).
class LFirmwareUpdateProgressNotificationData : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LFirmwareUpdateProgressNotificationData> Create(int32_t value, double progress,
                                                                               int32_t remainingSeconds,
                                                                               bool estimate, bool flag,
                                                                               const WString& statusText);
    const int32_t mValue; // always 0; not read
    const double mProgress;
    const int32_t mRemainingSeconds;
    const uint8_t mEstimate;
    const uint8_t mFlag; // always false; not read
    const WString mStatusText;

private:
    LFirmwareUpdateProgressNotificationData(int32_t value, double progress, int32_t remainingSeconds,
                                            bool estimate, bool flag, const WString& statusText);
};
} // namespace ZQ
