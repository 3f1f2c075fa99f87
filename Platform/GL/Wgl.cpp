#include "Platform/GL/Wgl.h"

#include "Platform/Window/Display.h"

// clang-format off
#include <GL/glx.h>
#include <GL/glxext.h>
// clang-format on

#include <map>
#include <sstream>

namespace Platform::GL
{
namespace
{
thread_local Error gLastError;

// The formats each window was given (UI thread only).
std::map<WindowHandle, int32_t>& WindowFormats()
{
    static std::map<WindowHandle, int32_t> formats;
    return formats;
}

void Fail(int32_t code, std::u16string text)
{
    gLastError = {code, std::move(text)};
}

::Display* XDisplay()
{
    Window::Display* display = Window::Display::Current();
    return display != nullptr ? static_cast<::Display*>(display->NativeDisplay()) : nullptr;
}

// Catches the X errors of the requests made while it lives (the display's own handler ignores them).
class ErrorTrap
{
public:
    explicit ErrorTrap(::Display* display) : mDisplay(display)
    {
        XSync(mDisplay, False);
        sCode = 0;
        mPrevious = XSetErrorHandler(&Record);
    }
    ~ErrorTrap() { XSetErrorHandler(mPrevious); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // The first error's code, 0 when there was none.
    int32_t Code()
    {
        XSync(mDisplay, False);
        return sCode;
    }

private:
    static int Record(::Display*, XErrorEvent* event)
    {
        if (sCode == 0)
            sCode = event->error_code;
        return 0;
    }

    static inline int32_t sCode = 0;
    ::Display* mDisplay;
    int (*mPrevious)(::Display*, XErrorEvent*) = nullptr;
};

// The display's configurations, released with the object.
class Configs
{
public:
    explicit Configs(::Display* display)
    {
        if (display != nullptr)
            mConfigs = glXGetFBConfigs(display, DefaultScreen(display), &mCount);
    }
    ~Configs()
    {
        if (mConfigs != nullptr)
            XFree(mConfigs);
    }
    Configs(const Configs&) = delete;
    Configs& operator=(const Configs&) = delete;

    [[nodiscard]] int32_t Count() const { return mConfigs != nullptr ? mCount : 0; }
    // format is 1-based; null outside the list.
    [[nodiscard]] GLXFBConfig At(int32_t format) const
    {
        return format >= 1 && format <= Count() ? mConfigs[format - 1] : nullptr;
    }

private:
    GLXFBConfig* mConfigs = nullptr;
    int mCount = 0;
};

int Attribute(::Display* display, GLXFBConfig config, int attribute)
{
    int value = 0;
    glXGetFBConfigAttrib(display, config, attribute, &value);
    return value;
}

bool KeepsBackBuffer(::Display* display, GLXFBConfig config)
{
    return HasExtension(glXQueryExtensionsString(display, DefaultScreen(display)), "GLX_OML_swap_method") &&
           Attribute(display, config, GLX_SWAP_METHOD_OML) == GLX_SWAP_COPY_OML;
}

// The visual id of the window; 0 for an unknown window.
VisualID WindowVisual(::Display* display, WindowHandle window)
{
    if (window == 0)
        return 0;
    XWindowAttributes attributes{};
    ErrorTrap trap(display);
    const Status status = XGetWindowAttributes(display, static_cast<::Window>(window), &attributes);
    if (trap.Code() != 0 || status == 0 || attributes.visual == nullptr)
        return 0;
    return XVisualIDFromVisual(attributes.visual);
}

// Whether the configuration draws RGBA into windows of the visual.
bool DrawsTo(::Display* display, GLXFBConfig config, VisualID visual)
{
    return (Attribute(display, config, GLX_RENDER_TYPE) & GLX_RGBA_BIT) != 0 &&
           (Attribute(display, config, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) != 0 &&
           static_cast<VisualID>(Attribute(display, config, GLX_VISUAL_ID)) == visual;
}

// Higher is a better match for the request; negative does not fit.
int Score(::Display* display, GLXFBConfig config, const PixelFormatDescriptor& request)
{
    const bool doubleBuffered = Attribute(display, config, GLX_DOUBLEBUFFER) != 0;
    if ((request.flags & kPfdDoubleBuffer) != 0 && !doubleBuffered)
        return -1;
    int score = 0;
    for (const int channel : {GLX_RED_SIZE, GLX_GREEN_SIZE, GLX_BLUE_SIZE, GLX_ALPHA_SIZE})
        score += Attribute(display, config, channel) == 8 ? 4 : 0;
    if ((request.flags & kPfdSwapCopy) != 0 && KeepsBackBuffer(display, config))
        score += 2;
    // Fewer buffers nobody asked for.
    if (Attribute(display, config, GLX_DEPTH_SIZE) == 0 && Attribute(display, config, GLX_STENCIL_SIZE) == 0)
        score += 1;
    return score;
}

std::u16string Ascii(const char* text)
{
    std::u16string wide;
    for (const char* c = text; *c != 0; ++c)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*c)));
    return wide;
}
} // namespace

int32_t ChoosePixelFormat(WindowHandle window, const PixelFormatDescriptor& request)
{
    ::Display* display = XDisplay();
    const VisualID visual = display != nullptr ? WindowVisual(display, window) : 0;
    if (visual == 0 || request.pixelType != kPfdTypeRgba)
    {
        Fail(2000, u"The pixel format is invalid.");
        return 0;
    }
    const Configs configs(display);
    int32_t best = 0;
    int bestScore = -1;
    for (int32_t format = 1; format <= configs.Count(); ++format)
    {
        if (!DrawsTo(display, configs.At(format), visual))
            continue;
        const int score = Score(display, configs.At(format), request);
        if (score > bestScore)
        {
            best = format;
            bestScore = score;
        }
    }
    if (best == 0)
        Fail(2000, u"The pixel format is invalid.");
    return best;
}

int32_t ChooseSwapCopyPixelFormat(WindowHandle window)
{
    ::Display* display = XDisplay();
    const VisualID visual = display != nullptr ? WindowVisual(display, window) : 0;
    if (visual == 0)
        return 0;
    const Configs configs(display);
    for (int32_t format = 1; format <= configs.Count(); ++format)
    {
        const GLXFBConfig config = configs.At(format);
        if (DrawsTo(display, config, visual) && Attribute(display, config, GLX_DOUBLEBUFFER) != 0 &&
            KeepsBackBuffer(display, config))
            return format;
    }
    return 0;
}

bool SetPixelFormat(WindowHandle window, int32_t format)
{
    ::Display* display = XDisplay();
    const VisualID visual = display != nullptr ? WindowVisual(display, window) : 0;
    const Configs configs(display);
    if (visual == 0 || configs.At(format) == nullptr || !DrawsTo(display, configs.At(format), visual))
    {
        Fail(2000, u"The pixel format is invalid.");
        return false;
    }
    WindowFormats()[window] = format;
    return true;
}

int32_t GetPixelFormat(WindowHandle window)
{
    const auto found = WindowFormats().find(window);
    return found != WindowFormats().end() ? found->second : 0;
}

bool DescribePixelFormat(int32_t format, PixelFormatDescriptor& descriptor)
{
    ::Display* display = XDisplay();
    const Configs configs(display);
    const GLXFBConfig config = configs.At(format);
    if (config == nullptr)
    {
        Fail(2000, u"The pixel format is invalid.");
        return false;
    }
    descriptor = {};
    descriptor.flags = kPfdDrawToWindow | kPfdSupportOpenGL;
    if (Attribute(display, config, GLX_DOUBLEBUFFER) != 0)
        descriptor.flags |= kPfdDoubleBuffer;
    if (KeepsBackBuffer(display, config))
        descriptor.flags |= kPfdSwapCopy;
    descriptor.redBits = static_cast<uint8_t>(Attribute(display, config, GLX_RED_SIZE));
    descriptor.greenBits = static_cast<uint8_t>(Attribute(display, config, GLX_GREEN_SIZE));
    descriptor.blueBits = static_cast<uint8_t>(Attribute(display, config, GLX_BLUE_SIZE));
    descriptor.alphaBits = static_cast<uint8_t>(Attribute(display, config, GLX_ALPHA_SIZE));
    descriptor.colorBits = static_cast<uint8_t>(Attribute(display, config, GLX_BUFFER_SIZE));
    descriptor.depthBits = static_cast<uint8_t>(Attribute(display, config, GLX_DEPTH_SIZE));
    descriptor.stencilBits = static_cast<uint8_t>(Attribute(display, config, GLX_STENCIL_SIZE));
    return true;
}

ContextHandle CreateContext(WindowHandle window)
{
    ::Display* display = XDisplay();
    const Configs configs(display);
    const GLXFBConfig config = configs.At(GetPixelFormat(window));
    if (config == nullptr)
    {
        Fail(2000, u"The pixel format is invalid.");
        return 0;
    }
    ErrorTrap trap(display);
    const GLXContext context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    if (const int32_t code = trap.Code(); code != 0 || context == nullptr)
    {
        if (context != nullptr)
            glXDestroyContext(display, context);
        Fail(code, u"The context could not be created.");
        return 0;
    }
    return reinterpret_cast<ContextHandle>(context);
}

void DeleteContext(ContextHandle context)
{
    ::Display* display = XDisplay();
    if (display == nullptr || context == 0)
        return;
    const auto glx = reinterpret_cast<GLXContext>(context);
    if (glXGetCurrentContext() == glx)
        glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, glx);
}

bool MakeCurrent(WindowHandle window, ContextHandle context)
{
    ::Display* display = XDisplay();
    if (display == nullptr)
    {
        Fail(6, u"The handle is invalid.");
        return false;
    }
    // GLX would take a destroyed window and draw into nothing.
    if (window != 0 && WindowVisual(display, window) == 0)
    {
        Fail(6, u"The handle is invalid.");
        return false;
    }
    ErrorTrap trap(display);
    const Bool made =
        glXMakeCurrent(display, static_cast<GLXDrawable>(window), reinterpret_cast<GLXContext>(context));
    if (const int32_t code = trap.Code(); code != 0 || made == False)
    {
        std::ostringstream text;
        text << "The X server refused the request (error " << code << ").";
        Fail(code != 0 ? code : 2000, Ascii(text.str().c_str()));
        return false;
    }
    return true;
}

bool SwapBuffers(WindowHandle window)
{
    ::Display* display = XDisplay();
    if (display == nullptr || window == 0)
        return false;
    glXSwapBuffers(display, static_cast<GLXDrawable>(window));
    return true;
}

std::string GetExtensionsString()
{
    ::Display* display = XDisplay();
    if (display == nullptr)
        return {};
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    return extensions != nullptr ? extensions : "";
}

bool HasExtension(std::string_view list, std::string_view name)
{
    if (name.empty() || name.find(' ') != std::string_view::npos)
        return false;
    for (size_t at = list.find(name); at != std::string_view::npos; at = list.find(name, at + 1))
    {
        const size_t end = at + name.size();
        if ((at == 0 || list[at - 1] == ' ') && (end == list.size() || list[end] == ' '))
            return true;
    }
    return false;
}

WindowHandle CreateDummyWindow()
{
    ::Display* display = XDisplay();
    if (display == nullptr)
        return 0;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const ::Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, CopyFromParent,
                                          InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    return static_cast<WindowHandle>(window);
}

void DestroyDummyWindow(WindowHandle window)
{
    ::Display* display = XDisplay();
    if (display == nullptr || window == 0)
        return;
    WindowFormats().erase(window);
    XDestroyWindow(display, static_cast<::Window>(window));
}

Error LastError()
{
    return gLastError;
}
} // namespace Platform::GL
