#include "Support/FakeWindowServices.h"

#include <algorithm>
#include <utility>

namespace ZQTest
{
namespace
{
std::string RectText(const char* name, const ZQ::RectT<int32_t>& rect)
{
    return std::string(name) + " " + std::to_string(rect.x) + " " + std::to_string(rect.y) + " " +
           std::to_string(rect.width) + " " + std::to_string(rect.height);
}
} // namespace

ZQRESULT FakeWindowServices::SetTitle(const ZQ::WString& text)
{
    Record("SetTitle");
    Title = text;
    return 0;
}

ZQRESULT FakeWindowServices::InvalidateAll()
{
    Record("InvalidateAll");
    return 0;
}

ZQRESULT FakeWindowServices::InvalidateRect(const ZQ::RectT<int32_t>& rect)
{
    Record(RectText("InvalidateRect", rect));
    return 0;
}

ZQRESULT FakeWindowServices::GetClientRect(ZQ::RectT<int32_t>& rect)
{
    rect = {0, 0, ScreenRect.width, ScreenRect.height};
    return 0;
}

ZQRESULT FakeWindowServices::ScreenToClient(ZQ::PointT<int32_t>& out, const ZQ::PointT<int32_t>& point)
{
    out = {point.x - ScreenRect.x, point.y - ScreenRect.y};
    return 0;
}

ZQRESULT FakeWindowServices::ClientToScreen(ZQ::PointT<int32_t>& out, const ZQ::PointT<int32_t>& point)
{
    out = {point.x + ScreenRect.x, point.y + ScreenRect.y};
    return 0;
}

ZQRESULT FakeWindowServices::SetWindowRect(const ZQ::RectT<int32_t>& rect)
{
    Record(RectText("SetWindowRect", rect));
    ScreenRect = rect;
    return 0;
}

bool FakeWindowServices::Show(int32_t command)
{
    Record("Show " + std::to_string(command));
    return true;
}

ZQRESULT FakeWindowServices::RedrawNow()
{
    Record("RedrawNow");
    return 0;
}

ZQRESULT FakeWindowServices::BringToTop()
{
    Record("BringToTop");
    return 0;
}

ZQRESULT FakeWindowServices::SetTopMost(bool topMost)
{
    Record(std::string("SetTopMost ") + (topMost ? "1" : "0"));
    return 0;
}

ZQRESULT FakeWindowServices::EndModal(int32_t result)
{
    Record("EndModal " + std::to_string(result));
    ModalResults.push_back(result);
    Modal = false;
    return 0;
}

int32_t FakeWindowServices::RunModalLoop()
{
    Record("RunModalLoop");
    return ModalResults.empty() ? -1 : ModalResults.back();
}

ZQRESULT FakeWindowServices::SetFocus()
{
    Record("SetFocus");
    Focused = true;
    return 0;
}

intptr_t FakeWindowServices::SetCursor(intptr_t cursor)
{
    Record("SetCursor " + std::to_string(cursor));
    const intptr_t previous = Cursor;
    Cursor = cursor;
    return previous;
}

ZQRESULT FakeWindowServices::GetCursorPos(ZQ::PointT<int32_t>& point)
{
    point = CursorPos;
    return 0;
}

ZQRESULT FakeWindowServices::SetTextInput(int32_t mode, const ZQ::WString& /*value*/)
{
    Record("SetTextInput " + std::to_string(mode));
    return 0;
}

void FakeWindowServices::Record(std::string call)
{
    const std::lock_guard<std::mutex> lock(mCallsLock);
    Calls.push_back(std::move(call));
}

int FakeWindowServices::Count(const std::string& name) const
{
    const std::lock_guard<std::mutex> lock(mCallsLock);
    return static_cast<int>(std::count_if(Calls.begin(), Calls.end(),
                                          [&](const std::string& call)
                                          { return call == name || call.rfind(name + " ", 0) == 0; }));
}
} // namespace ZQTest
