#pragma once

#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// What a root window and its controls ask of the native window that shows them. The native window
// implements it and hands it to its root window, which forgets it when the window goes. Rectangles and
// points are in pixels; client rectangles are relative to the window's client area unless said otherwise.
// UI thread only.
class IWindowOSServices
{
public:
    virtual ~IWindowOSServices() = default;

    // E_FAIL without a native window, else 0.
    virtual ZQRESULT SetTitle(const WString& text) = 0;
    virtual ZQRESULT InvalidateAll() = 0;
    virtual ZQRESULT InvalidateRect(const RectT<int32_t>& rect) = 0;
    // Leaves rect untouched when the system's rectangle is inverted.
    virtual ZQRESULT GetClientRect(RectT<int32_t>& rect) = 0;
    virtual ZQRESULT ScreenToClient(PointT<int32_t>& out, const PointT<int32_t>& point) = 0;
    virtual ZQRESULT ClientToScreen(PointT<int32_t>& out, const PointT<int32_t>& point) = 0;
    // Moves the window so that its client area lands on rect (screen coordinates).
    virtual ZQRESULT SetWindowRect(const RectT<int32_t>& rect) = 0;
    // Whether the window was visible.
    virtual bool Show(int32_t command) = 0;
    virtual ZQRESULT RedrawNow() = 0;
    virtual ZQRESULT BringToTop() = 0;
    virtual ZQRESULT SetTopMost(bool topMost) = 0;
    // Ends the running modal loop with result; outside one, destroys the window.
    virtual ZQRESULT EndModal(int32_t result) = 0;
    virtual int32_t RunModalLoop() = 0;
    [[nodiscard]] virtual bool IsModal() = 0;
    [[nodiscard]] virtual bool IsActive() = 0;
    [[nodiscard]] virtual bool HasFocus() = 0;
    virtual ZQRESULT SetFocus() = 0;
    // The previous cursor.
    virtual intptr_t SetCursor(intptr_t cursor) = 0;
    virtual ZQRESULT GetCursorPos(PointT<int32_t>& point) = 0;
    // 1 left, 2 middle, 4 right.
    [[nodiscard]] virtual uint32_t GetMouseButtons() = 0;
    [[nodiscard]] virtual uintptr_t GetNativeHandle() = 0;
    virtual ZQRESULT SetTextInput(int32_t mode, const WString& value) = 0;
};
} // namespace ZQ
