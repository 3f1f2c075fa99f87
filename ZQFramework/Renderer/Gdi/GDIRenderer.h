#pragma once

#include "Platform/Gdiplus/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/Gdi/Forward.h"
#include "ZQFramework/Renderer/Polyline.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Storage/PurgeableCache.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ZQ
{
// The renderer this program draws with (type 1), over the GDI+ stand-in. It draws shapes, text, bitmaps
// and offscreen pictures into the current back buffer of an LGDIRenderContextInfo, which presents it at
// the end of the frame; every drawing operation does nothing outside a frame (DrawBitmap throws). Text is
// measured and drawn from a font's family name, size in points and style, so any installed font works;
// measuring works outside frames too. Two caches keep prepared objects between frames: bitmaps scaled,
// tiled or centred to a drawn size, and paths of polylines. Cached bitmaps unused since the previous purge
// are released when a frame ends, at most every five minutes. UI thread only.
class LGDIRenderer : public LRenderer
{
public:
    // The key of a bitmap prepared at a drawn size: the bitmap (held), the destination size and the way it
    // was fitted, so one bitmap at one size drawn stretched and tiled keeps two pictures. Bits is the
    // number of hash bits of the cache's index.
    template <uint32_t Bits>
    class CashableBitmapDescriptor
    {
    public:
        CashableBitmapDescriptor() = default;
        CashableBitmapDescriptor(const ConstRCPtr<LBitmap>& bitmapValue, int32_t widthValue,
                                 int32_t heightValue, int32_t resizeTypeValue)
            : bitmap(bitmapValue), width(widthValue), height(heightValue), resizeType(resizeTypeValue)
        {
        }

        // Equal for the same bitmap object, size and resize type.
        friend bool operator==(const CashableBitmapDescriptor& a, const CashableBitmapDescriptor& b)
        {
            return a.bitmap == b.bitmap && a.width == b.width && a.height == b.height &&
                   a.resizeType == b.resizeType;
        }

        // Bits 4 and up of the full-width address of the GDI+ bitmap behind the bitmap.
        [[nodiscard]] static uint32_t GetHashBits(const CashableBitmapDescriptor& descriptor)
        {
            return GetBits<Bits, 4, intptr_t>(LBitmap::GetHandle(descriptor.bitmap));
        }

        ConstRCPtr<LBitmap> bitmap;
        int32_t width = 0;
        int32_t height = 0;
        int32_t resizeType = 0;
    };

    // A bitmap prepared for drawing at whole pixels onto the graphics it was made for.
    class LCachedBitmap : public LRefCountedObject
    {
    public:
        explicit LCachedBitmap(std::unique_ptr<Platform::Gdiplus::CachedBitmap> bitmap);
        ~LCachedBitmap() override;
        [[nodiscard]] const Platform::Gdiplus::CachedBitmap* Get() const { return mBitmap.get(); }

    private:
        std::unique_ptr<Platform::Gdiplus::CachedBitmap> mBitmap;
    };

    // The path of a polyline, filled with the alternate rule. Drawing through a matrix uses a
    // transformed copy, so the cached path never changes.
    class LGraphicsPath : public LRefCountedObject
    {
    public:
        LGraphicsPath();
        ~LGraphicsPath() override;
        [[nodiscard]] Platform::Gdiplus::Path& GetPath() { return *mPath; }
        void Fill(Platform::Gdiplus::Graphics& graphics, const Platform::Gdiplus::Brush& brush,
                  const Platform::Gdiplus::Matrix* matrix) const;
        void Draw(Platform::Gdiplus::Graphics& graphics, const Platform::Gdiplus::Pen& pen,
                  const Platform::Gdiplus::Matrix* matrix) const;

    private:
        std::unique_ptr<Platform::Gdiplus::Path> mPath;
    };

    using BitmapDescriptor = CashableBitmapDescriptor<8>;
    using BitmapCache = PurgableObjectCache<LCachedBitmap, BitmapDescriptor, BitmapDescriptor,
                                            &GetSelf<BitmapDescriptor>, 8, &BitmapDescriptor::GetHashBits>;
    using PathCache = PurgableObjectCache<LGraphicsPath, PolylineT<float>, intptr_t,
                                          &PolylineT<float>::GetHandle, 8, &GetBits<8, 4, intptr_t>>;

    // Cached bitmaps not used since the previous purge are released once this many milliseconds of the
    // clock have passed since it.
    static constexpr uint32_t kPurgeIntervalMs = 300000;

    LGDIRenderer();
    ~LGDIRenderer() override;

    // Metrics from the family's cell ascent, cell descent, em height and line spacing for the style.
    ZQRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) override;
    // x 0, y the ascent, the width of the text (trailing blanks included) rounded up plus 3, the height.
    [[nodiscard]] RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
    // MeasureText's widths of all the text's prefixes from one layout of its glyphs.
    void MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                             std::vector<float>& widths) override;
    [[nodiscard]] int32_t GetRendererType() const override;
    ZQRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& context) override;
    ZQRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    ZQRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;
    // The top of the text's cell one pixel above the position.
    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                  const Color& color) override;
    void DrawRect(const RectT<int32_t>& rect, const Color& color, float width) override;
    // With blend false the colour replaces the back buffer's pixels at the rectangle's own coordinates,
    // regardless of origin and clip.
    void FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) override;
    void DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset) override;
    void DrawLine(const PointT<float>& from, const PointT<float>& to, const Color& color,
                  float width) override;
    void DrawLineSegments(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                          const PointT<float>& scale, bool keepCached) override;
    void DrawPolyline(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                      const PointT<float>& scale, bool keepCached) override;
    void DrawPolygon(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    void FillPolygon(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    // Prepares the bitmap at the destination's size once (stretched, tiled or centred; a bitmap already of
    // that size is drawn as it is) and draws the prepared picture at the destination's corner. Throws
    // outside a frame and for another resize type.
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                    int32_t resizeType) override;
    ZQRESULT DrawOffscreenContext(const RCPtr<LRenderContextInfo>& context, const PointT<int32_t>& position,
                                  const RectT<int32_t>& sourceRect) override;
    // Moves the picture by the offset; what it uncovers is transparent black.
    ZQRESULT ScrollOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                    const PointT<int32_t>& offset) override;
    void SetClipRect(const RectT<double>& clip) override;
    void TranslateOrigin(const PointT<double>& delta) override;

    [[nodiscard]] const BitmapCache& GetBitmapCache() const { return mBitmapCache; }
    [[nodiscard]] const PathCache& GetPathCache() const { return mPathCache; }

private:
    enum class PathKind
    {
        Segments,
        Polyline,
        Polygon,
    };

    // The current context's graphics; null outside a frame.
    [[nodiscard]] Platform::Gdiplus::Graphics* CurrentGraphics() const;
    void DrawPath(const PolylineT<float>& polyline, PathKind kind, bool fill, const Color& color,
                  const PointT<double>& offset, const PointT<float>& scale, bool keepCached);
    [[nodiscard]] RCPtr<LCachedBitmap> PrepareBitmap(const LBitmap& bitmap, const RectT<int32_t>& destination,
                                                     int32_t resizeType) const;
    void PurgeWhenDue();

    float mDpiScale = 1.0f;
    RCPtr<LGDIRenderContextInfo> mCurrent; // null outside a frame
    int32_t mStartedContexts = 0;          // contexts started and not yet finished
    std::unique_ptr<Platform::Gdiplus::Bitmap> mMeasuringBitmap;
    std::unique_ptr<Platform::Gdiplus::Graphics> mMeasuringGraphics; // draws into mMeasuringBitmap
    int32_t mScreenDpi = 96;
    BitmapCache mBitmapCache{256};
    PathCache mPathCache{256};
    uint32_t mLastPurge; // Platform/Clock's tick count
};
} // namespace ZQ
