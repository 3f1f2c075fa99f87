// The main control's display refresh: the label texts and the shown children for each combination of the
// engine's update result, device state and firmware-file state.
#include "Panel/Engine/UpdateEngineInterface.h"
#include "Panel/Engine/UpdateProcessor.h"
#include "Panel/UI/MainControl.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"

#include <iterator>

namespace ZQ
{
namespace
{
using Engine = LUpdateEngineInterface;

void Show(const RCPtr<LControl>& control, bool visible)
{
    if (control != nullptr)
        (void)control->SetVisible(visible);
}

bool IsValidFile(int32_t fileState)
{
    return fileState == Engine::kFileValid;
}

// The label's format text (its "LABEL") with the one text put in.
void SetFormattedLabel(const RCPtr<LLabel>& label, const WString& text)
{
    const WString format = label->GetString(u"LABEL");
    (void)label->SetLabel(WString::Format(format.GetBuffer(), text));
}
} // namespace

void LMainControl::SetLabelFromKey(const RCPtr<LLabel>& label, const WString& key)
{
    // A key missing from the label's table empties it.
    (void)label->SetLabel(label->GetString(key));
}

void LMainControl::UpdateControls(int32_t updateResult, int32_t deviceState, int32_t fileState)
{
    UpdateDeviceStateLabel(deviceState);
    UpdateFirmwareFileLabel(fileState);
    UpdateUpdateProcessLabel(updateResult, deviceState);
    UpdateDeviceFirmwareVersionLabel();
    UpdateFileFirmwareVersionLabel();
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    const RCPtr<LUpdateProcessor> processor = GetUpdateProcessor();
    const bool updateNeeded = engine != nullptr && engine->IsUpdateNeeded();
    const bool updateWanted = (processor != nullptr && processor->GetAlwaysUpdate()) || updateNeeded;
    UpdateCannotUpdateLabel(updateWanted);
    Show(RCPtr<LControl>(mButtonSelectFirmwareFile), !IsValidFile(fileState));
    if (updateResult == Engine::kResultNone)
        ShowChildrenForIdle(deviceState, fileState, updateNeeded, updateWanted);
    else if (updateResult >= Engine::kResultRunning && updateResult <= Engine::kResultDone)
        ShowChildrenForResult(updateResult, deviceState, fileState, updateNeeded);
    else
        return;
    // The transitioning sweep needs idle passes only while the device enters update mode by itself.
    const bool sweep = updateResult == Engine::kResultNone &&
                       deviceState == Engine::kStateEnteringUpdateMode &&
                       RCPtr<LProgressBar>(mControlTransitioningToUpdateMode) != nullptr;
    HoldIdleForSweep(sweep);
}

void LMainControl::HoldIdleForSweep(bool hold)
{
    // One request at most: a refresh that needs the sweep again keeps the request it has.
    if (hold == mHoldsSweepIdle)
        return;
    mHoldsSweepIdle = hold;
    (void)(hold ? RequestIdle() : ReleaseIdle());
}

void LMainControl::UpdateDeviceStateLabel(int32_t deviceState)
{
    const char16_t* key = nullptr;
    switch (deviceState)
    {
    case Engine::kStateNoDefinitions:
        key = u"LABEL_NO_DEVICE_DEFINED";
        break;
    case Engine::kStateNoDevice:
        key = u"LABEL_NO_DEVICE_FOUND";
        break;
    case Engine::kStateScanning:
        key = u"LABEL_SCANNING_FOR_DEVICE";
        break;
    case Engine::kStateDevicesFound:
        key = u"LABEL_DEVICES_AVAILABLE_NONE_SELECTED";
        break;
    case Engine::kStateNormalMode:
        key = u"LABEL_DEVICE_NOT_IN_UPDATE_MODE";
        break;
    case Engine::kStateUpdateMode:
        key = u"LABEL_DEVICE_IN_UPDATE_MODE";
        break;
    default:
        return;
    }
    SetLabelFromKey(mLabelDeviceInformation, key);
}

void LMainControl::UpdateFirmwareFileLabel(int32_t fileState)
{
    switch (fileState)
    {
    case Engine::kFileNone:
        SetLabelFromKey(mLabelFirmwareFileInformation, u"LABEL_NO_FILE_DEFINED");
        break;
    case Engine::kFileInvalid:
    case Engine::kFilePathOnly:
        SetLabelFromKey(mLabelFirmwareFileInformation, u"LABEL_FIRMARE_FILE_INVALID");
        break;
    case Engine::kFileValid:
        SetLabelFromKey(mLabelFirmwareFileInformation, u"LABEL_FIRMARE_FILE_FOUND_VERSION_KNOWN");
        break;
    default:
        break;
    }
}

void LMainControl::UpdateUpdateProcessLabel(int32_t updateResult, int32_t deviceState)
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    const bool updateNeeded = engine != nullptr && engine->IsUpdateNeeded();
    const RCPtr<LLabel>& label = mLabelUpdateProcessInformation;
    switch (updateResult)
    {
    case Engine::kResultNone:
        if (deviceState == Engine::kStateEnteringUpdateMode)
            (void)label->SetLabel(mTransitioningText);
        else if (deviceState != Engine::kStateUpdateMode)
            SetLabelFromKey(label,
                            updateNeeded ? u"LABEL_READY_FOR_UPDATE" : u"LABEL_READY_FOR_DOWNGRADE_UPDATE");
        break;
    case Engine::kResultRunning:
        SetLabelFromKey(label, u"LABEL_UPDATE_IN_PROGRESS");
        break;
    case Engine::kResultAborted:
        SetLabelFromKey(label, u"LABEL_UPDATE_ABORTED");
        break;
    case Engine::kResultDone:
        if (deviceState == Engine::kStateNormalMode)
        {
            SetLabelFromKey(label, updateNeeded ? u"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"
                                                : u"LABEL_UPDATE_SUCCEEDED");
        }
        else if (mUpdateRunning)
        {
            const RCPtr<LStringTable> table = label->GetStringTable();
            const bool afterUpdateText =
                table != nullptr && table->HasString(u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE");
            SetLabelFromKey(label, afterUpdateText ? u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"
                                                   : u"LABEL_UPDATE_IN_PROGRESS");
        }
        else
        {
            SetLabelFromKey(label, u"LABEL_UPDATE_SUCESS_UNKNOWN");
        }
        break;
    default:
        break;
    }
}

void LMainControl::UpdateDeviceFirmwareVersionLabel()
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    WString text;
    if (engine != nullptr && engine->GetDeviceVersionText(text) == 0)
        SetFormattedLabel(mLabelDeviceFirmwareVersion, text);
}

void LMainControl::UpdateFileFirmwareVersionLabel()
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    WString text;
    if (engine != nullptr && engine->GetFirmwareFileVersionText(text) == 0)
        SetFormattedLabel(mLabelFileFirmwareVersion, text);
}

void LMainControl::UpdateCannotUpdateLabel(bool updateWanted)
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    int32_t reason = Engine::kReasonNone;
    if (engine != nullptr)
        (void)engine->GetCannotUpdateReason(reason);
    if (!updateWanted)
    {
        SetLabelFromKey(mLabelDeviceCannotUpdateError, reason == Engine::kReasonDriverTooOld
                                                           ? u"LABEL_DRIVER_IS_TOO_OLD"
                                                           : u"LABEL_UPDATE_NOT_NEEDED");
        return;
    }
    static constexpr const char16_t* kReasonKeys[] = {
        u"LABEL_DEVICE_CANNOT_BE_UPDATED_NO_REASON", u"LABEL_DRIVER_IS_TOO_OLD",
        u"LABEL_CANNOT_UPDATE_SYSTEM_FAILURE",       u"LABEL_CANNOT_UPDATE_FILE_ACCESS_FAILURE",
        u"LABEL_DEVICE_DEVICE_ACCESS_FAILURE",
    };
    if (reason >= 0 && reason < static_cast<int32_t>(std::size(kReasonKeys)))
        SetLabelFromKey(mLabelDeviceCannotUpdateError, kReasonKeys[reason]);
}

void LMainControl::ShowDeviceVersionLabel(int32_t deviceState, int32_t fileState)
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    WString text;
    if (engine == nullptr || engine->GetDeviceVersionText(text) < 0)
    {
        Show(RCPtr<LControl>(mLabelDeviceFirmwareVersion), false);
        return;
    }
    const bool known = IsValidFile(fileState) && deviceState == Engine::kStateNormalMode && !text.IsEmpty();
    const bool manual = GetTransitionMode() == 0;
    const bool shown =
        known || (manual && IsValidFile(fileState) && deviceState == Engine::kStateEnteringUpdateMode);
    Show(RCPtr<LControl>(mLabelDeviceFirmwareVersion), shown);
}

void LMainControl::ShowChildrenForIdle(int32_t deviceState, int32_t fileState, bool /*updateNeeded*/,
                                       bool updateWanted)
{
    const bool validFile = IsValidFile(fileState);
    const bool updateOffered =
        validFile && updateWanted &&
        (deviceState == Engine::kStateNormalMode || deviceState == Engine::kStateUpdateMode);
    bool deviceLine = false;
    if (deviceState <= Engine::kStateDevicesFound)
        deviceLine = validFile;
    else if (deviceState == Engine::kStateNormalMode)
        deviceLine = validFile && updateWanted;
    else if (deviceState >= Engine::kStateEnteringUpdateMode)
        deviceLine = !validFile || updateWanted;
    bool errorLine = deviceState == Engine::kStateError ||
                     (deviceState >= Engine::kStateNormalMode && validFile && !updateWanted);
    const bool entering = deviceState == Engine::kStateEnteringUpdateMode;
    if (mControlTransitioningToUpdateMode != nullptr && entering)
    {
        deviceLine = false;
        errorLine = false;
    }
    const bool fileLine =
        (deviceState <= Engine::kStateDevicesFound || deviceState == Engine::kStateNormalMode) && !validFile;
    const bool withUsableFile = fileState == Engine::kFilePathOnly || validFile;

    Show(RCPtr<LControl>(mLabelFirmwareFileInformation), fileLine);
    Show(RCPtr<LControl>(mLabelDeviceInformation), deviceLine);
    Show(RCPtr<LControl>(mLabelFileFirmwareVersion), validFile);
    ShowDeviceVersionLabel(deviceState, fileState);
    Show(RCPtr<LControl>(mProgressBar), deviceState == Engine::kStateUpdating);
    Show(RCPtr<LControl>(mButtonUpdateFirmware), updateOffered);
    Show(RCPtr<LControl>(mLabelUpdateProcessInformation),
         updateOffered || entering || deviceState == Engine::kStateUpdating);
    Show(RCPtr<LControl>(mLabelDeviceCannotUpdateError), errorLine);
    Show(RCPtr<LControl>(mButtonReinitialize), deviceState == Engine::kStateError && withUsableFile);
    Show(RCPtr<LControl>(mButtonScanForDevice),
         validFile && (deviceState == Engine::kStateNoDevice || deviceState == Engine::kStateDevicesFound));
    Show(RCPtr<LControl>(mButtonManualDeviceReady), entering);
    Show(RCPtr<LControl>(mButtonManualDeviceRescan), false);
    Show(mControlTransitioningToUpdateMode, entering);
    Show(mLabelDeviceNotFound, deviceState == Engine::kStateNoDevice && withUsableFile);
    Show(RCPtr<LControl>(mButtonExit), !entering);
    Show(RCPtr<LControl>(mButtonAbort), true);
}

void LMainControl::ShowChildrenForResult(int32_t updateResult, int32_t deviceState, int32_t fileState,
                                         bool updateNeeded)
{
    const bool running = updateResult == Engine::kResultRunning;
    const bool failed = updateResult == Engine::kResultFailed;
    const bool done = updateResult == Engine::kResultDone;
    // "TRY AGAIN" after a transfer: not while its end is still awaited, and at normal mode only when the
    // device did not take the new version.
    bool tryAgain = !running;
    if (done)
        tryAgain = !mUpdateRunning && !(deviceState == Engine::kStateNormalMode && !updateNeeded);

    Show(RCPtr<LControl>(mLabelDeviceInformation), false);
    Show(RCPtr<LControl>(mLabelFirmwareFileInformation), failed);
    Show(RCPtr<LControl>(mLabelUpdateProcessInformation), !failed);
    Show(RCPtr<LControl>(mButtonUpdateFirmware), false);
    Show(RCPtr<LControl>(mLabelFileFirmwareVersion), true);
    ShowDeviceVersionLabel(deviceState, fileState);
    Show(RCPtr<LControl>(mProgressBar), running);
    Show(RCPtr<LControl>(mButtonExit), !running);
    Show(RCPtr<LControl>(mButtonAbort), running);
    Show(RCPtr<LControl>(mButtonReinitialize), tryAgain);
    Show(RCPtr<LControl>(mLabelDeviceCannotUpdateError), failed);
    Show(RCPtr<LControl>(mButtonScanForDevice), false);
    Show(RCPtr<LControl>(mButtonManualDeviceReady), false);
    Show(RCPtr<LControl>(mButtonManualDeviceRescan), done && deviceState != Engine::kStateNormalMode);
    Show(mControlTransitioningToUpdateMode, false);
    Show(mLabelDeviceNotFound, false);
}
} // namespace ZQ
