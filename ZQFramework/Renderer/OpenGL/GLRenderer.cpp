#include "ZQFramework/Renderer/OpenGL/GLRenderer.h"

#include "Platform/Clock/Clock.h"
#include "Platform/GL/Wgl.h"
#include "Platform/Window/Dialogs.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/FontRenderer/FontRenderer.h"
#include "ZQFramework/Renderer/OpenGL/GLErrors.h"
#include "ZQFramework/Renderer/OpenGL/GLPolygon.h"
#include "ZQFramework/Renderer/OpenGL/GLRenderContextInfo.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace ZQ
{
namespace GL = Platform::GL;

namespace
{
LGLRenderer::FrameworkStringProvider gStringProvider = nullptr;

struct EnglishText
{
    const char16_t* key;
    const char16_t* text;
};

constexpr EnglishText kEnglishTexts[] = {
    {u"GL_ERROR_CAPTION", u"OpenGL Error"},
    {u"GL_ERROR_MESSAGE_CHOOSE_PIXEL_FORMAT", u"ChoosePixelFormat failed."},
    {u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT", u"SetPixelFormat failed."},
    {u"GL_ERROR_MESSAGE_CREATE_CONTEXT", u"wglCreateContext failed."},
    {u"GL_ERROR_MESSAGE_GET_PROC_ADDRESS",
     u"wglGetProcAddress(\"wglGetExtensionsStringARB\") failed with error %d: %s."},
    {u"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT", u"wglMakeCurrent failed with error %d: %s."},
    {u"GL_ERROR_UPDATE_DRIVER",
     u"Updating your video card driver, with the latest driver from the manufacturer "
     u"of your video card, may solve this issue."},
};

constexpr uint32_t kRequestedFlags =
    GL::kPfdDrawToWindow | GL::kPfdSupportOpenGL | GL::kPfdSwapCopy | GL::kPfdDoubleBuffer;
// System messages in the box are cut to this many characters.
constexpr int kMaxSystemMessage = 180;
constexpr double kCoordinateLimit = 4503599627370496.0; // 2^52

[[noreturn]] void ThrowConstructionError(const char* line)
{
    throw Exception<std::runtime_error>(std::string("Runtime Error : ZQ::LGLRenderer::LGLRenderer : "
                                                    "Renderer\\OpenGL\\GLRenderer : ") +
                                        line);
}

std::u16string_view View(const WString& text)
{
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}

void SetColor(const Color& color)
{
    glColor4f(color.red, color.green, color.blue, color.alpha);
}

double Clamp52(double value)
{
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

// Edges of a rectangle with negative extents made positive.
GLEdges NormalizedEdges(const RectT<int32_t>& rect)
{
    const double x = Clamp52(rect.x);
    const double y = Clamp52(rect.y);
    const double right = Clamp52(x + rect.width);
    const double bottom = Clamp52(y + rect.height);
    return {static_cast<float>(std::min(x, right)), static_cast<float>(std::min(y, bottom)),
            static_cast<float>(std::max(x, right)), static_cast<float>(std::max(y, bottom))};
}

void FillQuad(const GLEdges& edges)
{
    glBegin(GL_QUADS);
    glVertex2f(edges.left, edges.top);
    glVertex2f(edges.right, edges.top);
    glVertex2f(edges.right, edges.bottom);
    glVertex2f(edges.left, edges.bottom);
    glEnd();
}

double RoundHalfAway(double value)
{
    return std::round(value);
}

int32_t ClampToInt(double value)
{
    return static_cast<int32_t>(
        std::clamp(value, 0.0, static_cast<double>(std::numeric_limits<int32_t>::max())));
}

// A GL context made current on a window for the life of the object, released after (construction).
class CurrentScope
{
public:
    CurrentScope(intptr_t window, uintptr_t context)
        : mMade(GL::MakeCurrent(static_cast<GL::WindowHandle>(window), context))
    {
    }
    ~CurrentScope()
    {
        if (mMade)
            (void)GL::MakeCurrent(0, 0);
    }
    CurrentScope(const CurrentScope&) = delete;
    CurrentScope& operator=(const CurrentScope&) = delete;

private:
    bool mMade;
};

// The hidden window the first context is made on; destroyed with the object.
class DummyWindow
{
public:
    DummyWindow() : mWindow(GL::CreateDummyWindow()) {}
    ~DummyWindow() { GL::DestroyDummyWindow(mWindow); }
    DummyWindow(const DummyWindow&) = delete;
    DummyWindow& operator=(const DummyWindow&) = delete;
    [[nodiscard]] GL::WindowHandle Get() const { return mWindow; }

private:
    GL::WindowHandle mWindow;
};
} // namespace

LGLRenderer::FrameworkStringProvider LGLRenderer::SetFrameworkStringProvider(FrameworkStringProvider provider)
{
    const FrameworkStringProvider previous = gStringProvider;
    gStringProvider = provider;
    return previous;
}

WString LGLRenderer::GetFrameworkString(const WString& key)
{
    WString text;
    if (gStringProvider != nullptr && gStringProvider(key, text))
        return text;
    for (const EnglishText& entry : kEnglishTexts)
    {
        if (View(key) == entry.key)
            return WString(entry.text);
    }
    return WString();
}

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, intptr_t window)
    : mFontRenderer(fontRenderer), mWindow(window), mLastPurge(Platform::GetTickCount()),
      mCaption(GetFrameworkString(WString(u"GL_ERROR_CAPTION"))),
      mUpdateDriverText(GetFrameworkString(WString(u"GL_ERROR_UPDATE_DRIVER")))
{
    ChoosePixelFormat();
}

LGLRenderer::~LGLRenderer()
{
    // Caches and textures release their GL objects while the context is current.
    if (mContext != 0)
    {
        const CurrentScope current(mWindow, mContext);
        mFillCache.Purge(static_cast<int32_t>(mFillCache.GetClock() + 1));
        mOutlineCache.Purge(static_cast<int32_t>(mOutlineCache.GetClock() + 1));
        mSegmentsCache.Purge(static_cast<int32_t>(mSegmentsCache.GetClock() + 1));
        mPolylineCache.Purge(static_cast<int32_t>(mPolylineCache.GetClock() + 1));
        mColorRectCache.Purge(static_cast<int32_t>(mColorRectCache.GetClock() + 1));
        mTextureCache.Purge(static_cast<int32_t>(mTextureCache.GetClock() + 1));
    }
    (void)GL::MakeCurrent(0, 0);
    GL::DeleteContext(mContext);
    mFontRenderer = nullptr;
}

void LGLRenderer::ShowErrorBox(const WString& message) const
{
    const WString text = message + mUpdateDriverText;
    (void)Platform::Window::ShowMessageBox(static_cast<Platform::Window::WindowHandle>(mWindow), View(text),
                                           View(mCaption), Platform::Window::kMbIconWarning);
}

void LGLRenderer::ChoosePixelFormat()
{
    GL::PixelFormatDescriptor request;
    request.flags = kRequestedFlags;
    request.pixelType = GL::kPfdTypeRgba;
    request.colorBits = 32;
    const auto window = static_cast<GL::WindowHandle>(mWindow);
    const int32_t format = GL::ChoosePixelFormat(window, request);
    if (format == 0)
    {
        ShowErrorBox(GetFrameworkString(WString(u"GL_ERROR_MESSAGE_CHOOSE_PIXEL_FORMAT")));
        ThrowConstructionError("Line 146");
    }

    const DummyWindow dummy;
    if (dummy.Get() == 0)
        ThrowConstructionError("Line 152");
    if (!GL::SetPixelFormat(dummy.Get(), format))
    {
        ShowErrorBox(GetFrameworkString(WString(u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT")));
        ThrowConstructionError("Line 163");
    }
    mContext = GL::CreateContext(dummy.Get());
    if (mContext == 0)
    {
        ShowErrorBox(GetFrameworkString(WString(u"GL_ERROR_MESSAGE_CREATE_CONTEXT")));
        ThrowConstructionError("Line 173");
    }
    mPixelFormat = format;
    GL::PixelFormatDescriptor obtained;
    (void)GL::DescribePixelFormat(format, obtained);
    mDoubleBuffered = (obtained.flags & GL::kPfdDoubleBuffer) != 0;
    mKeepsBackBuffer =
        (obtained.flags & GL::kPfdSwapCopy) != 0 && (obtained.flags & GL::kPfdSupportComposition) == 0;

    const CurrentScope current(dummy.Get(), mContext);
    if (mDoubleBuffered && mKeepsBackBuffer)
        return;
    if (!GL::HasExtension(GL::GetExtensionsString(), "GLX_OML_swap_method"))
        return;
    const int32_t swapCopy = GL::ChooseSwapCopyPixelFormat(window);
    GL::PixelFormatDescriptor described;
    if (swapCopy == 0 || !GL::DescribePixelFormat(swapCopy, described) ||
        (described.flags & GL::kPfdGenericFormat) != 0)
        return;
    if (!GL::SetPixelFormat(window, swapCopy))
    {
        (void)GL::MakeCurrent(0, 0);
        GL::DeleteContext(mContext);
        mContext = 0;
        ShowErrorBox(GetFrameworkString(WString(u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT")));
        ThrowConstructionError("Line 249");
    }
    const GL::ContextHandle context = GL::CreateContext(window);
    if (context == 0)
        return;
    (void)GL::MakeCurrent(0, 0);
    GL::DeleteContext(mContext);
    mContext = context;
    mPixelFormat = swapCopy;
    mDoubleBuffered = (described.flags & GL::kPfdDoubleBuffer) != 0;
    mKeepsBackBuffer = (described.flags & GL::kPfdSwapCopy) != 0;
}

ZQRESULT LGLRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                     int32_t& descent)
{
    return mFontRenderer ? mFontRenderer->GetFontMetrics(font, height, ascent, descent) : E_FAIL;
}

RectT<float> LGLRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font)
{
    return mFontRenderer ? mFontRenderer->MeasureText(text, font) : RectT<float>();
}

void LGLRenderer::MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                                      std::vector<float>& widths)
{
    if (mFontRenderer)
        mFontRenderer->MeasurePrefixWidths(text, font, widths);
    else
        LRenderer::MeasurePrefixWidths(text, font, widths);
}

int32_t LGLRenderer::GetRendererType() const
{
    return kOpenGL;
}

intptr_t LGLRenderer::DrawableOf(const LRenderContextInfo& context) const
{
    return context.GetWindow() != 0 ? context.GetWindow() : mWindow;
}

ZQRESULT LGLRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                            RCPtr<LRenderContextInfo>& context)
{
    const RCPtr<LGLRenderContextInfo> info(new LGLRenderContextInfo(viewport, window, offscreen));
    context = info;
    const intptr_t drawable = DrawableOf(*info);
    if (!GL::SetPixelFormat(static_cast<GL::WindowHandle>(drawable), mPixelFormat))
    {
        ShowErrorBox(GetFrameworkString(WString(u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT")));
        throw Exception<std::runtime_error>("Runtime Error : ZQ::LGLRenderer::InitRenderContextInfo : "
                                            "Renderer\\OpenGL\\GLRenderer : Line 336");
    }
    // Inside a frame the context is current already and stays so.
    if (GetCurrentContext())
    {
        SetFixedState();
        info->ReadMaxViewportSize();
        return S_OK;
    }
    const CurrentScope current(drawable, mContext);
    SetFixedState();
    info->ReadMaxViewportSize();
    return S_OK;
}

void LGLRenderer::SetFixedState() const
{
    glClearColor(0, 0, 0, 0);
    glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.003921569f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
    ClearGLErrors();
}

ZQRESULT LGLRenderer::SetViewport(const RectT<int32_t>& viewport)
{
    (void)LRenderer::SetViewport(viewport);
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    GLint applied[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, applied);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, applied[2], applied[3], 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    ClearGLErrors();
    return S_OK;
}

void LGLRenderer::MakeCurrent(const LRenderContextInfo& context)
{
    if (GL::MakeCurrent(static_cast<GL::WindowHandle>(DrawableOf(context)), mContext) ||
        mMakeCurrentFailureShown)
        return;
    // Shown once: the box's own loop paints the window again.
    mMakeCurrentFailureShown = true;
    const GL::Error error = GL::LastError();
    WString system(error.text.c_str());
    if (system.GetLength() > kMaxSystemMessage)
        system = system.Left(kMaxSystemMessage);
    const WString format = GetFrameworkString(WString(u"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT"));
    ShowErrorBox(WString::Format(format.GetBuffer(), error.code, system));
}

ZQRESULT LGLRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    const bool nested = static_cast<bool>(GetCurrentContext());
    (void)LRenderer::RenderStart(context);
    MakeCurrent(*context);
    (void)SetViewport(context->GetViewport());
    if (nested && context->IsOffscreen())
    {
        if (auto* offscreen = dynamic_cast<LGLRenderContextInfo*>(context.Get()))
            offscreen->SaveUnderlay();
    }
    glPushMatrix();
    // The enclosing frame's origin is not this context's.
    glLoadIdentity();
    const PointT<double> origin = GetOrigin();
    glTranslatef(static_cast<float>(origin.x), static_cast<float>(origin.y), 0);
    ApplyScissor(
        {GetClipRect().x + origin.x, GetClipRect().y + origin.y, GetClipRect().width, GetClipRect().height});
    return S_OK;
}

ZQRESULT LGLRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    if (GetCurrentContext() != context)
        return LRenderer::RenderFinish(context); // throws, changing nothing
    ClearGLErrors();
    glPopMatrix();
    auto* info = dynamic_cast<LGLRenderContextInfo*>(context.Get());
    if (context->IsOffscreen())
    {
        if (info != nullptr)
            info->CapturePicture();
        glFlush();
    }
    else if (info != nullptr)
    {
        PresentWindow(*info);
    }
    ClearGLErrors();
    (void)GL::MakeCurrent(0, 0);
    (void)LRenderer::RenderFinish(context);

    const RCPtr<LRenderContextInfo> outer = GetCurrentContext();
    if (!outer)
    {
        PurgeWhenDue();
        return S_OK;
    }
    MakeCurrent(*outer);
    (void)SetViewport(outer->GetViewport());
    SetClipRect(GetClipRect());
    return S_OK;
}

void LGLRenderer::PresentWindow(const LGLRenderContextInfo& context) const
{
    if (!mDoubleBuffered)
        glFlush();
    else if (mKeepsBackBuffer)
        context.SwapLayerBuffers();
    else
    {
        glFlush();
        CopyBackToFront(context.GetViewport());
    }
}

void LGLRenderer::CopyBackToFront(const RectT<int32_t>& viewport) const
{
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport.width, 0, viewport.height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_COPY);
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_FRONT);
    glRasterPos2i(0, 0);
    glCopyPixels(0, 0, viewport.width, viewport.height, GL_COLOR);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glFlush();
}

void LGLRenderer::PurgeWhenDue()
{
    const uint32_t now = Platform::GetTickCount();
    if (now - mLastPurge <= kPurgeIntervalMs)
        return;
    const auto purge = [](auto& cache)
    {
        (void)cache.Purge(cache.GetMark());
        cache.SetMark(static_cast<int32_t>(cache.GetClock()));
    };
    // Display lists and textures are deleted in the renderer's context.
    const CurrentScope current(mWindow, mContext);
    purge(mFillCache);
    purge(mOutlineCache);
    purge(mSegmentsCache);
    purge(mPolylineCache);
    purge(mColorRectCache);
    purge(mTextureCache);
    mLastPurge = now;
}

void LGLRenderer::ApplyScissor(const RectT<double>& rect) const
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    double x = RoundHalfAway(rect.x);
    double y = RoundHalfAway(rect.y);
    double width = RoundHalfAway(rect.width);
    double height = RoundHalfAway(rect.height);
    if (x < 0)
    {
        width += x;
        x = 0;
    }
    if (y < 0)
    {
        height += y;
        y = 0;
    }
    if (width < 1 || height < 1)
    {
        glScissor(viewport[2], 0, 1, 1);
        return;
    }
    // GL counts rows from the bottom.
    double flippedY = viewport[3] - (y + height);
    if (flippedY < 0)
    {
        height += flippedY;
        flippedY = 0;
    }
    if (height < 1)
    {
        glScissor(viewport[2], 0, 1, 1);
        return;
    }
    glScissor(ClampToInt(x), ClampToInt(flippedY), ClampToInt(width), ClampToInt(height));
}

void LGLRenderer::SetClipRect(const RectT<double>& clip)
{
    LRenderer::SetClipRect(clip);
    if (!GetCurrentContext())
        return;
    const PointT<double> origin = GetOrigin();
    ApplyScissor({clip.x + origin.x, clip.y + origin.y, clip.width, clip.height});
}

void LGLRenderer::TranslateOrigin(const PointT<double>& delta)
{
    LRenderer::TranslateOrigin(delta);
    if (GetCurrentContext() && (delta.x != 0 || delta.y != 0))
        glTranslatef(static_cast<float>(delta.x), static_cast<float>(delta.y), 0);
}

void LGLRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font,
                           const PointT<int32_t>& position, const Color& color)
{
    if (!mFontRenderer || text.IsEmpty() || !font)
        return;
    SetColor(color);
    const PointT<double> offset(position.x, position.y);
    TranslateOrigin(offset);
    (void)mFontRenderer->RenderString(text, font, mFontRenderer->GetProcessor(), 0, 0,
                                      LGlyphProcessor::kDrawing);
    TranslateOrigin({-offset.x, -offset.y});
    ClearGLErrors();
}

void LGLRenderer::DrawRect(const RectT<int32_t>& rect, const Color& color, float width)
{
    const GLEdges edges = NormalizedEdges(rect);
    glLineWidth(width);
    SetColor(color);
    glBegin(GL_LINE_STRIP);
    glVertex2f(edges.left, edges.top);
    glVertex2f(edges.right, edges.top);
    glVertex2f(edges.right, edges.bottom);
    glVertex2f(edges.left, edges.bottom);
    glVertex2f(edges.left, edges.top);
    glEnd();
    ClearGLErrors();
}

void LGLRenderer::FillRect(const RectT<int32_t>& rect, const Color& color, bool blend)
{
    if (blend)
    {
        SetColor(color);
        glDisable(GL_TEXTURE_2D);
        FillQuad(NormalizedEdges(rect));
        ClearGLErrors();
        return;
    }
    const PointT<double> origin = GetOrigin();
    ApplyScissor({rect.x + origin.x, rect.y + origin.y, static_cast<double>(rect.width),
                  static_cast<double>(rect.height)});
    glClearColor(color.red, color.green, color.blue, color.alpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    SetClipRect(GetClipRect());
    ClearGLErrors();
}

void LGLRenderer::DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset)
{
    glPushMatrix();
    glTranslatef(static_cast<float>(offset.x), static_cast<float>(offset.y), 0);
    const bool changed = list.IsChanged();
    const_cast<ColorRectListT<float>&>(list).SetChanged(false);
    RCPtr<LGLDisplayList>& cached = mColorRectCache.GetEntry(list, changed);
    if (cached)
    {
        (void)cached->Call(0, 1);
        glPopMatrix();
        return;
    }
    cached = LGLDisplayList::Create(1);
    const bool compiling = cached->BeginList(0) == S_OK;
    glDisable(GL_TEXTURE_2D);
    const float scaleX = list.GetHorizontalScale();
    const float scaleY = list.GetVerticalScale();
    for (uint32_t i = list.GetCount(); i-- > 0;)
    {
        const auto& entry = list.GetAt(i);
        SetColor(Color(entry.color));
        const RectT<int32_t> rect(ZQ::RoundToLong(static_cast<double>(entry.rect.x * scaleX)),
                                  ZQ::RoundToLong(static_cast<double>(entry.rect.y * scaleY)),
                                  ZQ::RoundToLong(static_cast<double>(entry.rect.width * scaleX)),
                                  ZQ::RoundToLong(static_cast<double>(entry.rect.height * scaleY)));
        FillQuad(NormalizedEdges(rect));
    }
    if (compiling)
    {
        (void)cached->EndList();
        (void)cached->Call(0, 1);
    }
    glPopMatrix();
    ClearGLErrors();
}

void LGLRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to, const Color& color,
                           float width)
{
    glLineWidth(width);
    SetColor(color);
    glBegin(GL_LINES);
    glVertex2f(from.x, from.y);
    glVertex2f(to.x, to.y);
    glEnd();
    ClearGLErrors();
}

LGLRenderer::ShapeCache& LGLRenderer::CacheOf(Shape shape)
{
    switch (shape)
    {
    case Shape::Segments:
        return mSegmentsCache;
    case Shape::Polyline:
        return mPolylineCache;
    case Shape::Outline:
        return mOutlineCache;
    case Shape::Fill:
        break;
    }
    return mFillCache;
}

void LGLRenderer::EmitShape(Shape shape, const PolylineT<float>& polyline) const
{
    const auto& points = polyline.GetPoints();
    if (shape == Shape::Fill)
    {
        CGLPolygon().Fill(polyline);
        return;
    }
    if (shape == Shape::Segments || shape == Shape::Polyline)
    {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(PointT<float>), points.data());
        glDrawArrays(
            shape == Shape::Segments ? GL_LINES : GL_LINE_STRIP, 0,
            static_cast<GLsizei>(shape == Shape::Segments ? points.size() & ~size_t{1} : points.size()));
        glDisableClientState(GL_VERTEX_ARRAY);
        return;
    }
    // The outline is closed: the last point joins the first.
    glBegin(GL_LINE_LOOP);
    for (const PointT<float>& point : points)
        glVertex2f(point.x, point.y);
    glEnd();
}

void LGLRenderer::DrawShape(Shape shape, const PolylineT<float>& polyline, const Color& color,
                            const PointT<double>& offset, const PointT<float>& scale, bool useList)
{
    glPushMatrix();
    glTranslatef(static_cast<float>(offset.x), static_cast<float>(offset.y), 0);
    glScalef(scale.x, scale.y, 1);
    if (shape != Shape::Outline)
        glDisable(GL_TEXTURE_2D);
    SetColor(color);
    glLineWidth(polyline.GetLineWidth());
    ShapeCache& cache = CacheOf(shape);
    if (!useList)
    {
        // Nothing is kept of a shape drawn without lists, in its own cache or the polygon's other one.
        cache.GetEntry(polyline, true) = nullptr;
        if (shape == Shape::Outline)
            mFillCache.GetEntry(polyline, true) = nullptr;
        else if (shape == Shape::Fill)
            mOutlineCache.GetEntry(polyline, true) = nullptr;
        EmitShape(shape, polyline);
        glPopMatrix();
        ClearGLErrors();
        return;
    }
    const bool changed = polyline.IsChanged();
    const_cast<PolylineT<float>&>(polyline).SetChanged(false);
    // The polygon's outline and fill share its changed flag: a change seen by one drops the other's list.
    if (changed && shape == Shape::Outline)
        mFillCache.GetEntry(polyline, true) = nullptr;
    else if (changed && shape == Shape::Fill)
        mOutlineCache.GetEntry(polyline, true) = nullptr;
    RCPtr<LGLDisplayList>& cached = cache.GetEntry(polyline, changed);
    if (!cached)
    {
        cached = LGLDisplayList::Create(1);
        const bool compiling = cached->BeginList(0) == S_OK;
        EmitShape(shape, polyline);
        if (compiling)
            (void)cached->EndList();
        else
            cached = nullptr; // drawn directly above
    }
    if (cached)
        (void)cached->Call(0, 1);
    glPopMatrix();
    ClearGLErrors();
}

void LGLRenderer::DrawLineSegments(const PolylineT<float>& polyline, const Color& color,
                                   const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawShape(Shape::Segments, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::DrawPolyline(const PolylineT<float>& polyline, const Color& color,
                               const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawShape(Shape::Polyline, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::DrawPolygon(const PolylineT<float>& polyline, const Color& color,
                              const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawShape(Shape::Outline, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::FillPolygon(const PolylineT<float>& polyline, const Color& color,
                              const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawShape(Shape::Fill, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                             int32_t resizeType)
{
    if (!bitmap)
        throw Exception<FailedResultException>(
            "Failed Result : ZQRESULT = 80070057 : ZQ::LGLRenderer::DrawBitmap : "
            "Renderer\\OpenGL\\GLRenderer : Line 1104");
    RCPtr<LGLTexture>& texture = mTextureCache.GetEntry(bitmap, false);
    if (!texture || texture->GetName() == -1 || !texture->IsTexture())
        texture = LGLTexture::CreateFromBitmap(bitmap);

    glColor4f(1, 1, 1, 1);
    const RectT<int32_t>& source = bitmap->GetRect();
    const GLEdges sourceEdges{static_cast<float>(source.x), static_cast<float>(source.y),
                              static_cast<float>(source.x + source.width),
                              static_cast<float>(source.y + source.height)};
    if (destination.width == source.width && destination.height == source.height)
        resizeType = kResizeStretch;
    const auto drawCopyAt = [&](int32_t x, int32_t y)
    {
        texture->Draw(sourceEdges,
                      {static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + source.width),
                       static_cast<float>(y + source.height)});
    };
    switch (resizeType)
    {
    case kResizeStretch:
        texture->Draw(sourceEdges, NormalizedEdges(destination));
        break;
    case kResizeTile:
        if (source.width <= 0 || source.height <= 0)
            break;
        for (int32_t x = destination.x; x < destination.x + destination.width; x += source.width)
        {
            for (int32_t y = destination.y; y < destination.y + destination.height; y += source.height)
                drawCopyAt(x, y);
        }
        break;
    case kResizeCenter:
        drawCopyAt(destination.x + (destination.width - source.width) / 2,
                   destination.y + (destination.height - source.height) / 2);
        break;
    default:
        throw Exception<std::logic_error>(
            "Logic Error : Invalid ResizeType passed to DrawBitmap! : "
            "ZQ::LGLRenderer::DrawBitmap : Renderer\\OpenGL\\GLRenderer : Line 1154");
    }
    ClearGLErrors();
}

ZQRESULT LGLRenderer::DrawOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                           const PointT<int32_t>& position, const RectT<int32_t>& sourceRect)
{
    const auto* offscreen = dynamic_cast<const LGLRenderContextInfo*>(context.Get());
    if (offscreen == nullptr || !offscreen->IsOffscreen())
        return E_INVALIDARG;
    glColor4f(1, 1, 1, 1);
    offscreen->DrawPicture(sourceRect, static_cast<float>(position.x), static_cast<float>(position.y));
    ClearGLErrors();
    return S_OK;
}

ZQRESULT LGLRenderer::ScrollOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                             const PointT<int32_t>& offset)
{
    auto* offscreen = dynamic_cast<LGLRenderContextInfo*>(context.Get());
    if (offscreen == nullptr || !offscreen->IsOffscreen())
        return E_INVALIDARG;
    if (!offscreen->HasPicture())
        return S_OK;
    const RectT<int32_t>& viewport = offscreen->GetViewport();
    (void)RenderStart(context);
    // The picture replaces what is there, transparent pixels included; what it uncovers is cleared.
    FillRect({0, 0, viewport.width, viewport.height}, Color(), false);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_ALPHA_TEST);
    glColor4f(1, 1, 1, 1);
    offscreen->DrawPicture({0, 0, viewport.width, viewport.height}, static_cast<float>(offset.x),
                           static_cast<float>(offset.y));
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    (void)RenderFinish(context);
    return S_OK;
}
} // namespace ZQ
