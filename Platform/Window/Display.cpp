#include "Platform/Window/Display.h"

#include "Platform/Gdiplus/WindowSurface.h"
#include "Platform/Text/Utf.h"
#include "Platform/Window/Keys.h"
#include "Platform/Window/MessageLoop.h"
#include "Platform/Window/Mouse.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <cairo-xlib.h>
#include <cstdlib>
#include <gdk/gdk.h>
#include <map>
#include <poll.h>
#include <utility>

namespace Platform::Window
{
namespace
{
Display* gCurrentDisplay = nullptr;

// X errors (a window gone between two requests, a focus on a window not yet mapped) are expected now
// and then; they are ignored rather than ending the program, as Xlib's default handler would.
int IgnoreXError(::Display*, XErrorEvent*)
{
    return 0;
}

::Window ToX(WindowHandle window)
{
    return static_cast<::Window>(window);
}

uint32_t MouseKeys(unsigned state)
{
    uint32_t keys = 0;
    if (state & ShiftMask)
        keys |= kMkShift;
    if (state & ControlMask)
        keys |= kMkControl;
    if (state & Button1Mask)
        keys |= kMkLButton;
    if (state & Button2Mask)
        keys |= kMkMButton;
    if (state & Button3Mask)
        keys |= kMkRButton;
    return keys;
}

// The characters a key event types, as UTF-8.
std::string KeyText(XKeyEvent& event, KeySym* keysym)
{
    char buffer[32] = {};
    const int length = XLookupString(&event, buffer, sizeof buffer, keysym, nullptr);
    if (length == 1 && (static_cast<unsigned char>(buffer[0]) < 0x20 || buffer[0] == 0x7F))
        return std::string(1, buffer[0]);
    const uint32_t unicode = gdk_keyval_to_unicode(static_cast<guint>(*keysym));
    if (unicode == 0)
        return {};
    char utf8[8] = {};
    const int bytes = g_unichar_to_utf8(unicode, utf8);
    return std::string(utf8, static_cast<size_t>(bytes));
}

struct Atoms
{
    Atom wmProtocols, wmDeleteWindow, netWmName, utf8String, netWmIcon, netWmState, netWmStateAbove,
        netWorkArea, netActiveWindow, copyData, copyDataAck, clipboard, targets, privateTarget,
        clipboardProperty;

    explicit Atoms(::Display* display)
    {
        const auto intern = [display](const char* name) { return XInternAtom(display, name, False); };
        wmProtocols = intern("WM_PROTOCOLS");
        wmDeleteWindow = intern("WM_DELETE_WINDOW");
        netWmName = intern("_NET_WM_NAME");
        utf8String = intern("UTF8_STRING");
        netWmIcon = intern("_NET_WM_ICON");
        netWmState = intern("_NET_WM_STATE");
        netWmStateAbove = intern("_NET_WM_STATE_ABOVE");
        netWorkArea = intern("_NET_WORKAREA");
        netActiveWindow = intern("_NET_ACTIVE_WINDOW");
        copyData = intern("_ZQ_COPYDATA");
        copyDataAck = intern("_ZQ_COPYDATA_ACK");
        clipboard = intern("CLIPBOARD");
        targets = intern("TARGETS");
        privateTarget = intern("_ZQ_PRIVATE_CLIPBOARD");
        clipboardProperty = intern("_ZQ_CLIPBOARD");
    }
};

struct NativeWindow
{
    WindowProc proc;
    Rect rect; // client area, relative to the parent
    WindowHandle parent = 0;
    bool visible = false;
    bool viewable = false;
    bool iconic = false;
    int32_t minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
};

// Sends a client message of format 32 to a window.
void SendClientMessage(::Display* display, ::Window to, Atom type, std::initializer_list<long> data,
                       long mask = NoEventMask)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    int i = 0;
    for (long value : data)
        event.xclient.data.l[i++] = value;
    XSendEvent(display, to, False, mask, &event);
}
} // namespace

struct Display::Impl
{
    MessageLoop& loop;
    ::Display* display;
    Atoms atoms;
    std::map<WindowHandle, NativeWindow> windows;
    KeyTranslator keys;
    DoubleClickDetector clicks;
    WindowHandle focus = 0;
    WindowHandle capture = 0;
    bool grabbed = false;
    std::map<uint32_t, ::Cursor> standardCursors;
    std::vector<::Cursor> ownCursors;
    ::Cursor current = None;
    ::Cursor blank = None;
    bool cursorShown = true;
    // The CLIPBOARD selection.
    ::Window clipboardOwner = None;
    ::Window hiddenWindow = None;
    std::optional<std::string> clipboardText;
    uint32_t clipboardSequence = 0;
    int fixesEventBase = -1;

    Impl(MessageLoop& owner, ::Display* connection) : loop(owner), display(connection), atoms(connection) {}

    NativeWindow* Find(WindowHandle window)
    {
        const auto found = windows.find(window);
        return found == windows.end() ? nullptr : &found->second;
    }

    void Deliver(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
    {
        loop.DispatchMessage({window, message, wParam, lParam});
    }

    void ApplyCursor(::Window window) { XDefineCursor(display, window, cursorShown ? current : blank); }

    void HandleEvent(XEvent& event);
    void HandleKey(XKeyEvent& event);
    void HandleButton(XButtonEvent& event);
    void HandleConfigure(XConfigureEvent& event);
    void HandleClientMessage(XClientMessageEvent& event);
    void ReadModifierSides();
    void ServeSelectionRequest(const XSelectionRequestEvent& request);
    void LoseClipboard();
    ::Window HiddenWindow()
    {
        if (hiddenWindow == None)
            hiddenWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, 0, 0);
        return hiddenWindow;
    }
};

void Display::Impl::ServeSelectionRequest(const XSelectionRequestEvent& request)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    const Atom property = request.property != None ? request.property : request.target;
    if (request.selection == atoms.clipboard && request.owner == clipboardOwner && clipboardOwner != None)
    {
        if (request.target == atoms.targets)
        {
            std::vector<long> offered{static_cast<long>(atoms.targets)};
            if (clipboardText)
                offered.push_back(static_cast<long>(atoms.utf8String));
            else
                offered.push_back(static_cast<long>(atoms.privateTarget));
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered.data()),
                            static_cast<int>(offered.size()));
            reply.xselection.property = property;
        }
        else if (request.target == atoms.utf8String && clipboardText)
        {
            XChangeProperty(display, request.requestor, property, atoms.utf8String, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(clipboardText->data()),
                            static_cast<int>(clipboardText->size()));
            reply.xselection.property = property;
        }
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

void Display::Impl::LoseClipboard()
{
    const ::Window owner = std::exchange(clipboardOwner, None);
    clipboardText.reset();
    ++clipboardSequence;
    if (owner != None && owner != hiddenWindow)
        Deliver(owner, kWmDestroyClipboard, 0, 0);
}

void Display::Impl::HandleKey(XKeyEvent& event)
{
    KeySym keysym = NoSymbol;
    const std::string text = KeyText(event, &keysym);
    // The virtual key comes from the unshifted keysym, as the key's label does on the original.
    const KeySym base = XLookupKeysym(&event, 0);
    const bool down = event.type == KeyPress;
    const auto messages = keys.Translate(static_cast<uint32_t>(base != NoSymbol ? base : keysym),
                                         static_cast<uint8_t>(event.keycode - 8), down, down ? text : "");
    for (const auto& m : messages)
        Deliver(event.window, m.message, m.wParam, m.lParam);
}

void Display::Impl::HandleButton(XButtonEvent& event)
{
    const Point at{event.x, event.y};
    if (const auto wheel = WheelStepForButton(event.button))
    {
        if (event.type != ButtonPress)
            return;
        const WParam wParam =
            static_cast<WParam>(static_cast<uint16_t>(wheel->delta)) << 16 | MouseKeys(event.state);
        Deliver(event.window, wheel->horizontal ? kWmMouseHWheel : kWmMouseWheel, wParam,
                MakePointParam(event.x_root, event.y_root));
        return;
    }
    const uint32_t bit = ButtonKeyBit(event.button);
    if (bit == 0)
        return;
    if (event.type == ButtonPress)
    {
        const bool isDouble = clicks.Press(event.button, {event.x_root, event.y_root});
        if (capture != 0 && !grabbed)
            grabbed = XGrabPointer(display, ToX(capture), False,
                                   ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                   GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
        Deliver(event.window,
                ButtonMessage(event.button, isDouble ? ButtonAction::DoubleClick : ButtonAction::Down),
                MouseKeys(event.state) | bit, MakePointParam(at.x, at.y));
        return;
    }
    const uint32_t stillHeld = MouseKeys(event.state) & ~bit;
    if (grabbed && (stillHeld & (kMkLButton | kMkMButton | kMkRButton)) == 0)
    {
        XUngrabPointer(display, CurrentTime);
        grabbed = false;
    }
    Deliver(event.window, ButtonMessage(event.button, ButtonAction::Up), stillHeld,
            MakePointParam(at.x, at.y));
}

void Display::Impl::HandleConfigure(XConfigureEvent& event)
{
    NativeWindow* window = Find(event.window);
    if (window == nullptr)
        return;
    const bool moved = event.x != window->rect.left || event.y != window->rect.top;
    const bool resized = event.width != window->rect.Width() || event.height != window->rect.Height();
    window->rect = {event.x, event.y, event.x + event.width, event.y + event.height};
    if (resized)
    {
        // A size outside the limits (the window manager's, or another client's doing) is put back.
        int32_t width = event.width;
        int32_t height = event.height;
        if (window->minWidth > 0)
            width = std::max(width, window->minWidth);
        if (window->minHeight > 0)
            height = std::max(height, window->minHeight);
        if (window->maxWidth > 0)
            width = std::min(width, window->maxWidth);
        if (window->maxHeight > 0)
            height = std::min(height, window->maxHeight);
        if (width != event.width || height != event.height)
            XResizeWindow(display, event.window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        Deliver(event.window, kWmSize, kSizeRestored, MakeSizeParam(event.width, event.height));
    }
    if (moved)
        Deliver(event.window, kWmMove, 0, MakePointParam(event.x, event.y));
}

void Display::Impl::HandleClientMessage(XClientMessageEvent& event)
{
    if (event.message_type == atoms.wmProtocols && static_cast<Atom>(event.data.l[0]) == atoms.wmDeleteWindow)
    {
        Deliver(event.window, kWmSysCommand, kScClose, 0);
        return;
    }
    if (event.message_type != atoms.copyData)
        return;
    const auto property = static_cast<Atom>(event.data.l[1]);
    const auto sender = static_cast<::Window>(event.data.l[2]);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const long words = (event.data.l[3] + 3) / 4;
    long result = 0;
    if (XGetWindowProperty(display, event.window, property, 0, words, True, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        format == 8)
    {
        CopyData copy{static_cast<uintptr_t>(event.data.l[0]), std::span<const uint8_t>(data, count)};
        result = loop.DispatchMessage({event.window, kWmCopyData, sender, reinterpret_cast<LParam>(&copy)});
    }
    if (data != nullptr)
        XFree(data);
    SendClientMessage(display, sender, atoms.copyDataAck, {result});
    XFlush(display);
}

void Display::Impl::ReadModifierSides()
{
    char keymap[32] = {};
    XQueryKeymap(display, keymap);
    const auto held = [&](KeySym keysym)
    {
        const KeyCode code = XKeysymToKeycode(display, keysym);
        return code != 0 && (keymap[code / 8] & (1 << (code % 8))) != 0;
    };
    auto& state = keys.State();
    state.Clear();
    const struct
    {
        KeySym keysym;
        uint8_t code;
        KeySide side;
    } modifiers[] = {
        {XK_Shift_L, kVkShift, KeySide::Left},     {XK_Shift_R, kVkShift, KeySide::Right},
        {XK_Control_L, kVkControl, KeySide::Left}, {XK_Control_R, kVkControl, KeySide::Right},
        {XK_Alt_L, kVkMenu, KeySide::Left},        {XK_Alt_R, kVkMenu, KeySide::Right},
        {XK_Super_L, kVkLWin, KeySide::Neither},   {XK_Super_R, kVkRWin, KeySide::Neither},
    };
    for (const auto& m : modifiers)
        if (held(m.keysym))
            state.Update(m.code, m.side, true);
}

void Display::Impl::HandleEvent(XEvent& event)
{
    const WindowHandle window = event.xany.window;
    switch (event.type)
    {
    case Expose:
        loop.InvalidateRect(window, {event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                     event.xexpose.y + event.xexpose.height});
        break;
    case ConfigureNotify:
        HandleConfigure(event.xconfigure);
        break;
    case MapNotify:
        if (NativeWindow* w = Find(window))
        {
            w->viewable = true;
            if (std::exchange(w->iconic, false))
                Deliver(window, kWmSize, kSizeRestored, MakeSizeParam(w->rect.Width(), w->rect.Height()));
        }
        break;
    case UnmapNotify:
        if (NativeWindow* w = Find(window))
            w->viewable = false;
        break;
    case FocusIn:
        if (event.xfocus.mode == NotifyGrab || event.xfocus.detail == NotifyPointer || focus == window)
            break;
        focus = window;
        ReadModifierSides();
        Deliver(window, kWmActivate, 1, 0);
        Deliver(window, kWmSetFocus, 0, 0);
        break;
    case FocusOut:
        if (event.xfocus.mode == NotifyGrab || event.xfocus.detail == NotifyPointer || focus != window)
            break;
        focus = 0;
        Deliver(window, kWmKillFocus, 0, 0);
        Deliver(window, kWmActivate, 0, 0);
        break;
    case KeyPress:
    case KeyRelease:
        HandleKey(event.xkey);
        break;
    case ButtonPress:
    case ButtonRelease:
        HandleButton(event.xbutton);
        break;
    case MotionNotify:
        Deliver(window, kWmMouseMove, MouseKeys(event.xmotion.state),
                MakePointParam(event.xmotion.x, event.xmotion.y));
        break;
    case LeaveNotify:
        if (capture == window && event.xcrossing.mode == NotifyGrab && !grabbed)
            break;
        if (capture == window && event.xcrossing.mode == NotifyGrab)
        {
            // Another client took the pointer.
            grabbed = false;
            capture = 0;
            Deliver(window, kWmCaptureChanged, 0, 0);
        }
        else if (capture == window && event.xcrossing.mode == NotifyNormal)
            Deliver(window, kWmMouseMove, MouseKeys(event.xcrossing.state),
                    MakePointParam(event.xcrossing.x, event.xcrossing.y));
        break;
    case ClientMessage:
        HandleClientMessage(event.xclient);
        break;
    case SelectionRequest:
        ServeSelectionRequest(event.xselectionrequest);
        break;
    case SelectionClear:
        if (event.xselectionclear.selection == atoms.clipboard &&
            event.xselectionclear.window == clipboardOwner)
            LoseClipboard();
        break;
    default:
        if (fixesEventBase >= 0 && event.type == fixesEventBase + XFixesSelectionNotify)
        {
            const auto& fixes = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
            // Our own writes are counted when made; a loss is counted at SelectionClear.
            if (fixes.owner != clipboardOwner && fixes.owner != None && !Find(fixes.owner) &&
                fixes.owner != hiddenWindow)
                ++clipboardSequence;
        }
        break;
    }
}

Display::Display(std::unique_ptr<Impl> impl) : mImpl(std::move(impl))
{
}

bool IsDisplayNamed()
{
    const char* name = std::getenv("DISPLAY");
    return name != nullptr && *name != '\0';
}

std::unique_ptr<Display> Display::Open(MessageLoop& loop)
{
    ::Display* connection = IsDisplayNamed() ? XOpenDisplay(nullptr) : nullptr;
    if (connection == nullptr)
        return nullptr;
    XSetErrorHandler(IgnoreXError);
    // Auto-repeat comes as presses alone, so a press of a held key is recognised as a repeat.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(connection, True, &supported);
    std::unique_ptr<Display> display(new Display(std::make_unique<Impl>(loop, connection)));
    Impl* impl = display->mImpl.get();
    int fixesError = 0;
    if (XFixesQueryExtension(connection, &impl->fixesEventBase, &fixesError))
        XFixesSelectSelectionInput(connection, DefaultRootWindow(connection), impl->atoms.clipboard,
                                   XFixesSetSelectionOwnerNotifyMask);
    else
        impl->fixesEventBase = -1;
    loop.SetEventSource({ConnectionNumber(connection), [impl] { return XPending(impl->display) > 0; },
                         [impl]
                         {
                             while (XPending(impl->display) > 0)
                             {
                                 XEvent event;
                                 XNextEvent(impl->display, &event);
                                 impl->HandleEvent(event);
                             }
                             XFlush(impl->display);
                         }});
    gCurrentDisplay = display.get();
    // Graphics on a window draw onto its X drawable through this display.
    Gdiplus::SetWindowSurfaceProvider(
        [owner = display.get()](Gdiplus::WindowHandle window)
        { return Gdiplus::WindowSurface{owner->CreateSurface(static_cast<WindowHandle>(window))}; });
    return display;
}

Display* Display::Current()
{
    return gCurrentDisplay;
}

Display::~Display()
{
    if (gCurrentDisplay == this)
    {
        gCurrentDisplay = nullptr;
        Gdiplus::SetWindowSurfaceProvider({});
    }
    mImpl->loop.ClearEventSource();
    while (!mImpl->windows.empty())
        DestroyWindow(mImpl->windows.begin()->first);
    for (auto& [shape, cursor] : mImpl->standardCursors)
        XFreeCursor(mImpl->display, cursor);
    for (::Cursor cursor : mImpl->ownCursors)
        XFreeCursor(mImpl->display, cursor);
    if (mImpl->blank != None)
        XFreeCursor(mImpl->display, mImpl->blank);
    if (mImpl->hiddenWindow != None)
        XDestroyWindow(mImpl->display, mImpl->hiddenWindow);
    XCloseDisplay(mImpl->display);
}

WindowHandle Display::CreateWindow(const WindowDesc& desc, WindowProc proc)
{
    ::Display* d = mImpl->display;
    const ::Window parent = desc.parent != 0 ? ToX(desc.parent) : DefaultRootWindow(d);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | LeaveWindowMask | StructureNotifyMask |
                            FocusChangeMask;
    const ::Window x = XCreateWindow(
        d, parent, desc.rect.left, desc.rect.top, static_cast<unsigned>(std::max(desc.rect.Width(), 1)),
        static_cast<unsigned>(std::max(desc.rect.Height(), 1)), 0, CopyFromParent, InputOutput,
        CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
    const WindowHandle handle = x;
    XClassHint classHint{const_cast<char*>(desc.className.c_str()),
                         const_cast<char*>(desc.className.c_str())};
    XSetClassHint(d, x, &classHint);
    Atom protocols[] = {mImpl->atoms.wmDeleteWindow};
    XSetWMProtocols(d, x, protocols, 1);
    NativeWindow native;
    native.rect = desc.rect;
    native.parent = desc.parent;
    mImpl->windows[handle] = native;
    SetTitle(handle, desc.title);
    SetSizeLimits(handle, desc.minWidth, desc.minHeight, desc.maxWidth, desc.maxHeight);
    mImpl->ApplyCursor(x);
    // Painting is followed by a flush, so that what was drawn shows before the loop waits.
    mImpl->loop.AddWindow(handle,
                          [this, proc = std::move(proc)](const Message& message)
                          {
                              const LResult result = proc(message);
                              if (message.message == kWmPaint)
                                  XFlush(mImpl->display);
                              return result;
                          });
    mImpl->loop.SendMessage({handle, kWmCreate, 0, 0});
    return handle;
}

void Display::DestroyWindow(WindowHandle window)
{
    if (mImpl->Find(window) == nullptr)
        return;
    if (mImpl->capture == window)
        ReleaseCapture();
    mImpl->loop.SendMessage({window, kWmDestroy, 0, 0});
    mImpl->loop.RemoveWindow(window);
    mImpl->windows.erase(window);
    if (mImpl->focus == window)
        mImpl->focus = 0;
    XDestroyWindow(mImpl->display, ToX(window));
    XFlush(mImpl->display);
}

void Display::SetTitle(WindowHandle window, std::u16string_view title)
{
    const std::string utf8 = Platform::Utf16ToUtf8(title);
    XStoreName(mImpl->display, ToX(window), utf8.c_str());
    XChangeProperty(mImpl->display, ToX(window), mImpl->atoms.netWmName, mImpl->atoms.utf8String, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
}

void Display::SetIcon(WindowHandle window, int32_t width, int32_t height, std::span<const uint32_t> pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return;
    // Format 32 properties travel as longs.
    std::vector<long> data{width, height};
    data.insert(data.end(), pixels.begin(), pixels.begin() + width * height);
    XChangeProperty(mImpl->display, ToX(window), mImpl->atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

void Display::SetSizeLimits(WindowHandle window, int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                            int32_t maxHeight)
{
    NativeWindow* native = mImpl->Find(window);
    if (native == nullptr)
        return;
    native->minWidth = minWidth;
    native->minHeight = minHeight;
    native->maxWidth = maxWidth;
    native->maxHeight = maxHeight;
    XSizeHints hints{};
    hints.flags = PPosition | PSize;
    hints.x = native->rect.left;
    hints.y = native->rect.top;
    hints.width = native->rect.Width();
    hints.height = native->rect.Height();
    if (minWidth > 0 || minHeight > 0)
    {
        hints.flags |= PMinSize;
        hints.min_width = minWidth;
        hints.min_height = minHeight;
    }
    if (maxWidth > 0 || maxHeight > 0)
    {
        hints.flags |= PMaxSize;
        hints.max_width = maxWidth > 0 ? maxWidth : 32767;
        hints.max_height = maxHeight > 0 ? maxHeight : 32767;
    }
    XSetWMNormalHints(mImpl->display, ToX(window), &hints);
}

bool Display::ShowWindow(WindowHandle window, int32_t command)
{
    NativeWindow* native = mImpl->Find(window);
    if (native == nullptr)
        return false;
    const bool wasVisible = native->visible;
    ::Display* d = mImpl->display;
    switch (command)
    {
    case kSwHide:
        XUnmapWindow(d, ToX(window));
        native->visible = false;
        break;
    case kSwShowMinimized:
    case kSwMinimize:
        XIconifyWindow(d, ToX(window), DefaultScreen(d));
        native->iconic = true;
        mImpl->loop.DispatchMessage({window, kWmSize, kSizeMinimized, 0});
        break;
    default:
        XMapRaised(d, ToX(window));
        native->visible = true;
        break;
    }
    XFlush(d);
    return wasVisible;
}

bool Display::IsVisible(WindowHandle window) const
{
    const NativeWindow* native = mImpl->Find(window);
    return native != nullptr && native->visible;
}

bool Display::IsOnScreen(WindowHandle window) const
{
    const NativeWindow* native = mImpl->Find(window);
    return native != nullptr && native->viewable;
}

void Display::MoveWindow(WindowHandle window, const Rect& rect)
{
    if (mImpl->Find(window) == nullptr)
        return;
    XMoveResizeWindow(mImpl->display, ToX(window), rect.left, rect.top,
                      static_cast<unsigned>(std::max(rect.Width(), 1)),
                      static_cast<unsigned>(std::max(rect.Height(), 1)));
    XFlush(mImpl->display);
}

Rect Display::GetClientRect(WindowHandle window) const
{
    const NativeWindow* native = mImpl->Find(window);
    return native == nullptr ? Rect{} : Rect{0, 0, native->rect.Width(), native->rect.Height()};
}

Rect Display::GetWindowRect(WindowHandle window) const
{
    const Rect client = GetClientRect(window);
    const Point origin = ClientToScreen(window, {0, 0});
    return {origin.x, origin.y, origin.x + client.Width(), origin.y + client.Height()};
}

Point Display::ClientToScreen(WindowHandle window, Point point) const
{
    int x = point.x, y = point.y;
    ::Window child = None;
    XTranslateCoordinates(mImpl->display, ToX(window), DefaultRootWindow(mImpl->display), point.x, point.y,
                          &x, &y, &child);
    return {x, y};
}

Point Display::ScreenToClient(WindowHandle window, Point point) const
{
    int x = point.x, y = point.y;
    ::Window child = None;
    XTranslateCoordinates(mImpl->display, DefaultRootWindow(mImpl->display), ToX(window), point.x, point.y,
                          &x, &y, &child);
    return {x, y};
}

WindowPlacement Display::GetPlacement(WindowHandle window) const
{
    const NativeWindow* native = mImpl->Find(window);
    WindowPlacement placement;
    placement.minPosition = {-1, -1};
    placement.maxPosition = {-1, -1};
    if (native == nullptr)
        return placement;
    placement.showCommand = native->iconic ? kSwShowMinimized : native->visible ? kSwShowNormal : kSwHide;
    placement.normalPosition = GetWindowRect(window);
    return placement;
}

void Display::SetPlacement(WindowHandle window, const WindowPlacement& placement)
{
    if (!placement.normalPosition.IsEmpty())
        MoveWindow(window, placement.normalPosition);
    ShowWindow(window, static_cast<int32_t>(placement.showCommand));
}

void Display::Raise(WindowHandle window)
{
    XRaiseWindow(mImpl->display, ToX(window));
    XFlush(mImpl->display);
}

void Display::SetTopMost(WindowHandle window, bool topMost)
{
    ::Display* d = mImpl->display;
    const long add = topMost ? 1 : 0;
    // For a window manager that keeps the state; without one, raising is all there is.
    SendClientMessage(d, DefaultRootWindow(d), mImpl->atoms.netWmState,
                      {add, static_cast<long>(mImpl->atoms.netWmStateAbove), 0, 1},
                      SubstructureRedirectMask | SubstructureNotifyMask);
    if (topMost)
        XRaiseWindow(d, ToX(window));
    XFlush(d);
}

void Display::SetFocus(WindowHandle window)
{
    XSetInputFocus(mImpl->display, ToX(window), RevertToParent, CurrentTime);
    XFlush(mImpl->display);
    // A window on screen has the focus once this returns, as after the system's own call: a press that
    // activates its window must find it active when it is delivered, not only once the server's
    // FocusIn has come back. That FocusIn then changes nothing, and the FocusOut of the window that had
    // the focus finds it gone already. A window not yet on screen cannot take the focus: the server
    // refuses, and nothing changes here either.
    const NativeWindow* native = mImpl->Find(window);
    if (native == nullptr || !native->viewable || mImpl->focus == window)
        return;
    const WindowHandle previous = std::exchange(mImpl->focus, window);
    if (previous != 0)
    {
        mImpl->Deliver(previous, kWmKillFocus, 0, 0);
        mImpl->Deliver(previous, kWmActivate, 0, 0);
    }
    mImpl->ReadModifierSides();
    mImpl->Deliver(window, kWmActivate, 1, 0);
    mImpl->Deliver(window, kWmSetFocus, 0, 0);
}

WindowHandle Display::GetFocus() const
{
    return mImpl->focus;
}

bool Display::IsActive(WindowHandle window) const
{
    return window != 0 && window == mImpl->focus;
}

void Display::SetCapture(WindowHandle window)
{
    if (mImpl->capture == window)
        return;
    if (mImpl->capture != 0)
        ReleaseCapture();
    mImpl->capture = window;
    if ((GetMouseButtons() & (kMkLButton | kMkMButton | kMkRButton)) != 0)
        mImpl->grabbed = XGrabPointer(mImpl->display, ToX(window), False,
                                      ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                      GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
}

void Display::ReleaseCapture()
{
    const WindowHandle window = std::exchange(mImpl->capture, 0);
    if (window == 0)
        return;
    if (std::exchange(mImpl->grabbed, false))
        XUngrabPointer(mImpl->display, CurrentTime);
    XFlush(mImpl->display);
    mImpl->loop.SendMessage({window, kWmCaptureChanged, 0, 0});
}

WindowHandle Display::GetCapture() const
{
    return mImpl->capture;
}

_cairo_surface* Display::CreateSurface(WindowHandle window) const
{
    const NativeWindow* native = mImpl->Find(window);
    if (native == nullptr)
        return nullptr;
    ::Display* d = mImpl->display;
    return cairo_xlib_surface_create(d, ToX(window), DefaultVisual(d, DefaultScreen(d)), native->rect.Width(),
                                     native->rect.Height());
}

void Display::Flush()
{
    XFlush(mImpl->display);
}

CursorHandle Display::LoadStandardCursor(uint32_t shape)
{
    auto& cursor = mImpl->standardCursors[shape];
    if (cursor == None)
        cursor = XCreateFontCursor(mImpl->display, shape);
    return cursor;
}

CursorHandle Display::CreateCursor(int32_t width, int32_t height, Point hotSpot,
                                   std::span<const uint32_t> pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return 0;
    ::Display* d = mImpl->display;
    // A two-colour cursor: opaque pixels darker than mid-grey are black, other opaque ones white.
    const int stride = (width + 7) / 8;
    std::vector<char> source(static_cast<size_t>(stride * height)), mask(source.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const uint32_t p = pixels[static_cast<size_t>(y * width + x)];
            const bool opaque = (p >> 24) >= 0x80;
            const int grey = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
            const size_t at = static_cast<size_t>(y * stride + x / 8);
            if (opaque)
                mask[at] = static_cast<char>(mask[at] | (1 << (x % 8)));
            if (opaque && grey < 0x80)
                source[at] = static_cast<char>(source[at] | (1 << (x % 8)));
        }
    const ::Window root = DefaultRootWindow(d);
    const Pixmap sourcePixmap = XCreateBitmapFromData(d, root, source.data(), static_cast<unsigned>(width),
                                                      static_cast<unsigned>(height));
    const Pixmap maskPixmap = XCreateBitmapFromData(d, root, mask.data(), static_cast<unsigned>(width),
                                                    static_cast<unsigned>(height));
    XColor black{}, white{};
    white.red = white.green = white.blue = 0xFFFF;
    const ::Cursor cursor =
        XCreatePixmapCursor(d, sourcePixmap, maskPixmap, &black, &white, static_cast<unsigned>(hotSpot.x),
                            static_cast<unsigned>(hotSpot.y));
    XFreePixmap(d, sourcePixmap);
    XFreePixmap(d, maskPixmap);
    mImpl->ownCursors.push_back(cursor);
    return cursor;
}

CursorHandle Display::SetCursor(CursorHandle cursor)
{
    const CursorHandle previous = mImpl->current;
    mImpl->current = static_cast<::Cursor>(cursor);
    for (const auto& [window, native] : mImpl->windows)
        mImpl->ApplyCursor(ToX(window));
    XFlush(mImpl->display);
    return previous;
}

void Display::ShowCursor(bool show)
{
    ::Display* d = mImpl->display;
    if (!show && mImpl->blank == None)
    {
        const char empty[1] = {0};
        const Pixmap pixmap = XCreateBitmapFromData(d, DefaultRootWindow(d), empty, 1, 1);
        XColor black{};
        mImpl->blank = XCreatePixmapCursor(d, pixmap, pixmap, &black, &black, 0, 0);
        XFreePixmap(d, pixmap);
    }
    mImpl->cursorShown = show;
    SetCursor(mImpl->current);
}

Point Display::GetCursorPos() const
{
    ::Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(mImpl->display, DefaultRootWindow(mImpl->display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    return {rootX, rootY};
}

void Display::SetCursorPos(Point point)
{
    XWarpPointer(mImpl->display, None, DefaultRootWindow(mImpl->display), 0, 0, 0, 0, point.x, point.y);
    XFlush(mImpl->display);
}

uint32_t Display::GetMouseButtons() const
{
    ::Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(mImpl->display, DefaultRootWindow(mImpl->display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    return MouseKeys(mask) & (kMkLButton | kMkMButton | kMkRButton);
}

bool Display::IsKeyDown(uint8_t virtualKey) const
{
    switch (virtualKey)
    {
    case kVkLButton:
        return (GetMouseButtons() & kMkLButton) != 0;
    case kVkRButton:
        return (GetMouseButtons() & kMkRButton) != 0;
    case kVkMButton:
        return (GetMouseButtons() & kMkMButton) != 0;
    default:
        return mImpl->keys.State().IsDown(virtualKey);
    }
}

bool Display::IsKeyToggled(uint8_t virtualKey) const
{
    const std::string name(LockIndicatorName(virtualKey));
    if (name.empty())
        return false;
    const Atom indicator = XInternAtom(mImpl->display, name.c_str(), True);
    Bool on = False;
    return indicator != None &&
           XkbGetNamedIndicator(mImpl->display, indicator, nullptr, &on, nullptr, nullptr) && on;
}

Rect Display::GetWorkArea() const
{
    ::Display* d = mImpl->display;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Rect area{0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
    if (XGetWindowProperty(d, DefaultRootWindow(d), mImpl->atoms.netWorkArea, 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        format == 32 && count >= 4)
    {
        const long* values = reinterpret_cast<const long*>(data);
        area = {static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                static_cast<int32_t>(values[0] + values[2]), static_cast<int32_t>(values[1] + values[3])};
    }
    if (data != nullptr)
        XFree(data);
    return area;
}

Point Display::ScreenSize() const
{
    ::Display* d = mImpl->display;
    return {DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
}

bool Display::SetClipboard(WindowHandle owner, std::optional<std::string> text)
{
    ::Display* d = mImpl->display;
    const ::Window window = owner != 0 ? ToX(owner) : mImpl->HiddenWindow();
    XSetSelectionOwner(d, mImpl->atoms.clipboard, window, CurrentTime);
    if (XGetSelectionOwner(d, mImpl->atoms.clipboard) != window)
        return false;
    // Taking it from a window of our own is no loss to report to that window.
    mImpl->clipboardOwner = window;
    mImpl->clipboardText = std::move(text);
    ++mImpl->clipboardSequence;
    return true;
}

bool Display::OwnsClipboard() const
{
    return mImpl->clipboardOwner != None;
}

std::optional<std::string> Display::GetClipboardText(std::chrono::milliseconds timeout)
{
    if (mImpl->clipboardOwner != None)
        return mImpl->clipboardText;
    ::Display* d = mImpl->display;
    const ::Window requestor = mImpl->HiddenWindow();
    XDeleteProperty(d, requestor, mImpl->atoms.clipboardProperty);
    XConvertSelection(d, mImpl->atoms.clipboard, mImpl->atoms.utf8String, mImpl->atoms.clipboardProperty,
                      requestor, CurrentTime);
    XFlush(d);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        XEvent event;
        if (XCheckTypedWindowEvent(d, requestor, SelectionNotify, &event))
        {
            if (event.xselection.property == None)
                return std::nullopt;
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            std::optional<std::string> text;
            if (XGetWindowProperty(d, requestor, mImpl->atoms.clipboardProperty, 0, 1 << 24, True,
                                   AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
                format == 8)
                text = std::string(reinterpret_cast<const char*>(data), count);
            if (data != nullptr)
                XFree(data);
            return text;
        }
        // A request for a selection of ours must not wait behind our own wait.
        if (XCheckTypedEvent(d, SelectionRequest, &event))
        {
            mImpl->ServeSelectionRequest(event.xselectionrequest);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()));
        XEventsQueued(d, QueuedAfterReading);
    }
}

uint32_t Display::ClipboardSequenceNumber() const
{
    return mImpl->clipboardSequence;
}

void* Display::NativeDisplay() const
{
    return mImpl->display;
}

namespace
{
// A connection of its own for calls about other programs' windows.
struct Connection
{
    ::Display* display = IsDisplayNamed() ? XOpenDisplay(nullptr) : nullptr;
    Connection()
    {
        if (display != nullptr)
            XSetErrorHandler(IgnoreXError);
    }
    ~Connection()
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }
};
} // namespace

WindowHandle FindTopLevelWindow(std::string_view className)
{
    Connection connection;
    ::Display* d = connection.display;
    if (d == nullptr)
        return 0;
    ::Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return 0;
    WindowHandle found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i)
    {
        XClassHint hint{};
        if (!XGetClassHint(d, children[i], &hint))
            continue;
        if (hint.res_class != nullptr && className == hint.res_class)
            found = children[i];
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    XFree(children);
    return found;
}

WindowHandle GetLastActivePopup(WindowHandle window)
{
    Connection connection;
    ::Display* d = connection.display;
    if (d == nullptr)
        return window;
    ::Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return window;
    WindowHandle popup = window;
    // The children come bottom to top.
    for (unsigned i = count; i-- > 0 && popup == window;)
    {
        ::Window owner = None;
        XWindowAttributes attributes{};
        if (XGetTransientForHint(d, children[i], &owner) && owner == ToX(window) &&
            XGetWindowAttributes(d, children[i], &attributes) && attributes.map_state == IsViewable)
            popup = children[i];
    }
    XFree(children);
    return popup;
}

void RestoreAndRaise(WindowHandle window)
{
    Connection connection;
    ::Display* d = connection.display;
    if (d == nullptr)
        return;
    XMapRaised(d, ToX(window));
    SendClientMessage(d, DefaultRootWindow(d), XInternAtom(d, "_NET_ACTIVE_WINDOW", False),
                      {1, CurrentTime, 0}, SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(d, False);
    XSetInputFocus(d, ToX(window), RevertToParent, CurrentTime);
    XSync(d, False);
}

bool SendCopyData(WindowHandle target, uintptr_t id, std::span<const uint8_t> bytes,
                  std::chrono::milliseconds timeout)
{
    Connection connection;
    ::Display* d = connection.display;
    if (d == nullptr)
        return false;
    const Atom copyData = XInternAtom(d, "_ZQ_COPYDATA", False);
    const Atom ack = XInternAtom(d, "_ZQ_COPYDATA_ACK", False);
    // The sender's window receives the acknowledgement and names the property, so senders do not meet.
    const ::Window sender = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const std::string propertyName = "_ZQ_COPYDATA_" + std::to_string(sender);
    const Atom property = XInternAtom(d, propertyName.c_str(), False);
    XChangeProperty(d, ToX(target), property, copyData, 8, PropModeReplace, bytes.data(),
                    static_cast<int>(bytes.size()));
    SendClientMessage(d, ToX(target), copyData,
                      {static_cast<long>(id), static_cast<long>(property), static_cast<long>(sender),
                       static_cast<long>(bytes.size())});
    XSync(d, False);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool acknowledged = false;
    while (!acknowledged)
    {
        XEvent event;
        while (!acknowledged && XCheckTypedWindowEvent(d, sender, ClientMessage, &event))
            acknowledged = event.xclient.message_type == ack;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (acknowledged || left.count() <= 0)
            break;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()));
        XEventsQueued(d, QueuedAfterReading);
    }
    XDestroyWindow(d, sender);
    XSync(d, False);
    return acknowledged;
}
} // namespace Platform::Window
