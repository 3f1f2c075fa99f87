// The main control's update road: what each button and each engine notification does.
#include "Panel/Engine/UpdateEngineInterface.h"
#include "Panel/Engine/UpdateProcessor.h"
#include "Panel/UI/MainControl.h"
#include "Panel/UI/SiblingUpdater.h"
#include "Platform/Clock/Clock.h"
#include "ZQFramework/Application/Framework/ApplicationServices.h"
#include "ZQFramework/Application/Framework/AutoWaitCursor.h"
#include "ZQFramework/Application/Framework/FrameworkApp.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/ObjectBase/Exception.h"

#include <chrono>
#include <stdexcept>

namespace ZQ
{
namespace
{
using Engine = LUpdateEngineInterface;

constexpr const char16_t* kWaitingForUpdateModeKey = u"WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_TITLE";
constexpr const char16_t* kWaitingForResetText = u"Waiting for Device Reset To Complete...";

bool EntersUpdateModeByItself(int32_t mode)
{
    return mode == 4 || mode == 3;
}

bool RestartsByItself(int32_t mode)
{
    return mode == 4 || mode == 1;
}

void PauseBetweenProbes()
{
    Platform::SleepFor(std::chrono::milliseconds(LMainControl::kProbePause));
}

template <class T>
RCPtr<T> ParamOf(const RCPtr<LNotification>& notification)
{
    return notification != nullptr ? RCPtr<T>(notification->GetParam()) : RCPtr<T>();
}
} // namespace

void LMainControl::StartTransfer()
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (engine == nullptr)
        return;
    mUpdateRunning = true;
    (void)mProgressBar->SetValue(0.0);
    (void)mProgressBar->SetAutoEstimate(false);
    (void)engine->StartUpdate();
}

ZQRESULT LMainControl::UpdateFirmware(const RCPtr<LNotificationDistributor>& /*source*/,
                                      const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (engine == nullptr || engine->GetFirmwareFileState() != Engine::kFileValid)
        return 1;
    if (engine->GetState() == Engine::kStateNormalMode)
    {
        // The instructions show before anything is asked of the device.
        UpdateControls(Engine::kResultNone, Engine::kStateEnteringUpdateMode, Engine::kFileValid);
        RepaintNow();
        const CAutoWaitCursor busy(GetApplicationString(kWaitingForUpdateModeKey));
        if (Succeeded(engine->StartEnterUpdateMode()))
        {
            mUpdateModeRequested = true;
            if (engine->GetState() == Engine::kStateEnteringUpdateMode &&
                EntersUpdateModeByItself(GetTransitionMode()) && Failed(WaitForDeviceToEnterUpdateMode()))
                engine->SetState(Engine::kStateNoDevice);
        }
    }
    if (engine->GetState() == Engine::kStateUpdateMode)
        StartTransfer();
    RefreshFromEngine();
    RepaintNow();
    return 1;
}

ZQRESULT LMainControl::WaitForDeviceToEnterUpdateMode()
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (engine == nullptr || !EntersUpdateModeByItself(GetTransitionMode()))
        return E_FAIL;
    for (uint32_t waited = 0; waited < kWaitLimit; waited += kProbePause)
    {
        RepaintNow();
        const CAutoWaitCursor busy(GetApplicationString(kWaitingForUpdateModeKey));
        PauseBetweenProbes();
        if (Failed(engine->ProbeSelectedDevice()))
            continue;
        const int32_t state = engine->GetState();
        if (state == Engine::kStateUpdateMode)
            return 0;
        if (state != Engine::kStateEnteringUpdateMode)
            return E_FAIL;
    }
    return E_FAIL;
}

ZQRESULT LMainControl::ProbeDevice()
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (engine == nullptr)
        return E_FAIL;
    const CAutoWaitCursor busy{WString()};
    return engine->ProbeSelectedDevice();
}

ZQRESULT LMainControl::OnManualDeviceReadyButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                                        const RCPtr<LNotification>& notification)
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (engine != nullptr && Succeeded(ProbeDevice()) && engine->GetState() == Engine::kStateUpdateMode)
        (void)UpdateFirmware(source, notification);
    return 1;
}

ZQRESULT LMainControl::OnManualDeviceRescanButtonClicked(const RCPtr<LNotificationDistributor>& /*source*/,
                                                         const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (engine == nullptr)
        return 1;
    const CAutoWaitCursor busy(GetApplicationString(kWaitingForUpdateModeKey));
    if (Succeeded(ProbeDevice()) && engine->GetState() == Engine::kStateNormalMode)
    {
        mUpdateRunning = false;
        RefreshFromEngine();
    }
    return 1;
}

void LMainControl::Reinitialize()
{
    if (const RCPtr<LUpdateProcessor> processor = GetUpdateProcessor())
        (void)processor->Reinitialize();
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    mDeviceState = engine != nullptr ? engine->GetState() : Engine::kStateNoDefinitions;
    mNoScanButton = FindChild(u"buttonScanForDevice") == nullptr;
    RefreshFromEngine();
}

ZQRESULT LMainControl::OnReinitializeButtonClicked(const RCPtr<LNotificationDistributor>& /*source*/,
                                                   const RCPtr<LNotification>& /*notification*/)
{
    Reinitialize();
    if (const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine())
        (void)engine->ScanForDevices();
    return 1;
}

ZQRESULT LMainControl::OnScanForDeviceButtonClicked(const RCPtr<LNotificationDistributor>& /*source*/,
                                                    const RCPtr<LNotification>& /*notification*/)
{
    if (const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine())
        (void)engine->ScanForDevices();
    return 1;
}

ZQRESULT LMainControl::OnAbortButtonClicked(const RCPtr<LNotificationDistributor>& /*source*/,
                                            const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (engine == nullptr)
        return 1;
    const int32_t state = engine->GetState();
    if (state == Engine::kStateEnteringUpdateMode || state == Engine::kStateUpdating)
        (void)engine->RequestAbort();
    return 1;
}

void LMainControl::ScanForDeviceInBackground()
{
    throw Exception<std::logic_error>(
        "Logic Error : Incomplete Code! : ZQ::LMainControl::ScanForDeviceInBackground : UI\\MainControl : "
        "Line 1312");
}

// --- Engine notifications ---

ZQRESULT LMainControl::OnDeviceStateChangeNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                                       const RCPtr<LNotification>& notification)
{
    const RCPtr<LDeviceStateChangeNotificationData> data =
        ParamOf<LDeviceStateChangeNotificationData>(notification);
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (data == nullptr || engine == nullptr)
        return 1;
    const int32_t newState = data->mNewState;
    UpdateDeviceStateLabel(newState);
    const int32_t updateResult = engine->GetUpdateResult(false);
    const int32_t fileState = engine->GetFirmwareFileState();
    if (const RCPtr<LRootWindow> rootWindow = GetRootWindow())
    {
        const IControlApplication* application = IControlApplication::GetCurrent();
        (void)rootWindow->SetCursor(application != nullptr ? application->GetCursor(kCursorArrow) : 0);
    }
    switch (newState)
    {
    case Engine::kStateNoDevice:
        if (mNoScanButton)
            ScanForDeviceInBackground();
        break;
    case Engine::kStateDevicesFound:
        (void)engine->SelectDevice(0);
        throw Exception<std::logic_error>(
            "Logic Error : Multiple devices found. Handling multiple devices is not implemented. Only the "
            "first "
            "connected device will be updated. : ZQ::LMainControl::OnDeviceStateChangeNotification : "
            "UI\\MainControl : Line 1186");
    case Engine::kStateUpdateMode:
        if (engine->RunsTasksOnWorker() && !mUpdateRunning && mUpdateModeRequested)
            StartTransfer();
        break;
    default:
        break;
    }
    DeviceSpecificDeviceStateChangedProcessing(newState, updateResult, fileState);
    UpdateControls(updateResult, newState, fileState);
    return 1;
}

ZQRESULT
LMainControl::OnFirmwareFileStateChangeNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                                    const RCPtr<LNotification>& notification)
{
    if (const RCPtr<LFirmwareFileStateChangeNotificationData> data =
            ParamOf<LFirmwareFileStateChangeNotificationData>(notification))
    {
        UpdateFirmwareFileLabel(data->mNewState);
        if (data->mNewState == Engine::kFileValid)
            UpdateFileFirmwareVersionLabel();
    }
    RefreshFromEngine();
    return 1;
}

ZQRESULT LMainControl::OnFoundDeviceListChangeNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                                           const RCPtr<LNotification>& /*notification*/)
{
    return 1;
}

ZQRESULT LMainControl::OnFirmwareUpdateProgressNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                                            const RCPtr<LNotification>& notification)
{
    const RCPtr<LFirmwareUpdateProgressNotificationData> data =
        ParamOf<LFirmwareUpdateProgressNotificationData>(notification);
    if (data == nullptr)
        return 1;
    (void)mProgressBar->SetValue(data->mProgress);
    if (data->mEstimate == 0)
        (void)mProgressBar->SetTimeRemaining(data->mRemainingSeconds);
    (void)mProgressBar->SetAutoEstimate(data->mEstimate != 0);
    if (LFrameworkApp* application = LFrameworkApp::GetInstance())
        (void)application->SetStatusText(data->mStatusText, false);
    return 1;
}

ZQRESULT
LMainControl::OnFirmwareUpdateCompletedNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                                    const RCPtr<LNotification>& notification)
{
    const RCPtr<LFirmwareUpdateCompletedNotificationData> data =
        ParamOf<LFirmwareUpdateCompletedNotificationData>(notification);
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    if (data == nullptr || engine == nullptr)
        return 1;
    mUpdateModeRequested = false;
    const bool success = data->mSuccess != 0;
    if (!RestartsByItself(GetTransitionMode()))
    {
        // The device restarts by hand: the screen shows the after-update text and "NEXT" while the
        // update counts as running.
        RefreshFromEngine();
        mUpdateRunning = false;
        return 1;
    }
    if (!success)
    {
        mUpdateRunning = false;
        RefreshFromEngine();
        return 1;
    }
    const CAutoWaitCursor busy{WString(kWaitingForResetText)};
    RefreshFromEngine();
    RepaintNow();
    if (!RestartsByItself(GetTransitionMode()))
    {
        (void)engine->ProbeSelectedDevice();
        return 1;
    }
    for (uint32_t waited = 0; waited < kWaitLimit; waited += kProbePause)
    {
        PauseBetweenProbes();
        if (Failed(engine->ProbeSelectedDevice()) || engine->GetState() == Engine::kStateNormalMode)
            break;
    }
    mUpdateRunning = false;
    RefreshFromEngine();
    return 1;
}
} // namespace ZQ
