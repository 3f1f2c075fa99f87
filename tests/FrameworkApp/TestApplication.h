#pragma once

#include "Support/FakeWindowServices.h"

#include "ZQFramework/Application/Framework/ApplicationBase.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/NotificationClient.h"

#include <stdexcept>
#include <string>
#include <vector>

// An application class on LApplicationBase for headless tests, a status bar that records what it is told,
// and a notification client that logs what reaches it.
namespace ZQTest
{
class RecordingStatusBar : public ZQ::IStatusBarText
{
public:
    ZQRESULT SetStatusTextNow(const ZQ::WString& text) override
    {
        Calls.push_back("now " + std::string(ZQ::AString(text).GetBuffer()));
        return 0;
    }
    ZQRESULT PostStatusText(const ZQ::WString& text) override
    {
        Calls.push_back("post " + std::string(ZQ::AString(text).GetBuffer()));
        return 0;
    }
    [[nodiscard]] ZQ::WString GetDefaultStatusText() const override { return u"Ready"; }

    std::vector<std::string> Calls;
};

class TestApplication : public ZQ::LApplicationBase<TestApplication>
{
public:
    static constexpr intptr_t kWaitCursor = 100;

    [[nodiscard]] static ZQ::RCPtr<TestApplication>
    Create(const ZQ::RCPtr<ZQ::LControlFactory>& factory = nullptr,
           const ZQ::RCPtr<ZQ::LStringTable>& frameworkStrings = nullptr)
    {
        return ZQ::RCPtr<TestApplication>(new TestApplication(factory, frameworkStrings));
    }

    [[nodiscard]] static const char16_t* GetIdentityString() { return u"ZQTestApplication"; }
    void GetVersionKey(ZQ::WString& text) const override { text = u"1.0.0"; }
    void GetMainControlName(ZQ::WString& text) const override { text = u"mainControl"; }
    // The user settings (kind 1) at UserSettingsPath when one is given; no settings otherwise.
    [[nodiscard]] ZQ::IIniFileManager::Handle GetIniFile(int32_t kind) override
    {
        ZQ::IIniFileManager::Handle handle = 0;
        if (kind == 1 && !UserSettingsPath.IsEmpty())
            (void)GetIniFileManager()->Open(UserSettingsPath, u"1.0.0", u"Test", handle);
        return handle;
    }
    [[nodiscard]] int32_t GetRendererType() const override { return 1; }
    [[nodiscard]] bool IsExitAllowed() override { return ExitAllowed; }
    [[nodiscard]] ZQ::IStatusBarText* GetStatusBar() const override { return StatusBar; }
    // The wait cursor is the application's own, so that tests can tell it from the system's (0 without a
    // display).
    [[nodiscard]] intptr_t GetCursor(const ZQ::WString& name) const override
    {
        return name == ZQ::kCursorWait ? kWaitCursor : LApplicationBase::GetCursor(name);
    }
    int32_t RunMessageLoop() override
    {
        if (LoopThrows)
            throw std::runtime_error("broken handler");
        return LApplicationBase::RunMessageLoop();
    }

    bool ExitAllowed = true;
    bool LoopThrows = false;
    ZQ::IStatusBarText* StatusBar = nullptr;
    ZQ::WString UserSettingsPath;

private:
    TestApplication(const ZQ::RCPtr<ZQ::LControlFactory>& factory,
                    const ZQ::RCPtr<ZQ::LStringTable>& frameworkStrings)
        : LApplicationBase(factory, frameworkStrings, u"app -SILENT")
    {
    }
};

// Logs "tag NAME" for every notification it receives.
class NotificationLog : public ZQ::LNotificationClient
{
public:
    NotificationLog(std::vector<std::string>& log, std::string tag) : mLog(log), mTag(std::move(tag)) {}

    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& /*source*/,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override
    {
        mLog.push_back(mTag + " " + std::string(ZQ::AString(ZQ::WString(notification->GetID())).GetBuffer()));
        return 0;
    }

private:
    std::vector<std::string>& mLog;
    std::string mTag;
};

// A root window over fake services, let go of whole at the end of the scope.
struct TestRootWindow
{
    explicit TestRootWindow(bool active, const ZQ::RCPtr<ZQ::LRenderer>& renderer = nullptr)
    {
        Services.Active = active;
        Window = ZQ::LRootWindow::Create(renderer, &Services);
    }
    ~TestRootWindow() { (void)Window->ReleaseInternalReferences(); }
    TestRootWindow(const TestRootWindow&) = delete;
    TestRootWindow& operator=(const TestRootWindow&) = delete;

    FakeWindowServices Services;
    ZQ::RCPtr<ZQ::LRootWindow> Window;
};
} // namespace ZQTest
