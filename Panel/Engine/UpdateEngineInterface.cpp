#include "Panel/Engine/UpdateEngineInterface.h"

#include "Platform/Clock/Clock.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/System/Sync/EventCore.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/File.h"

#include <algorithm>
#include <chrono>
#include <exception>

using namespace ZQ;

namespace
{
constexpr const char16_t* kNotAvailable = u"N/A";

// How often a wait bounded by progress looks at the time of the last progress.
constexpr uint32_t kProgressCheckInterval = 100;

int64_t NowTicks()
{
    return Platform::Now().time_since_epoch().count();
}

// The version every existing firmware file is taken to hold.
LUpdateEngineInterface::FirmwareVersion FixedFileVersion()
{
    LUpdateEngineInterface::FirmwareVersion version;
    version.mMajor = 1;
    version.mMinor = 2;
    version.mPatch = 0;
    version.mBuild = 1;
    version.mText = u"1.5";
    return version;
}

void Post(const char16_t* name, const ConstRCPtr<LRefCountedObject>& param)
{
    // Posting is best effort: a notification that cannot be made or queued is dropped.
    try
    {
        const RCPtr<LNotification> notification = LNotification::Create(name, param);
        const RCPtr<LNotificationCenter> center = GetDefaultNotificationCenter();
        if (notification && center)
            (void)center->PostNotification(notification);
    }
    catch (...)
    {
    }
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}
} // namespace

LUpdateEngineInterface::LUpdateEngineInterface() : mWorker(WString()), mCompletionEvent(LEvent::Create(true))
{
}

LUpdateEngineInterface::~LUpdateEngineInterface()
{
    mWorker.Stop(kWorkerStopTimeout);
}

ZQRESULT LUpdateEngineInterface::Initialize(const WString& /*commandLine*/)
{
    return S_OK;
}

ZQRESULT LUpdateEngineInterface::ReservedOperation(int32_t /*value*/)
{
    return S_OK;
}

int32_t LUpdateEngineInterface::GetState()
{
    return mState.load();
}

bool LUpdateEngineInterface::IsBusyState(int32_t state)
{
    return state == kStateScanning || state == kStateEnteringUpdateMode || state == kStateUpdating;
}

void LUpdateEngineInterface::SetState(int32_t state)
{
    const int32_t old = mState.exchange(state);
    if (old != state)
        PostDeviceStateChange(state, old);
}

void LUpdateEngineInterface::SetFirmwareFileState(int32_t state)
{
    const int32_t old = mFirmwareFileState.exchange(state);
    if (old != state)
        PostFirmwareFileStateChange(state, old);
}

ZQRESULT LUpdateEngineInterface::SetDeviceDefinitions(const Array<DeviceDefinition>& definitions)
{
    if (IsBusyState(mState.load()))
        return E_FAIL;
    {
        const MutexLocker lock(mDataLock);
        mDeviceDefinitions = definitions;
    }
    mSelectedIndex.store(-1);
    SetState(kStateNoDevice);
    return S_OK;
}

Array<LUpdateEngineInterface::DeviceDefinition> LUpdateEngineInterface::GetDeviceDefinitions() const
{
    const MutexLocker lock(mDataLock);
    return mDeviceDefinitions;
}

ZQRESULT LUpdateEngineInterface::ScanForDevices()
{
    if (IsBusyState(mState.load()))
        return E_FAIL;
    mSelectedIndex.store(-1);
    const ZQRESULT result = ScanAllDefinitions();
    const uint32_t count = GetFoundDeviceCount();
    if (count == 0 || Failed(result))
    {
        SetState(kStateNoDevice);
    }
    else if (count == 1)
    {
        // Selecting the one device reports the change from "found" to its own state.
        mState.store(kStateDevicesFound);
        (void)SelectDevice(0);
    }
    else
    {
        SetState(kStateDevicesFound);
    }
    return result;
}

ZQRESULT LUpdateEngineInterface::SelectDevice(uint32_t index)
{
    const int32_t state = mState.load();
    if (state < kStateDevicesFound || state == kStateEnteringUpdateMode || state == kStateUpdating)
        return E_FAIL;
    mSelectedIndex.store(-1);
    if (index >= GetFoundDeviceCount())
    {
        SetState(kStateDevicesFound);
        return E_INVALIDARG;
    }
    mSelectedIndex.store(static_cast<int32_t>(index));
    int32_t reason = kReasonNone;
    if (Failed(GetDeviceStatus(index, reason)) || reason != kReasonNone)
        SetState(kStateError);
    else
        SetState(IsDeviceInUpdateMode(index) ? kStateUpdateMode : kStateNormalMode);
    return S_OK;
}

int32_t LUpdateEngineInterface::GetSelectedDeviceIndex()
{
    return mSelectedIndex.load();
}

ZQRESULT LUpdateEngineInterface::GetCannotUpdateReason(int32_t& reason)
{
    if (mState.load() == kStateError)
        return GetDeviceStatus(static_cast<uint32_t>(mSelectedIndex.load()), reason);
    reason = kReasonNone;
    return E_FAIL;
}

ZQRESULT LUpdateEngineInterface::GetDeviceVersionText(WString& text)
{
    text = kNotAvailable;
    if (mState.load() <= kStateDevicesFound)
        return E_FAIL;
    FirmwareVersion version;
    if (Failed(GetDeviceVersion(static_cast<uint32_t>(mSelectedIndex.load()), version)))
        return E_FAIL;
    text = version.mText;
    return S_OK;
}

int32_t LUpdateEngineInterface::GetUpdateModeEntryKind()
{
    return 0;
}

bool LUpdateEngineInterface::IsVersionLower(const FirmwareVersion& version, const FirmwareVersion& than,
                                            bool compareBuild)
{
    if (version.mMajor != than.mMajor)
        return version.mMajor < than.mMajor;
    if (version.mMinor != than.mMinor)
        return version.mMinor < than.mMinor;
    if (version.mPatch != than.mPatch)
        return version.mPatch < than.mPatch;
    return compareBuild && version.mBuild < than.mBuild;
}

bool LUpdateEngineInterface::IsUpdateNeeded()
{
    if (mFirmwareFileState.load() < kFileValid || mState.load() <= kStateDevicesFound)
        return false;
    const int32_t index = mSelectedIndex.load();
    if (index < 0 || static_cast<uint32_t>(index) >= GetFoundDeviceCount())
        return false;
    FirmwareVersion device;
    (void)GetDeviceVersion(static_cast<uint32_t>(index), device);
    FirmwareVersion file;
    (void)GetFirmwareFileVersion(file);
    return IsVersionLower(device, file, false);
}

bool LUpdateEngineInterface::ReservedQuery()
{
    return true;
}

int32_t LUpdateEngineInterface::GetUpdateResult(bool reset)
{
    int32_t result = mUpdateResult.load();
    // Only a finished result is cleared; a concurrent change by the worker wins.
    while (reset && result > kResultRunning && !mUpdateResult.compare_exchange_weak(result, kResultNone))
    {
    }
    return result;
}

int32_t LUpdateEngineInterface::GetFirmwareFileState()
{
    return mFirmwareFileState.load();
}

bool LUpdateEngineInterface::IsFirmwareImageFile(const WString& path)
{
    if (path.IsEmpty())
        return false;
    try
    {
        File file;
        return file.Open(path, WString(), File::kRead) == S_OK && file.GetLength() <= kMaxFirmwareImageSize;
    }
    catch (const std::exception&)
    {
        // A size beyond 32 bits.
        return false;
    }
}

ZQRESULT LUpdateEngineInterface::SetFirmwareFile(const WString& path, const FirmwareVersion& version)
{
    {
        const MutexLocker lock(mDataLock);
        mFirmwareFilePath = path;
        mFirmwareFileVersion = version;
    }
    if (IsFirmwareImageFile(path))
    {
        SetFirmwareFileState(kFileValid);
        return S_OK;
    }
    SetFirmwareFileState(kFileInvalid);
    return E_FAIL;
}

ZQRESULT LUpdateEngineInterface::SetFirmwareFilePath(const WString& path)
{
    {
        const MutexLocker lock(mDataLock);
        mFirmwareFilePath = path;
    }
    if (IsFirmwareImageFile(path))
    {
        {
            const MutexLocker lock(mDataLock);
            mFirmwareFileVersion = FixedFileVersion();
        }
        SetFirmwareFileState(kFileValid);
        return S_OK;
    }
    SetFirmwareFileState(kFileInvalid);
    return E_FAIL;
}

ZQRESULT LUpdateEngineInterface::SetFirmwareFileVersion(const FirmwareVersion& version)
{
    {
        const MutexLocker lock(mDataLock);
        mFirmwareFileVersion = version;
    }
    if (mFirmwareFileState.load() == kFilePathOnly)
        SetFirmwareFileState(kFileValid);
    return S_OK;
}

ZQRESULT LUpdateEngineInterface::GetFirmwareFilePath(WString& path)
{
    const MutexLocker lock(mDataLock);
    path = mFirmwareFilePath;
    return path.IsEmpty() ? E_FAIL : S_OK;
}

ZQRESULT LUpdateEngineInterface::GetFirmwareFileVersionText(WString& text)
{
    if (mFirmwareFileState.load() < kFileValid)
    {
        text = kNotAvailable;
        return E_FAIL;
    }
    const MutexLocker lock(mDataLock);
    text = mFirmwareFileVersion.mText;
    return S_OK;
}

ZQRESULT LUpdateEngineInterface::GetFirmwareFileVersion(FirmwareVersion& version)
{
    {
        const MutexLocker lock(mDataLock);
        version = mFirmwareFileVersion;
    }
    return mFirmwareFileState.load() < kFileValid ? E_FAIL : S_OK;
}

bool LUpdateEngineInterface::ParseFirmwareVersionFromFileName()
{
    WString path;
    if (Failed(GetFirmwareFilePath(path)))
        return false;
    const WString name = File::GetFileNameFromPath(path);
    const int32_t length = name.GetLength();
    const int32_t marker = name.ToUpper().Find(WString(u"_V"));
    if (marker < 0)
        return false;
    // Reads the character at i, or 0 past the end.
    const auto at = [&](int32_t i) -> char16_t { return i < length ? name.GetAt(i) : char16_t(0); };
    int32_t position = marker + 2;
    if (!IsDigit(at(position)))
        return false;
    uint32_t major = at(position) - u'0';
    ++position;
    if (IsDigit(at(position)))
    {
        major = major * 10 + (at(position) - u'0');
        ++position;
    }
    if (at(position) != u'_' || !IsDigit(at(position + 1)) || !IsDigit(at(position + 2)))
        return false;
    FirmwareVersion version;
    version.mMajor = major;
    version.mMinor = at(position + 1) - u'0';
    version.mPatch = at(position + 2) - u'0';
    version.mText = WString::Format(u"%d.%d.%d", static_cast<int>(version.mMajor),
                                    static_cast<int>(version.mMinor), static_cast<int>(version.mPatch));
    (void)SetFirmwareFileVersion(version);
    return true;
}

bool LUpdateEngineInterface::RunsTasksOnWorker()
{
    return mRunTasksOnWorker.load() != 0;
}

ZQRESULT LUpdateEngineInterface::TriggerTask(ThreadWorkerTask task, int32_t stateBefore, int32_t resultBefore)
{
    // Marked before the worker can run, so that WaitForTask right after a start waits for the task.
    const bool wasPending = mTaskPending.exchange(true);
    ZQRESULT result = E_FAIL;
    try
    {
        const RCPtr<LRefCountedObject> parameters = LHolder<ThreadWorkerTask>::Create(task);
        const RCPtr<LThreadWorker> worker(static_cast<LThreadWorker*>(this));
        result = mWorker.Trigger(worker, parameters, mCompletionEvent, 0);
    }
    catch (...)
    {
        result = E_FAIL;
    }
    if (Failed(result))
    {
        // The task never ran: leave the engine where the user can try again. A task still on the worker
        // (the reason the start was refused) stays awaited, and a result it has written meanwhile stands.
        mTaskPending.store(wasPending);
        int32_t running = kResultRunning;
        (void)mUpdateResult.compare_exchange_strong(running, resultBefore);
        SetState(stateBefore);
    }
    return result;
}

ZQRESULT LUpdateEngineInterface::StartEnterUpdateMode()
{
    if (!RunsTasksOnWorker())
        return EnterUpdateMode();
    const int32_t stateBefore = mState.load();
    mAbortRequested.store(0);
    SetState(kStateEnteringUpdateMode);
    return TriggerTask(TaskEnterUpdateMode, stateBefore, mUpdateResult.load());
}

ZQRESULT LUpdateEngineInterface::StartUpdate()
{
    if (mFirmwareFileState.load() < kFilePathOnly || mState.load() != kStateUpdateMode)
        return E_FAIL;
    mAbortRequested.store(0);
    mLastProgressTicks.store(NowTicks());
    const int32_t resultBefore = mUpdateResult.exchange(kResultRunning);
    SetState(kStateUpdating);
    return TriggerTask(TaskPerformUpdate, kStateUpdateMode, resultBefore);
}

ZQRESULT LUpdateEngineInterface::WaitForTask(uint32_t milliseconds)
{
    if (!mTaskPending.load())
        return S_OK;
    // The threader resets the event when it takes a task and sets it once the task has ended.
    if (mCompletionEvent->Wait(milliseconds) != kWaitSignalled)
        return E_FAIL;
    mTaskPending.store(false);
    return S_OK;
}

ZQRESULT LUpdateEngineInterface::WaitForTaskWhileProgressing(uint32_t stallMilliseconds)
{
    const auto stall =
        std::chrono::duration_cast<Platform::Duration>(std::chrono::milliseconds(stallMilliseconds));
    // The time is measured on Platform's clock (tests step it by hand); the event is waited for in short
    // real-time slices so that a step is seen.
    const uint32_t slice = std::min(kProgressCheckInterval, std::max<uint32_t>(stallMilliseconds, 1));
    const int64_t waitStart = NowTicks();
    for (;;)
    {
        if (Succeeded(WaitForTask(slice)))
            return S_OK;
        const int64_t lastProgress = std::max(mLastProgressTicks.load(), waitStart);
        if (Platform::Duration(NowTicks() - lastProgress) >= stall)
            return E_FAIL;
    }
}

ZQRESULT LUpdateEngineInterface::DoWork(RCPtr<LRefCountedObject>& parameters)
{
    const RCPtr<LHolder<ThreadWorkerTask>> holder(parameters);
    if (holder.IsNull())
        return E_FAIL;
    switch (*holder->mValue)
    {
    case TaskEnterUpdateMode:
        return EnterUpdateMode();
    case TaskPerformUpdate:
    {
        ZQRESULT result = E_FAIL;
        try
        {
            result = PerformUpdate();
        }
        catch (...)
        {
            // A transfer that throws has failed; the user must be able to try again.
            result = E_FAIL;
            mUpdateResult.store(kResultFailed);
            SetState(kStateError);
        }
        PostUpdateCompleted(Succeeded(result));
        return result;
    }
    default:
        return E_FAIL;
    }
}

void LUpdateEngineInterface::PostProgress(int32_t value, double progress, bool estimate,
                                          int32_t remainingSeconds, bool flag, const WString& statusText)
{
    mLastProgressTicks.store(NowTicks());
    Post(kFirmwareUpdateProgressNotificationName,
         LFirmwareUpdateProgressNotificationData::Create(value, progress, remainingSeconds, estimate, flag,
                                                         statusText));
}

void LUpdateEngineInterface::PostDeviceStateChange(int32_t newState, int32_t oldState)
{
    if (mPostingEnabled.load())
        Post(kDeviceStateChangeNotificationName,
             LDeviceStateChangeNotificationData::Create(newState, oldState));
}

void LUpdateEngineInterface::PostFirmwareFileStateChange(int32_t newState, int32_t oldState)
{
    if (mPostingEnabled.load())
        Post(kFirmwareFileStateChangeNotificationName,
             LFirmwareFileStateChangeNotificationData::Create(newState, oldState));
}

void LUpdateEngineInterface::PostFoundDeviceListChange()
{
    if (mPostingEnabled.load())
        Post(kFoundDeviceListChangeNotificationName, nullptr);
}

void LUpdateEngineInterface::PostUpdateCompleted(bool success)
{
    if (mPostingEnabled.load())
        Post(kFirmwareUpdateCompletedNotificationName,
             LFirmwareUpdateCompletedNotificationData::Create(success ? 1 : 0));
}

namespace ZQ
{
LDeviceStateChangeNotificationData::LDeviceStateChangeNotificationData(int32_t newState, int32_t oldState)
    : mNewState(newState), mOldState(oldState)
{
}

RCPtr<LDeviceStateChangeNotificationData> LDeviceStateChangeNotificationData::Create(int32_t newState,
                                                                                     int32_t oldState)
{
    return RCPtr<LDeviceStateChangeNotificationData>(
        new LDeviceStateChangeNotificationData(newState, oldState));
}

LFirmwareFileStateChangeNotificationData::LFirmwareFileStateChangeNotificationData(int32_t newState,
                                                                                   int32_t oldState)
    : mNewState(newState), mOldState(oldState)
{
}

RCPtr<LFirmwareFileStateChangeNotificationData>
LFirmwareFileStateChangeNotificationData::Create(int32_t newState, int32_t oldState)
{
    return RCPtr<LFirmwareFileStateChangeNotificationData>(
        new LFirmwareFileStateChangeNotificationData(newState, oldState));
}

LFirmwareUpdateCompletedNotificationData::LFirmwareUpdateCompletedNotificationData(int32_t success)
    : mSuccess(success)
{
}

RCPtr<LFirmwareUpdateCompletedNotificationData>
LFirmwareUpdateCompletedNotificationData::Create(int32_t success)
{
    return RCPtr<LFirmwareUpdateCompletedNotificationData>(
        new LFirmwareUpdateCompletedNotificationData(success));
}

LFirmwareUpdateProgressNotificationData::LFirmwareUpdateProgressNotificationData(int32_t value,
                                                                                 double progress,
                                                                                 int32_t remainingSeconds,
                                                                                 bool estimate, bool flag,
                                                                                 const WString& statusText)
    : mValue(value), mProgress(progress), mRemainingSeconds(remainingSeconds), mEstimate(estimate ? 1 : 0),
      mFlag(flag ? 1 : 0), mStatusText(statusText)
{
}

RCPtr<LFirmwareUpdateProgressNotificationData>
LFirmwareUpdateProgressNotificationData::Create(int32_t value, double progress, int32_t remainingSeconds,
                                                bool estimate, bool flag, const WString& statusText)
{
    return RCPtr<LFirmwareUpdateProgressNotificationData>(new LFirmwareUpdateProgressNotificationData(
        value, progress, remainingSeconds, estimate, flag, statusText));
}
} // namespace ZQ
