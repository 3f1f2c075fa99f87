#pragma once

#include "Support/FakeWindowServices.h"
#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"

#include "Panel/Engine/UpdateEngineInterface.h"
#include "Panel/Engine/UpdateProcessor.h"
#include "Panel/UI/Application.h"
#include "Panel/UI/MainControl.h"
#include "Panel/UI/SiblingUpdater.h"
#include "Platform/Window/Dialogs.h"
#include "ZQFramework/Application/Framework/FrameworkControlTypes.h"
#include "ZQFramework/Application/Framework/StringTablesAndSkins.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Utilities/Storage/File.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The updater's window on the headless bench: the program's own skin and string tables (embedded into
// the test program), the real application object and main control, a root window over fake services, and
// a scripted engine behind a real update processor. Idle passes and notification delivery run by hand.
namespace UpdaterTest
{
using Engine = LUpdateEngineInterface;

// An engine whose device is played by fields the test sets. The state machine, the file state, the
// update result and the worker are the engine interface's own.
class ScriptedEngine : public LUpdateEngineInterface
{
public:
    static ZQ::RCPtr<ScriptedEngine> Create() { return ZQ::RCPtr<ScriptedEngine>(new ScriptedEngine()); }

    // --- The device as the test plays it ---
    std::atomic<bool> updateNeeded{true};
    std::atomic<int32_t> reason{0};
    ZQ::WString deviceVersion = u"1.1.5";
    bool hasDeviceVersion = true;
    ZQ::WString fileVersion = u"1.2.0";
    std::atomic<int32_t> transitionMode{0};
    // The state a probe leaves (-1: unchanged) and its result.
    std::atomic<int32_t> probeState{-1};
    std::atomic<int32_t> probeResult{0};
    // The transfer's result; a negative one fails it.
    std::atomic<int32_t> transferResult{0};
    std::atomic<bool> abortRequested{false};
    std::atomic<int32_t> scans{0};
    std::atomic<int32_t> probes{0};
    std::atomic<int32_t> selections{0};

    // A driver too old puts the engine into the error state at each start, as the real engine does.
    std::atomic<bool> driverTooOld{false};

    void SetResult(int32_t result) { SetUpdateResult(result); }
    [[nodiscard]] uint32_t DefinitionCount() const { return GetDeviceDefinitions().GetCount(); }

    ZQRESULT Initialize(const ZQ::WString& commandLine) override
    {
        if (driverTooOld)
            SetState(kStateError);
        return LUpdateEngineInterface::Initialize(commandLine);
    }
    bool IsUpdateNeeded() override { return updateNeeded; }
    int32_t GetUpdateModeEntryKind() override { return transitionMode; }
    ZQRESULT GetFirmwareFileVersionText(ZQ::WString& text) override
    {
        if (GetFirmwareFileState() != kFileValid)
            return E_FAIL;
        text = fileVersion;
        return S_OK;
    }
    ZQRESULT ScanForDevices() override
    {
        ++scans;
        return S_OK;
    }
    ZQRESULT SelectDevice(uint32_t /*index*/) override
    {
        ++selections;
        return S_OK;
    }
    ZQRESULT GetFoundDevices(ZQ::Array<DeviceDefinition>& devices) override
    {
        (void)devices.SetCount(1);
        return S_OK;
    }
    ZQRESULT ProbeSelectedDevice() override
    {
        ++probes;
        if (probeState >= 0)
            SetState(probeState);
        return probeResult;
    }
    ZQRESULT EnterUpdateMode() override
    {
        SetState(kStateEnteringUpdateMode);
        return S_OK;
    }
    ZQRESULT RequestAbort() override
    {
        abortRequested = true;
        return S_OK;
    }
    ZQRESULT ScanAllDefinitions() override { return S_OK; }
    uint32_t GetFoundDeviceCount() override { return 1; }
    bool IsDeviceInUpdateMode(uint32_t /*index*/) override { return GetState() == kStateUpdateMode; }
    ZQRESULT GetDeviceStatus(uint32_t /*index*/, int32_t& value) override
    {
        value = reason;
        return S_OK;
    }
    ZQRESULT GetDeviceVersion(uint32_t /*index*/, FirmwareVersion& version) override
    {
        if (!hasDeviceVersion)
            return E_FAIL;
        version.mText = deviceVersion;
        return S_OK;
    }
    ZQRESULT PerformUpdate() override
    {
        SetUpdateResult(kResultRunning);
        const ZQRESULT result = transferResult;
        if (ZQ::Failed(result))
        {
            SetUpdateResult(kResultFailed);
            SetState(kStateError);
        }
        else
        {
            SetUpdateResult(kResultDone);
        }
        return result;
    }

private:
    ScriptedEngine() = default;
};

// A sibling updater that answers the status run with a chosen code and records what it was asked.
class StubSiblingLauncher : public ISiblingUpdaterLauncher
{
public:
    StubSiblingLauncher() { SetSiblingUpdaterLauncher(this); }
    ~StubSiblingLauncher() override { SetSiblingUpdaterLauncher(nullptr); }
    StubSiblingLauncher(const StubSiblingLauncher&) = delete;
    StubSiblingLauncher& operator=(const StubSiblingLauncher&) = delete;

    ZQRESULT LaunchAndWait(const ZQ::WString& path, const ZQ::WStringArray& arguments,
                           int32_t& exitCode) override
    {
        Calls.push_back(std::string("wait ").append(Describe(path, arguments)));
        exitCode = -1;
        if (!Startable)
            return E_FAIL;
        exitCode = StatusAnswer;
        return S_OK;
    }
    ZQRESULT Launch(const ZQ::WString& path, const ZQ::WStringArray& arguments) override
    {
        Calls.push_back(std::string("start ").append(Describe(path, arguments)));
        return Startable ? S_OK : E_FAIL;
    }

    int32_t StatusAnswer = 4;
    bool Startable = true;
    std::vector<std::string> Calls;

private:
    static std::string Describe(const ZQ::WString& path, const ZQ::WStringArray& arguments)
    {
        std::string text = TestSupport::Utf8(ZQ::File::GetFileNameFromPath(path));
        for (uint32_t i = 0; i < arguments.GetCount(); ++i)
            text.append(" ").append(TestSupport::Utf8(arguments.GetAt(i)));
        return text;
    }
};

class UpdaterBench
{
public:
    // skin: the text of a skin document in place of the program's own.
    explicit UpdaterBench(const std::string& skin = {})
    {
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        Platform::Window::DialogScript::Reset();
        if (skin.empty())
        {
            (void)ZQ::LoadStringTablesAndSkins(Factory, u"::", 0x0009);
        }
        else
        {
            Factory->SetBaseFolder(u"::");
            (void)Factory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0009);
            const ZQTest::TempDocument document(skin);
            (void)Factory->LoadSkins(document.Path());
        }
        ZQ::RegisterFrameworkControlTypes(*Factory, ZQ::GetFrameworkControlTypes());
        (void)Factory->RegisterControlCreateFunction(LApplication::kMainControlClass,
                                                     &ZQ::LControl::CreateFromDescriptor<ZQ::LMainControl>);
        Application = ZQ::RCPtr<LApplication>(
            new LApplication(Factory, Factory->GetFrameworkStringTable(), ZQ::WString()));
        Processor = LUpdateProcessor::Create(ZQ::RCPtr<LUpdateEngineInterface>(EngineOf));
        Application->SetUpdateProcessor(Processor);
        Services.Active = true;
        Window = ZQ::LRootWindow::Create(nullptr, &Services);
        Application->RegisterRootWindow(Window);
    }
    ~UpdaterBench()
    {
        EngineOf->transferResult = 0;
        (void)EngineOf->WaitForTask(10000);
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        if (Main != nullptr)
            (void)Main->ReleaseInternalReferences();
        Application->UnregisterRootWindow(Window.Get());
        (void)Window->ReleaseInternalReferences();
        Platform::Window::DialogScript::Reset();
    }
    UpdaterBench(const UpdaterBench&) = delete;
    UpdaterBench& operator=(const UpdaterBench&) = delete;

    // The engine in a state before the window is made; the notifications of getting there are dropped.
    void Prepare(int32_t deviceState, int32_t fileState, int32_t updateResult = Engine::kResultNone)
    {
        EngineOf->SetFirmwareFileState(fileState);
        EngineOf->SetState(deviceState);
        EngineOf->SetResult(updateResult);
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
    }

    // Makes the main control and shows it in the window.
    ZQ::RCPtr<ZQ::LMainControl> Show()
    {
        const ZQ::RCPtr<ZQ::LControl> control = Factory->CreateControlByName(u"mainControl", Window);
        (void)Window->SetRootControl(control);
        Main = ZQ::RCPtr<ZQ::LMainControl>(control);
        return Main;
    }

    // Delivers what the engine posted, as the idle passes of the message loop would.
    void Deliver()
    {
        for (int pass = 0; pass < 10 && Application->ProcessPendingNotifications(pass == 0); ++pass)
        {
        }
    }

    // Waits for the transfer the engine runs on its worker, then delivers its notifications.
    void FinishTransfer()
    {
        (void)EngineOf->WaitForTask(10000);
        Deliver();
    }

    // Clicks a button of the window as its "NID_LEFT_CLICK" would.
    void Click(const char16_t* name)
    {
        const ZQ::RCPtr<ZQ::LButton> button(Main->FindChild(name));
        ASSERT_NE(button, nullptr) << TestSupport::Utf8(ZQ::WString(name));
        (void)button->OnLeftClick(ZQ::LMouseButtonParam::Create(1, 0, 0, 0, 0, 0, 0));
    }

    [[nodiscard]] ZQ::RCPtr<ZQ::LControl> Child(const char16_t* name) const { return Main->FindChild(name); }
    [[nodiscard]] bool Visible(const char16_t* name) const
    {
        const ZQ::RCPtr<ZQ::LControl> child = Child(name);
        return child != nullptr && child->IsVisible(false);
    }
    [[nodiscard]] std::string Text(const char16_t* name) const
    {
        const ZQ::RCPtr<ZQ::LControl> child = Child(name);
        return child != nullptr ? TestSupport::Utf8(child->GetLabel()) : "<missing>";
    }
    // The text of a key in a label's string table.
    [[nodiscard]] std::string TextOf(const char16_t* label, const char16_t* key) const
    {
        return TestSupport::Utf8(Child(label)->GetString(key));
    }
    // The names of the shown children, in the order of kChildren.
    [[nodiscard]] std::vector<std::string> ShownChildren() const;

    ZQ::RCPtr<ZQ::LControlFactory> Factory = ZQ::LControlFactory::Create(u"Q3300 Splen");
    ZQ::RCPtr<ScriptedEngine> EngineOf = ScriptedEngine::Create();
    ZQ::RCPtr<LApplication> Application;
    ZQ::RCPtr<LUpdateProcessor> Processor;
    ZQTest::FakeWindowServices Services;
    ZQ::RCPtr<ZQ::LRootWindow> Window;
    ZQ::RCPtr<ZQ::LMainControl> Main;
};

// The children whose showing the screen decides.
inline constexpr const char16_t* kChildren[] = {
    u"labelDeviceInformation",
    u"labelFirmwareFileInformation",
    u"labelUpdateProcessInformation",
    u"labelFileFirmwareVersion",
    u"labelDeviceFirmwareVersion",
    u"labelDeviceCannotUpdateError",
    u"progressBar",
    u"buttonUpdateFirmware",
    u"buttonScanForDevice",
    u"buttonExit",
    u"buttonReinitialize",
    u"buttonManualDeviceReadyForUpdateButton",
    u"buttonManualDeviceHasUpdatedRescanButton",
    u"buttonSelectFirmwareFile",
    u"buttonAbort",
};

inline std::vector<std::string> UpdaterBench::ShownChildren() const
{
    std::vector<std::string> shown;
    for (const char16_t* name : kChildren)
    {
        if (Visible(name))
            shown.push_back(TestSupport::Utf8(ZQ::WString(name)));
    }
    return shown;
}
} // namespace UpdaterTest
