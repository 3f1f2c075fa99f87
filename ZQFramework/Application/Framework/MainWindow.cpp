#include "ZQFramework/Application/Framework/MainWindow.h"

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Resources/Resources.h"
#include "Platform/Text/Utf.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/Placement.h"
#include "ZQFramework/Application/Framework/FrameworkApp.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/ObjectBase/Exception.h"

#include <stdexcept>
#include <vector>

namespace ZQ
{
namespace
{
using Platform::Window::Rect;

bool SameLimit(const LLayoutDescriptor::AxisLimit& a, const LLayoutDescriptor::AxisLimit& b)
{
    return a.ToOther == b.ToOther && a.Rel == b.Rel && a.Abs == b.Abs;
}

bool IsUnset(const LLayoutDescriptor::AxisLimit& limit)
{
    return limit.Rel == 0 && limit.Abs == 0;
}

std::u16string View(const WString& text)
{
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}
} // namespace

uint32_t MainWindowStyle(const LLayoutDescriptor& layout)
{
    const bool noMinimum = IsUnset(layout.mXMinimum) && IsUnset(layout.mYMinimum);
    const bool minimumIsMaximum =
        SameLimit(layout.mXMinimum, layout.mXMaximum) && SameLimit(layout.mYMinimum, layout.mYMaximum);
    const bool allReferenced = layout.mXMinimum.ToOther && layout.mYMinimum.ToOther &&
                               layout.mXMaximum.ToOther && layout.mYMaximum.ToOther;
    const bool resizable = (noMinimum || !minimumIsMaximum) && !allReferenced;
    if (!resizable)
        return kFixedMainWindowStyle;
    const bool unlimited = layout.mXMaximum.Abs == 0 && layout.mYMaximum.Abs == 0 &&
                           !layout.mXMaximum.ToOther && !layout.mYMaximum.ToOther;
    return unlimited ? kMaximizableMainWindowStyle : kSizableMainWindowStyle;
}

void ApplyStyleLimits(uint32_t style, int32_t width, int32_t height, Platform::Window::WindowDesc& desc)
{
    const bool fixed = (style & kSizingFrameStyle) == 0;
    desc.minWidth = fixed ? width : 0;
    desc.minHeight = fixed ? height : 0;
    desc.maxWidth = fixed ? width : 0;
    desc.maxHeight = fixed ? height : 0;
}

Rect CutToDesktop(const Rect& rect, const Rect& desktop)
{
    Rect cut = rect;
    if (cut.Width() > desktop.Width())
        cut.right = cut.left + desktop.Width();
    if (cut.Height() > desktop.Height())
        cut.bottom = cut.top + desktop.Height();
    return cut;
}

Rect MoveOntoDesktop(const Rect& rect, const Rect& desktop)
{
    const int32_t width = rect.Width();
    const int32_t height = rect.Height();
    Rect moved = rect;
    if (moved.left < 0)
        moved = {0, moved.top, width, moved.bottom};
    if (moved.top < 0)
        moved = {moved.left, 0, moved.right, height};
    if (moved.right > desktop.right)
    {
        moved.right = desktop.Width() >= width ? desktop.right : width;
        moved.left = moved.right - width;
    }
    if (moved.bottom > desktop.bottom)
    {
        moved.bottom = desktop.Height() >= height ? desktop.bottom : height;
        moved.top = moved.bottom - height;
    }
    return moved;
}

OSWindow* CreateMainOSWindow(LFrameworkApp& application, std::u16string_view identity)
{
    WString title;
    application.GetCompanyName(title);
    WString mainControlName;
    application.GetMainControlName(mainControlName);
    const RCPtr<LControlFactory> factory = application.GetControlFactory();
    const RCPtr<LControlDescriptor> descriptor =
        factory != nullptr ? factory->FindSkinDescriptor(mainControlName) : nullptr;
    if (descriptor == nullptr || descriptor->mLayout == nullptr)
    {
        throw Exception<std::runtime_error>(
            "Runtime Error : Null Pointer : Invalid Control Name : "
            "ZQ::LApplicationBase<class LApplication>::CreateMainWindow : "
            "zqframework\\include\\../Application/ApplicationBaseWin : Line 1272");
    }
    if (Platform::Window::Display::Current() == nullptr)
        return nullptr;

    const LLayoutDescriptor& layout = *descriptor->mLayout;
    const auto x = static_cast<int32_t>(layout.mXPosition.Abs);
    const auto y = static_cast<int32_t>(layout.mYPosition.Abs);
    const auto width = static_cast<int32_t>(layout.mXSize.Abs);
    const auto height = static_cast<int32_t>(layout.mYSize.Abs);
    Platform::Window::WindowDesc desc;
    desc.className = Platform::Utf16ToUtf8(identity);
    desc.title = View(title);
    desc.rect = {x, y, x + width, y + height};
    ApplyStyleLimits(MainWindowStyle(layout), width, height, desc);
    OSWindow* window = OSWindow::Create(desc);
    if (window == nullptr)
        return nullptr;
    if (window->GetHandle() == 0)
    {
        delete window;
        return nullptr;
    }
    SetApplicationIcon(window->GetHandle());
    return window;
}

ZQRESULT FinishMainWindow(OSWindow& window, int32_t rendererType, std::u16string_view identity)
{
    const ZQRESULT result = window.CreateRenderer(rendererType);
    Platform::Window::Display* display = Platform::Window::Display::Current();
    const Platform::Window::WindowHandle handle = window.GetHandle();
    if (display == nullptr)
        return result;
    if (const auto placement = Platform::Window::LoadPlacement(identity); placement.has_value())
        display->SetPlacement(handle, *placement);
    if (display->GetPlacement(handle).showCommand ==
        static_cast<uint32_t>(Platform::Window::kSwShowMinimized))
        (void)display->ShowWindow(handle, Platform::Window::kSwRestore);
    const Platform::Window::Point screen = display->ScreenSize();
    const Rect desktop{0, 0, screen.x, screen.y};
    Rect rect = CutToDesktop(display->GetWindowRect(handle), desktop);
    window.ConstrainWindowRect(rect);
    display->MoveWindow(handle, MoveOntoDesktop(rect, desktop));
    return result;
}

void SetApplicationIcon(Platform::Window::WindowHandle window)
{
    Platform::Window::Display* display = Platform::Window::Display::Current();
    const auto bytes = Platform::FindResource(u"ICON", u"128");
    if (display == nullptr || !bytes.has_value())
        return;
    const auto image = Platform::Gdiplus::Bitmap::FromPng(*bytes);
    if (image == nullptr)
        return;
    Platform::Gdiplus::LockedBits bits;
    if (image->LockBits({0, 0, image->Width(), image->Height()}, Platform::Gdiplus::LockMode::Read,
                        Platform::Gdiplus::PixelFormat::Argb32, bits) != Platform::Gdiplus::Status::Ok)
        return;
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(bits.width) * static_cast<size_t>(bits.height));
    for (int32_t row = 0; row < bits.height; ++row)
    {
        const auto* line =
            reinterpret_cast<const uint32_t*>(bits.scan0 + static_cast<ptrdiff_t>(row) * bits.stride);
        pixels.insert(pixels.end(), line, line + bits.width);
    }
    (void)image->UnlockBits(bits);
    display->SetIcon(window, bits.width, bits.height, pixels);
}

// --- Further root windows ---

uint32_t RootWindowStyle(bool systemMenu, bool minimizeBox, bool maximizeBox, bool resizable)
{
    uint32_t style = kPopupCaptionStyle;
    if (systemMenu || minimizeBox || maximizeBox)
    {
        style = kPopupSystemMenuStyle;
        if (maximizeBox)
            style |= kMaximizeBoxStyle;
        if (minimizeBox)
            style |= kMinimizeBoxStyle;
    }
    if (resizable)
        style |= kSizingFrameStyle;
    return style;
}

Rect MoveIntoWorkArea(const Rect& rect, const RectT<int32_t>& workArea)
{
    // Without a display there is no work area to move into.
    if (workArea.width <= 0 || workArea.height <= 0)
        return rect;
    int32_t dx = 0;
    int32_t dy = 0;
    if (rect.left < workArea.x)
        dx = workArea.x - rect.left;
    else if (rect.right > workArea.x + workArea.width)
        dx = workArea.x + workArea.width - rect.right;
    if (rect.top < workArea.y)
        dy = workArea.y - rect.top;
    else if (rect.bottom > workArea.y + workArea.height)
        dy = workArea.y + workArea.height - rect.bottom;
    return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

namespace
{
// The root window that places a control's window: the active one, else the first.
RCPtr<LRootWindow> PlacingRootWindow(const LFrameworkApp& application)
{
    RCPtr<LRootWindow> root = application.FindActiveRootWindow();
    if (root == nullptr)
        root = RCPtr<LRootWindow>(application.GetFirstRootWindow());
    return root;
}

RCPtr<LControlDescriptor> RequestDescriptor(const LFrameworkApp& application,
                                            const RootWindowRequest& request)
{
    if (request.Control != nullptr)
        return request.Control->GetDescriptor();
    const RCPtr<LControlFactory> factory = application.GetControlFactory();
    return factory != nullptr ? factory->FindSkinDescriptor(request.Name) : nullptr;
}

// What the window is made with; false when a control's window has no root window to be placed by.
bool DescribeRootWindow(LFrameworkApp& application, const RootWindowRequest& request,
                        Platform::Window::WindowDesc& desc, RCPtr<LRenderer>& sharedRenderer)
{
    bool resizable = false;
    if (request.ByName || request.Modeless)
    {
        const RCPtr<LControlDescriptor> descriptor = RequestDescriptor(application, request);
        if (descriptor == nullptr || descriptor->mLayout == nullptr)
        {
            throw Exception<std::runtime_error>(
                "Runtime Error : Null Pointer : Control descriptor is null : "
                "ZQ::LApplicationBase<class LApplication>::CreateRootWindow : "
                "zqframework\\include\\../Application/ApplicationBaseWin : Line 981");
        }
        resizable = (MainWindowStyle(*descriptor->mLayout) & kSizingFrameStyle) != 0;
    }
    const uint32_t style =
        RootWindowStyle(request.SystemMenu, request.MinimizeBox, request.MaximizeBox, resizable);
    desc.className = "ZQFrameworkWindow";
    if (request.ByName)
    {
        const RCPtr<LControlFactory> factory = application.GetControlFactory();
        const RCPtr<LControlDescriptor> descriptor =
            factory != nullptr ? factory->FindSkinDescriptor(request.Name) : nullptr;
        if (descriptor == nullptr || descriptor->mLayout == nullptr)
        {
            throw Exception<std::runtime_error>(
                "Runtime Error : Null Pointer : Invalid Control Name : "
                "ZQ::LApplicationBase<class LApplication>::CreateRootWindow : "
                "zqframework\\include\\../Application/ApplicationBaseWin : Line 1039");
        }
        WString title;
        if (descriptor->mCreateParams != nullptr)
            (void)descriptor->mCreateParams->GetString(u"LABEL", title);
        desc.title = View(title);
        const LLayoutDescriptor& layout = *descriptor->mLayout;
        const auto x = static_cast<int32_t>(layout.mXPosition.Abs);
        const auto y = static_cast<int32_t>(layout.mYPosition.Abs);
        const auto width = static_cast<int32_t>(layout.mXSize.Abs);
        const auto height = static_cast<int32_t>(layout.mYSize.Abs);
        desc.rect = {x, y, x + width, y + height};
        ApplyStyleLimits(style, width, height, desc);
        return true;
    }
    const RCPtr<LRootWindow> placing = PlacingRootWindow(application);
    if (request.Control == nullptr || placing == nullptr || placing->GetServices() == nullptr)
        return false;
    desc.title = View(request.Control->GetLabel());
    const RectT<int32_t> size = request.Control->GetRect().RoundToLong();
    PointT<int32_t> origin;
    (void)placing->GetServices()->ClientToScreen(origin, {size.x, size.y});
    desc.rect = {origin.x, origin.y, origin.x + size.width, origin.y + size.height};
    if (!request.Modeless)
        desc.parent = placing->GetServices()->GetNativeHandle();
    ApplyStyleLimits(style, size.width, size.height, desc);
    sharedRenderer = placing->GetRenderer();
    return true;
}
} // namespace

int32_t CreateFrameworkRootWindow(LFrameworkApp& application, const RootWindowRequest& request,
                                  const std::function<void(Platform::Window::WindowHandle)>& setMainWindow)
{
    const uint32_t before = application.GetRootWindowCount();
    Platform::Window::WindowDesc desc;
    RCPtr<LRenderer> sharedRenderer;
    if (!DescribeRootWindow(application, request, desc, sharedRenderer))
        return E_FAIL;
    OSWindow* window = OSWindow::Create(desc);
    if (window == nullptr || window->GetHandle() == 0)
    {
        delete window;
        return E_FAIL;
    }
    const Rect placed = MoveIntoWorkArea(desc.rect, application.GetWorkArea());
    (void)window->SetWindowRect({placed.left, placed.top, placed.Width(), placed.Height()});
    SetApplicationIcon(window->GetHandle());
    if (request.ByName)
        (void)window->CreateRenderer(application.GetRendererType());
    else
        (void)window->SetRenderer(sharedRenderer);

    if (application.GetRootWindowCount() != before + 1 || window->GetRootWindow() == nullptr)
    {
        delete window;
        return E_FAIL;
    }
    const RCPtr<LRootWindow>& root = window->GetRootWindow();
    if (request.ByName)
    {
        setMainWindow(window->GetHandle());
        (void)root->SetRootControlByName(request.Name);
        (void)window->Show(Platform::Window::kSwShow);
        (void)window->RedrawNow();
    }
    else
    {
        (void)root->SetRootControl(request.Control);
    }
    return static_cast<int32_t>(before);
}

IWindowOSServices* GetRootWindowServices(const LFrameworkApp& application, int32_t index)
{
    if (index < 0)
        return nullptr;
    const RCPtr<LRootWindow> root(application.GetRootWindowAt(static_cast<uint32_t>(index)));
    return root != nullptr ? root->GetServices() : nullptr;
}
} // namespace ZQ
