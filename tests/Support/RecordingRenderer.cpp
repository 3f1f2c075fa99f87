#include "RecordingRenderer.h"

#include "ZQFramework/Renderer/ColorRectList.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Polyline.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace TestSupport
{
namespace
{
// Joins the pieces by appending, never by operator+, whose inserts at the front GCC 12's optimiser takes
// for overlapping copies in release builds.
template <class... Parts>
std::string Join(const Parts&... parts)
{
    std::string text;
    (text.append(parts), ...);
    return text;
}

template <class T>
std::string Number(T value)
{
    std::array<char, 40> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

template <class T>
std::string Point(const ZQ::PointT<T>& point)
{
    return Join("(", Number(point.x), ",", Number(point.y), ")");
}

template <class T>
std::string Rect(const ZQ::RectT<T>& rect)
{
    return Join("(", Number(rect.x), ",", Number(rect.y), ",", Number(rect.width), ",", Number(rect.height),
                ")");
}

std::string Packed(uint32_t argb)
{
    std::array<char, 12> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "#%08X", argb);
    return buffer.data();
}

std::string ColorText(const ZQ::Color& color)
{
    return Packed(color.ToARGB());
}

std::string Quoted(const ZQ::WString& text)
{
    return Join("\"", ZQ::AString(text).GetBuffer(), "\"");
}

std::string Flag(bool value)
{
    return value ? "1" : "0";
}
} // namespace

int32_t RecordingRenderer::GetRendererType() const
{
    return kGdiplus;
}

ZQRESULT RecordingRenderer::InitRenderContextInfo(const ZQ::RectT<int32_t>& viewport, intptr_t window,
                                                  bool offscreen, ZQ::RCPtr<ZQ::LRenderContextInfo>& context)
{
    context = ZQ::RCPtr<ZQ::LRenderContextInfo>(new RecordingContext(viewport, window, offscreen));
    return S_OK;
}

void RecordingRenderer::DrawText(const ZQ::WString& text, const ZQ::ConstRCPtr<ZQ::LFont>& font,
                                 const ZQ::PointT<int32_t>& position, const ZQ::Color& color)
{
    const std::string fontText = font != nullptr ? Join(Quoted(font->GetName()), "/", Number(font->GetSize()),
                                                        "/", Number(font->GetStyle()))
                                                 : "null";
    Record("DrawText", Join(Quoted(text), " ", fontText, " ", Point(position), " ", ColorText(color)));
}

void RecordingRenderer::DrawRect(const ZQ::RectT<int32_t>& rect, const ZQ::Color& color, float width)
{
    Record("DrawRect", Join(Rect(rect), " ", ColorText(color), " width=", Number(width)));
}

void RecordingRenderer::FillRect(const ZQ::RectT<int32_t>& rect, const ZQ::Color& color, bool blend)
{
    Record("FillRect", Join(Rect(rect), " ", ColorText(color), " blend=", Flag(blend)));
}

void RecordingRenderer::DrawColorRectList(const ZQ::ColorRectListT<float>& list,
                                          const ZQ::PointT<double>& offset)
{
    std::string arguments = "[";
    for (uint32_t i = 0; i < list.GetCount(); ++i)
        arguments += Join(i > 0 ? " " : "", Rect(list.GetAt(i).rect), Packed(list.GetAt(i).color));
    arguments +=
        Join("] scale=", Point(ZQ::PointT<float>(list.GetHorizontalScale(), list.GetVerticalScale())),
             " offset=", Point(offset));
    Record("DrawColorRectList", arguments);
}

void RecordingRenderer::DrawLine(const ZQ::PointT<float>& from, const ZQ::PointT<float>& to,
                                 const ZQ::Color& color, float width)
{
    Record("DrawLine", Join(Point(from), " ", Point(to), " ", ColorText(color), " width=", Number(width)));
}

void RecordingRenderer::DrawLineSegments(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                                         const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                                         bool keepCached)
{
    RecordPolyline("DrawLineSegments", polyline, color, offset, scale, keepCached);
}

void RecordingRenderer::DrawPolyline(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                                     const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                                     bool keepCached)
{
    RecordPolyline("DrawPolyline", polyline, color, offset, scale, keepCached);
}

void RecordingRenderer::DrawPolygon(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                                    const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                                    bool keepCached)
{
    RecordPolyline("DrawPolygon", polyline, color, offset, scale, keepCached);
}

void RecordingRenderer::FillPolygon(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                                    const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                                    bool keepCached)
{
    RecordPolyline("FillPolygon", polyline, color, offset, scale, keepCached);
}

void RecordingRenderer::DrawBitmap(const ZQ::ConstRCPtr<ZQ::LBitmap>& bitmap,
                                   const ZQ::RectT<int32_t>& destination, int32_t resizeType)
{
    Record("DrawBitmap", Join(bitmap == nullptr ? "null" : "bitmap", " ", Rect(destination),
                              " resize=", Number(resizeType)));
}

ZQRESULT RecordingRenderer::DrawOffscreenContext(const ZQ::RCPtr<ZQ::LRenderContextInfo>& context,
                                                 const ZQ::PointT<int32_t>& position,
                                                 const ZQ::RectT<int32_t>& sourceRect)
{
    Record("DrawOffscreenContext",
           Join(context == nullptr ? "null" : "context", " ", Point(position), " ", Rect(sourceRect)));
    return S_OK;
}

ZQRESULT RecordingRenderer::ScrollOffscreenContext(const ZQ::RCPtr<ZQ::LRenderContextInfo>& context,
                                                   const ZQ::PointT<int32_t>& offset)
{
    Record("ScrollOffscreenContext", Join(context == nullptr ? "null" : "context", " ", Point(offset)));
    return S_OK;
}

void RecordingRenderer::Record(const std::string& operation, const std::string& arguments)
{
    mLines.push_back(Join(operation, " ", arguments, " | origin=", Point(GetOrigin()),
                          " clip=", Rect(GetClipRect()), " opacity=", Number(GetOpacity())));
}

void RecordingRenderer::RecordPolyline(const char* operation, const ZQ::PolylineT<float>& polyline,
                                       const ZQ::Color& color, const ZQ::PointT<double>& offset,
                                       const ZQ::PointT<float>& scale, bool keepCached)
{
    std::string points = "[";
    for (uint32_t i = 0; i < polyline.GetPointCount(); ++i)
        points += Join(i > 0 ? " " : "", Point(polyline.GetPoint(i)));
    Record(operation, Join(points, "] width=", Number(polyline.GetLineWidth()), " ", ColorText(color),
                           " offset=", Point(offset), " scale=", Point(scale), " keep=", Flag(keepCached)));
}
} // namespace TestSupport
