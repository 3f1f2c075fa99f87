#pragma once

#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"

#include <vector>

// What the control base asks of the application object, answered from plain fields that a test sets. The
// object installs itself as the current application for its lifetime (one at a time).
namespace ZQTest
{
class FakeControlApplication : public ZQ::IControlApplication
{
public:
    explicit FakeControlApplication(ZQ::RCPtr<ZQ::LControlFactory> factory = nullptr);
    ~FakeControlApplication() override;
    FakeControlApplication(const FakeControlApplication&) = delete;
    FakeControlApplication& operator=(const FakeControlApplication&) = delete;

    [[nodiscard]] ZQ::RCPtr<ZQ::LControlFactory> GetControlFactory() const override { return Factory; }
    [[nodiscard]] ZQ::RectT<int32_t> GetWorkArea() const override { return WorkArea; }
    [[nodiscard]] ZQ::RCPtr<ZQ::LRefCountedObject> GetActiveRootWindow() const override
    {
        return ActiveRootWindow;
    }
    [[nodiscard]] ZQ::RCPtr<ZQ::LRefCountedObject> GetFirstRootWindow() const override
    {
        return FirstRootWindow;
    }
    [[nodiscard]] ZQ::PointT<int32_t> GetPointerScreenPosition() const override { return PointerPosition; }
    // "UI_CURSOR_ARROW" is 1, "UI_CURSOR_DROP_MOVE" 2, "UI_CURSOR_NO_DROP" 3; others 0.
    [[nodiscard]] intptr_t GetCursor(const ZQ::WString& name) const override;
    ZQRESULT GetDefaultFont(ZQ::WString& name, float& size, int32_t& style) const override;
    [[nodiscard]] uint32_t GetMilliseconds() const override { return Milliseconds; }
    [[nodiscard]] double GetElapsedSeconds() const override { return Seconds; }
    // Down when the key is in KeysDown; never toggled.
    ZQRESULT GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) const override;
    [[nodiscard]] uint32_t GetMouseButtons() const override { return MouseButtons; }
    [[nodiscard]] ZQ::RCPtr<ZQ::LGlobalHotKeyManager> GetHotKeyManager() const override { return HotKeys; }
    [[nodiscard]] uint32_t GetRootWindowCount() const override
    {
        return static_cast<uint32_t>(RootWindows.size());
    }
    [[nodiscard]] ZQ::RCPtr<ZQ::LRefCountedObject> GetRootWindowAt(uint32_t index) const override
    {
        return index < RootWindows.size() ? RootWindows[index] : nullptr;
    }

    // Registration adds to and removes from RootWindows.
    void RegisterRootWindow(const ZQ::RCPtr<ZQ::LRootWindow>& rootWindow) override;
    void UnregisterRootWindow(const ZQ::LRootWindow* rootWindow) override;
    // Counts the calls (first passes apart) and answers PendingWork.
    bool ProcessPendingNotifications(bool firstPass) override;
    void OnCommandLine(const ZQ::WString& text) override { CommandLines.push_back(text); }
    intptr_t OnPowerBroadcast(uintptr_t, uintptr_t) override { return PowerBroadcastAnswer; }
    [[nodiscard]] ZQ::RCPtr<ZQ::LClipboard> GetClipboard() const override { return Clipboard; }
    [[nodiscard]] ZQ::WString GetWindowClassName() const override { return WindowClassName; }

    ZQ::RCPtr<ZQ::LControlFactory> Factory;
    ZQ::RectT<int32_t> WorkArea{0, 0, 1280, 1024};
    ZQ::RCPtr<ZQ::LRefCountedObject> ActiveRootWindow;
    ZQ::RCPtr<ZQ::LRefCountedObject> FirstRootWindow;
    ZQ::PointT<int32_t> PointerPosition{};
    ZQ::WString DefaultFontName = u"Arial";
    float DefaultFontSize = 9.0f;
    int32_t DefaultFontStyle = 0;
    uint32_t Milliseconds = 0;
    double Seconds = 0;
    std::vector<uint32_t> KeysDown;
    uint32_t MouseButtons = 0;
    ZQ::RCPtr<ZQ::LGlobalHotKeyManager> HotKeys;
    std::vector<ZQ::RCPtr<ZQ::LRefCountedObject>> RootWindows;
    int32_t IdlePasses = 0;
    int32_t FirstIdlePasses = 0;
    bool PendingWork = false;
    std::vector<ZQ::WString> CommandLines;
    intptr_t PowerBroadcastAnswer = 1;
    ZQ::RCPtr<ZQ::LClipboard> Clipboard;
    ZQ::WString WindowClassName = u"ZQTestWindow";
};
} // namespace ZQTest
