#pragma once

#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"

#include <mutex>
#include <string>
#include <vector>

// Native-window services for headless tests: every call is recorded by name (with its arguments where
// they matter) and answered from plain fields that a test sets.
namespace ZQTest
{
class FakeWindowServices : public ZQ::IWindowOSServices
{
public:
    ZQRESULT SetTitle(const ZQ::WString& text) override;
    ZQRESULT InvalidateAll() override;
    ZQRESULT InvalidateRect(const ZQ::RectT<int32_t>& rect) override;
    ZQRESULT GetClientRect(ZQ::RectT<int32_t>& rect) override;
    ZQRESULT ScreenToClient(ZQ::PointT<int32_t>& out, const ZQ::PointT<int32_t>& point) override;
    ZQRESULT ClientToScreen(ZQ::PointT<int32_t>& out, const ZQ::PointT<int32_t>& point) override;
    ZQRESULT SetWindowRect(const ZQ::RectT<int32_t>& rect) override;
    bool Show(int32_t command) override;
    ZQRESULT RedrawNow() override;
    ZQRESULT BringToTop() override;
    ZQRESULT SetTopMost(bool topMost) override;
    ZQRESULT EndModal(int32_t result) override;
    int32_t RunModalLoop() override;
    [[nodiscard]] bool IsModal() override { return Modal; }
    [[nodiscard]] bool IsActive() override { return Active; }
    [[nodiscard]] bool HasFocus() override { return Focused; }
    ZQRESULT SetFocus() override;
    intptr_t SetCursor(intptr_t cursor) override;
    ZQRESULT GetCursorPos(ZQ::PointT<int32_t>& point) override;
    [[nodiscard]] uint32_t GetMouseButtons() override { return MouseButtons; }
    [[nodiscard]] uintptr_t GetNativeHandle() override { return NativeHandle; }
    ZQRESULT SetTextInput(int32_t mode, const ZQ::WString& value) override;

    // The number of recorded calls named name.
    [[nodiscard]] int Count(const std::string& name) const;

    // Every call in order (InvalidateRect may come from any thread; recording takes a lock): "SetTitle",
    // "InvalidateRect 10 20 30 40", "EndModal 3", "SetCursor 2", ...
    std::vector<std::string> Calls;
    uintptr_t NativeHandle = 0;
    // The window's client area on the screen.
    ZQ::RectT<int32_t> ScreenRect{100, 50, 400, 300};
    ZQ::WString Title;
    ZQ::PointT<int32_t> CursorPos{};
    intptr_t Cursor = 0;
    uint32_t MouseButtons = 0;
    bool Modal = false;
    bool Active = true;
    bool Focused = true;
    std::vector<int32_t> ModalResults;

private:
    void Record(std::string call);
    mutable std::mutex mCallsLock;
};
} // namespace ZQTest
