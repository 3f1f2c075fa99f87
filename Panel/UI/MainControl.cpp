#include "Panel/UI/MainControl.h"

#include "Panel/Engine/UpdateEngineInterface.h"
#include "Panel/Engine/UpdateProcessor.h"
#include "Panel/UI/Application.h"
#include "Panel/UI/UpdaterNotifications.h"
#include "ZQFramework/Application/Version.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/FileDialog.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Menus/MainMenu.h"
#include "ZQFramework/Controls/Menus/MenuDescriptor.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Exception.h"

#include <stdexcept>
#include <string>

namespace ZQ
{
namespace
{
constexpr const char* kInitializeWhere = "ZQ::LMainControl::Initialize : UI\\MainControl : Line ";

[[noreturn]] void ThrowMissingChild(const char16_t* name, int32_t line)
{
    throw Exception<std::runtime_error>("Runtime Error : Null Pointer : LMainControl couldn't find " +
                                        std::string(AString(WString(name)).GetBuffer()) + " : " +
                                        kInitializeWhere + std::to_string(line));
}

void CheckBinding(ZQRESULT result, int32_t line)
{
    if (Failed(result))
        ThrowFailedResult(result, kInitializeWhere + std::to_string(line));
}

// One button of the skin and the member function its click runs; the lines name a missing required
// button and a failed binding in the errors.
struct ButtonBinding
{
    const char16_t* name;
    RCPtr<LButton> LMainControl::*member;
    LNotificationHandler<LMainControl>::Callback callback;
    int32_t missingLine; // 0: the button is optional
    int32_t bindingLine;
};
} // namespace

LMainControl::LMainControl(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LMainControl::~LMainControl() = default;

// --- Control base operations ---

ZQRESULT LMainControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mMainHandler, source, notification);
}

ZQRESULT LMainControl::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                  NotificationID id)
{
    return RemoveClassCallback(*this, mMainHandler, source, id);
}

ZQRESULT LMainControl::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (result < 0)
        return result;
    if (mMainHandler == nullptr)
        mMainHandler = LNotificationHandler<LMainControl>::Create(this);
    BindEngineNotifications();
    FindAndBindButtons();
    FindLabels();
    mTransitioningText =
        mLabelUpdateProcessInformation->GetString(u"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE");
    // The menu asks this control for the state of its items.
    if (const RCPtr<LMainMenu> menu = FindTypedChild<LMainMenu>(*this, u"mainMenu"); menu != nullptr)
        (void)menu->SetMenuItemUpdater(GetMenuItemUpdater());

    mUpdateProcessor = LApplication::GetInstance() != nullptr
                           ? LApplication::GetInstance()->GetUpdateProcessor()
                           : RCPtr<LUpdateProcessor>();
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    mDeviceState = engine != nullptr ? engine->GetState() : LUpdateEngineInterface::kStateNoDefinitions;
    mNoScanButton = mButtonScanForDevice == nullptr;
    // A transfer that the start-up flow began before the window existed is this window's transfer: its
    // end must show the after-update screen, not the "not responding" one.
    if (mDeviceState == LUpdateEngineInterface::kStateUpdating)
        mUpdateRunning = true;
    int32_t updateResult = 0;
    int32_t deviceState = 0;
    int32_t fileState = 0;
    ReadEngineValues(updateResult, deviceState, fileState);
    UpdateControls(updateResult, mDeviceState, fileState);
    return result;
}

void LMainControl::BindEngineNotifications()
{
    struct EngineBinding
    {
        const char16_t* name;
        LNotificationHandler<LMainControl>::Callback callback;
        int32_t line;
    };
    static constexpr EngineBinding kBindings[] = {
        {kDeviceStateChangeNotificationName, &LMainControl::OnDeviceStateChangeNotification, 67},
        {kFirmwareFileStateChangeNotificationName, &LMainControl::OnFirmwareFileStateChangeNotification, 68},
        {kFoundDeviceListChangeNotificationName, &LMainControl::OnFoundDeviceListChangeNotification, 69},
        {kFirmwareUpdateProgressNotificationName, &LMainControl::OnFirmwareUpdateProgressNotification, 70},
        {kFirmwareUpdateCompletedNotificationName, &LMainControl::OnFirmwareUpdateCompletedNotification, 72},
    };
    const RCPtr<LNotificationDistributor> center(mNotificationCenter);
    for (const EngineBinding& binding : kBindings)
        CheckBinding(mMainHandler->AddCallback(binding.callback, center, binding.name, 0), binding.line);
}

void LMainControl::FindAndBindButtons()
{
    static const ButtonBinding kButtons[] = {
        {u"buttonExit", &LMainControl::mButtonExit, &LMainControl::RequestApplicationExit, 75, 76},
        {u"buttonUpdateFirmware", &LMainControl::mButtonUpdateFirmware, &LMainControl::UpdateFirmware, 79,
         80},
        {u"buttonReinitialize", &LMainControl::mButtonReinitialize,
         &LMainControl::OnReinitializeButtonClicked, 83, 84},
        {u"buttonScanForDevice", &LMainControl::mButtonScanForDevice,
         &LMainControl::OnScanForDeviceButtonClicked, 0, 89},
        {u"buttonManualDeviceReadyForUpdateButton", &LMainControl::mButtonManualDeviceReady,
         &LMainControl::OnManualDeviceReadyButtonClicked, 0, 95},
        {u"buttonManualDeviceHasUpdatedRescanButton", &LMainControl::mButtonManualDeviceRescan,
         &LMainControl::OnManualDeviceRescanButtonClicked, 0, 100},
        {u"buttonSelectFirmwareFile", &LMainControl::mButtonSelectFirmwareFile,
         &LMainControl::SelectFirmwareFile, 0, 106},
        {u"buttonAbort", &LMainControl::mButtonAbort, &LMainControl::OnAbortButtonClicked, 0, 112},
    };
    for (const ButtonBinding& binding : kButtons)
    {
        RCPtr<LButton>& button = this->*binding.member;
        button = FindTypedChild<LButton>(*this, binding.name);
        if (button == nullptr)
        {
            if (binding.missingLine != 0)
                ThrowMissingChild(binding.name, binding.missingLine);
            continue;
        }
        CheckBinding(mMainHandler->AddCallback(binding.callback, RCPtr<LNotificationDistributor>(button),
                                               kNidLeftClick, 0),
                     binding.bindingLine);
    }
}

void LMainControl::FindLabels()
{
    struct LabelLookup
    {
        const char16_t* name;
        RCPtr<LLabel> LMainControl::*member;
        int32_t line;
    };
    static const LabelLookup kLabels[] = {
        {u"labelDeviceInformation", &LMainControl::mLabelDeviceInformation, 116},
        {u"labelFirmwareFileInformation", &LMainControl::mLabelFirmwareFileInformation, 119},
        {u"labelUpdateProcessInformation", &LMainControl::mLabelUpdateProcessInformation, 122},
        {u"labelFileFirmwareVersion", &LMainControl::mLabelFileFirmwareVersion, 125},
        {u"labelDeviceFirmwareVersion", &LMainControl::mLabelDeviceFirmwareVersion, 128},
        {u"labelDeviceCannotUpdateError", &LMainControl::mLabelDeviceCannotUpdateError, 131},
    };
    for (const LabelLookup& lookup : kLabels)
    {
        RCPtr<LLabel>& label = this->*lookup.member;
        label = FindTypedChild<LLabel>(*this, lookup.name);
        if (label == nullptr)
            ThrowMissingChild(lookup.name, lookup.line);
    }
    mProgressBar = FindTypedChild<LProgressBar>(*this, u"progressBar");
    if (mProgressBar == nullptr)
        ThrowMissingChild(u"progressBar", 134);
    mControlTransitioningToUpdateMode = FindChild(u"controlTransitioningToUpdateMode");
    mLabelDeviceNotFound = FindChild(u"labelDeviceNotFound");
    const RCPtr<LLabel> versionLabel = FindTypedChild<LLabel>(*this, u"updaterVersionLabel");
    if (versionLabel == nullptr)
        ThrowMissingChild(u"updaterVersionLabel", 140);
    ShowUpdaterVersion(versionLabel);
}

void LMainControl::ShowUpdaterVersion(const RCPtr<LLabel>& versionLabel)
{
    const WString format = versionLabel->GetString(u"LABEL");
    const WString version = Version(nullptr).GetProductVersion();
    (void)versionLabel->SetLabel(WString::Format(format.GetBuffer(), version));
}

void LMainControl::ProcessRootWindowAquired()
{
    LControl::ProcessRootWindowAquired();
    const RCPtr<LRootWindow> rootWindow = GetRootWindow();
    if (rootWindow == nullptr)
    {
        throw Exception<std::runtime_error>(
            "Runtime Error : No Root Window! : ZQ::LMainControl::ProcessRootWindowAquired : UI\\MainControl "
            ": Line "
            "1239");
    }
    if (mMainHandler == nullptr)
        mMainHandler = LNotificationHandler<LMainControl>::Create(this);
    const RCPtr<LNotificationDistributor> source(rootWindow);
    (void)mMainHandler->AddCallback(&LMainControl::SelectFirmwareFile, source, kNidMenuFileSelect, 0);
    (void)mMainHandler->AddCallback(&LMainControl::RequestApplicationExit, source, kNidMenuFileExitReq, 0);
    (void)mMainHandler->AddCallback(&LMainControl::ToggleAllowDowngrade, source,
                                    kNidMenuOptionsAllowDowngrade, 0);
}

ZQRESULT LMainControl::UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                           int32_t /*command*/, MenuItemState& state)
{
    // The item's command is read from the menu at the item's index.
    const bool inMenu =
        menu != nullptr && itemIndex >= 0 && static_cast<uint32_t>(itemIndex) < menu->GetItemCount();
    const RCPtr<LUpdateProcessor> processor = GetUpdateProcessor();
    if (inMenu && processor != nullptr &&
        menu->GetItemAt(static_cast<uint32_t>(itemIndex))->mCommand == kNidMenuOptionsAllowDowngrade)
        state.Checked = processor->GetAlwaysUpdate() ? 1 : 0;
    return 0;
}

void LMainControl::OnIdle()
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    const RCPtr<LProgressBar> sweep(mControlTransitioningToUpdateMode);
    if (engine == nullptr || sweep == nullptr ||
        engine->GetState() != LUpdateEngineInterface::kStateEnteringUpdateMode)
        return;
    const int32_t mode = GetTransitionMode();
    if (mode != 4 && mode != 3)
        return;
    double value = sweep->ScaleValue(sweep->GetValue()) + 2.0;
    if (value > 100.0)
        value = 0.0;
    (void)sweep->SetValue(sweep->UnscaleValue(value));
}

// --- Services ---

RCPtr<LUpdateProcessor> LMainControl::GetUpdateProcessor() const
{
    if (mUpdateProcessor != nullptr)
        return mUpdateProcessor;
    LApplication* application = LApplication::GetInstance();
    return application != nullptr ? application->GetUpdateProcessor() : RCPtr<LUpdateProcessor>();
}

RCPtr<LUpdateEngineInterface> LMainControl::GetUpdateEngine() const
{
    const RCPtr<LUpdateProcessor> processor = GetUpdateProcessor();
    return processor != nullptr ? processor->GetEngine() : RCPtr<LUpdateEngineInterface>();
}

WString LMainControl::GetApplicationString(const WString& key)
{
    WString text;
    const LFrameworkApp* application = LFrameworkApp::GetInstance();
    if (application != nullptr && application->GetApplicationStringTable() != nullptr)
        (void)application->GetApplicationStringTable()->GetString(key, text);
    return text;
}

bool LMainControl::IsExitAllowed() const
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    return engine == nullptr || engine->GetState() != LUpdateEngineInterface::kStateUpdating;
}

void LMainControl::ReadEngineValues(int32_t& updateResult, int32_t& deviceState, int32_t& fileState) const
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    updateResult = engine != nullptr ? engine->GetUpdateResult(false) : LUpdateEngineInterface::kResultNone;
    deviceState = engine != nullptr ? engine->GetState() : LUpdateEngineInterface::kStateNoDefinitions;
    fileState = engine != nullptr ? engine->GetFirmwareFileState() : LUpdateEngineInterface::kFileNone;
}

void LMainControl::RefreshFromEngine()
{
    int32_t updateResult = 0;
    int32_t deviceState = 0;
    int32_t fileState = 0;
    ReadEngineValues(updateResult, deviceState, fileState);
    UpdateControls(updateResult, deviceState, fileState);
}

int32_t LMainControl::GetTransitionMode() const
{
    const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine();
    return engine != nullptr ? engine->GetUpdateModeEntryKind() : 0;
}

void LMainControl::RepaintNow()
{
    if (const RCPtr<LRootWindow> rootWindow = GetRootWindow())
        rootWindow->InvalidateAllAndRedraw();
}

// --- Exit, file and menu commands ---

ZQRESULT LMainControl::RequestApplicationExit(const RCPtr<LNotificationDistributor>& /*source*/,
                                              const RCPtr<LNotification>& /*notification*/)
{
    if (const RCPtr<LNotification> request = LNotification::Create(kExitRequestName))
        (void)GetDefaultNotificationCenter()->PostNotification(request);
    return 1;
}

ZQRESULT LMainControl::SelectFirmwareFile(const RCPtr<LNotificationDistributor>& /*source*/,
                                          const RCPtr<LNotification>& /*notification*/)
{
    const WString title = GetApplicationString(u"SELECT_FIRMWARE_FILE_DIALOG_TITLE");
    const WString filter = GetApplicationString(u"SELECT_FIRMWARE_FILE_DIALOG_FILE_FILTER");
    const WString extension = GetApplicationString(u"SELECT_FIRMWARE_FILE_DEFAULT_FILE_EXTENSION");
    if (mFileDialog == nullptr)
        mFileDialog = LFileDialog::Create(WString());
    if (mFileDialog->ShowOpenDialog(filter, extension, title, false) < 0)
        return 1;
    // The engine checks the file; a change of its file state is posted and refreshes the screen.
    if (const RCPtr<LUpdateEngineInterface> engine = GetUpdateEngine())
        (void)engine->SetFirmwareFilePath(mFileDialog->GetFileName());
    return 1;
}

ZQRESULT LMainControl::ToggleAllowDowngrade(const RCPtr<LNotificationDistributor>& /*source*/,
                                            const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LUpdateProcessor> processor = GetUpdateProcessor();
    if (processor == nullptr)
        return 1;
    (void)processor->SetAlwaysUpdate(!processor->GetAlwaysUpdate());
    RefreshFromEngine();
    return 1;
}
} // namespace ZQ
