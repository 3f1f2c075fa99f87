#include "Panel/UI/SiblingUpdater.h"

#include "Panel/Engine/UpdateEngineInterface.h"
#include "Panel/Engine/UpdateProcessor.h"
#include "Panel/UI/Application.h"
#include "Platform/Window/Dialogs.h"
#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/System/Process.h"

#include <atomic>
#include <stdexcept>

namespace
{
constexpr const char16_t* kSiblingFileName = u"Tavrin DJ Q3300 Firmware Updater.exe";
constexpr const char16_t* kStatusOption = u"-RETURN_UPDATE_MODE_STATUS";
constexpr const char16_t* kLaunchFailedText =
    u"The XMOS Updater application can not be launched. Please re-install the application.";
constexpr const char16_t* kLaunchFailedCaption = u"Error launching XMOS Firmware Updater";
constexpr const char* kNoProcessorError =
    "Runtime Error : Null Pointer : can not get the update processsor : "
    "DeviceSpecificDeviceStateChangedProcessing : panel\\ui\\../Engine/DeviceSpecificInfo/DeviceSpecificInfo "
    ": Line 367";
constexpr const char* kNoEngineError =
    "Runtime Error : Null Pointer : can not get the update engine : "
    "DeviceSpecificDeviceStateChangedProcessing "
    ": panel\\ui\\../Engine/DeviceSpecificInfo/DeviceSpecificInfo : Line 368";

class SystemLauncher : public ISiblingUpdaterLauncher
{
public:
    ZQRESULT LaunchAndWait(const ZQ::WString& path, const ZQ::WStringArray& arguments,
                           int32_t& exitCode) override
    {
        return ZQ::LaunchProcessAndWait(path, arguments, exitCode);
    }
    ZQRESULT Launch(const ZQ::WString& path, const ZQ::WStringArray& arguments) override
    {
        return ZQ::LaunchProcess(path, arguments);
    }
};

std::atomic<ISiblingUpdaterLauncher*> gLauncher{nullptr};

bool HasWorkToDo(int32_t status)
{
    return status == kSiblingUpdateNeededInUpdateMode || status == kSiblingUpdateNeededInNormalMode;
}

void PostExitRequest()
{
    if (const ZQ::RCPtr<ZQ::LNotification> request = ZQ::LNotification::Create(ZQ::kExitRequestName))
        (void)ZQ::GetDefaultNotificationCenter()->PostNotification(request);
}

void HandOver()
{
    LaunchXmosFirmwareUpdater();
    // Posted whether or not the sibling started: the device is in normal mode, so the exit is honoured
    // after the error box.
    PostExitRequest();
}

// With no update of this program made yet: only when this program has nothing to send does the sibling
// go first.
bool OwnUpdateComesFirst()
{
    LApplication* application = LApplication::GetInstance();
    const ZQ::RCPtr<LUpdateProcessor> processor =
        application != nullptr ? application->GetUpdateProcessor() : ZQ::RCPtr<LUpdateProcessor>();
    if (processor == nullptr)
        throw ZQ::Exception<std::runtime_error>(kNoProcessorError);
    const ZQ::RCPtr<LUpdateEngineInterface> engine = processor->GetEngine();
    if (engine == nullptr)
        throw ZQ::Exception<std::runtime_error>(kNoEngineError);
    return engine->IsUpdateNeeded() || processor->GetAlwaysUpdate();
}
} // namespace

ISiblingUpdaterLauncher& GetSiblingUpdaterLauncher()
{
    static SystemLauncher systemLauncher;
    ISiblingUpdaterLauncher* launcher = gLauncher.load();
    return launcher != nullptr ? *launcher : systemLauncher;
}

void SetSiblingUpdaterLauncher(ISiblingUpdaterLauncher* launcher)
{
    gLauncher.store(launcher);
}

ZQ::WString GetXmosUpdaterPath()
{
    return ZQ::MFCFrameworkAppBase::GetFolder(ZQ::MFCFrameworkAppBase::kProgramFolder) +
           ZQ::WString(u"/../") + ZQ::WString(kSiblingFileName);
}

bool GetXmosUpdaterUpdateModeStatus(int32_t& status)
{
    status = -1;
    ZQ::WStringArray arguments;
    (void)arguments.Add(ZQ::WString(kStatusOption));
    int32_t exitCode = -1;
    if (ZQ::Failed(GetSiblingUpdaterLauncher().LaunchAndWait(GetXmosUpdaterPath(), arguments, exitCode)))
        return false;
    status = exitCode;
    return true;
}

void LaunchXmosFirmwareUpdater()
{
    if (ZQ::Succeeded(GetSiblingUpdaterLauncher().Launch(GetXmosUpdaterPath(), ZQ::WStringArray())))
        return;
    if (LApplication* application = LApplication::GetInstance())
        (void)application->ShowMessageBox(kLaunchFailedText, kLaunchFailedCaption,
                                          Platform::Window::kMbIconError);
}

void DeviceSpecificDeviceStateChangedProcessing(int32_t newState, int32_t updateResult, int32_t /*fileState*/)
{
    if (newState != LUpdateEngineInterface::kStateNormalMode)
        return;
    // The sibling is asked only when its answer can matter, so that an abort or a failure does not run it.
    if (updateResult != LUpdateEngineInterface::kResultDone &&
        updateResult != LUpdateEngineInterface::kResultNone)
        return;
    int32_t status = -1;
    if (!GetXmosUpdaterUpdateModeStatus(status) || !HasWorkToDo(status))
        return;
    if (updateResult == LUpdateEngineInterface::kResultDone || !OwnUpdateComesFirst())
        HandOver();
}
