#include "Support/FakeWindowServices.h"

#include <algorithm>

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
    Calls.emplace_back("SetTitle");
    Title = text;
    return 0;
}

ZQRESULT FakeWindowServices::InvalidateAll()
{
    Calls.emplace_back("InvalidateAll");
    return 0;
}

ZQRESULT FakeWindowServices::InvalidateRect(const ZQ::RectT<int32_t>& rect)
{
    Calls.push_back(RectText("InvalidateRect", rect));
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
    Calls.push_back(RectText("SetWindowRect", rect));
    ScreenRect = rect;
    return 0;
}

bool FakeWindowServices::Show(int32_t command)
{
    Calls.push_back("Show " + std::to_string(command));
    return true;
}

ZQRESULT FakeWindowServices::RedrawNow()
{
    Calls.emplace_back("RedrawNow");
    return 0;
}

ZQRESULT FakeWindowServices::BringToTop()
{
    Calls.emplace_back("BringToTop");
    return 0;
}

ZQRESULT FakeWindowServices::SetTopMost(bool topMost)
{
    Calls.push_back(std::string("SetTopMost ") + (topMost ? "1" : "0"));
    return 0;
}

ZQRESULT FakeWindowServices::EndModal(int32_t result)
{
    Calls.push_back("EndModal " + std::to_string(result));
    ModalResults.push_back(result);
    Modal = false;
    return 0;
}

int32_t FakeWindowServices::RunModalLoop()
{
    Calls.emplace_back("RunModalLoop");
    return ModalResults.empty() ? -1 : ModalResults.back();
}

ZQRESULT FakeWindowServices::SetFocus()
{
    Calls.emplace_back("SetFocus");
    Focused = true;
    return 0;
}

intptr_t FakeWindowServices::SetCursor(intptr_t cursor)
{
    Calls.push_back("SetCursor " + std::to_string(cursor));
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
    Calls.push_back("SetTextInput " + std::to_string(mode));
    return 0;
}

int FakeWindowServices::Count(const std::string& name) const
{
    return static_cast<int>(std::count_if(Calls.begin(), Calls.end(),
                                          [&](const std::string& call)
                                          { return call == name || call.rfind(name + " ", 0) == 0; }));
}
} // namespace ZQTest
