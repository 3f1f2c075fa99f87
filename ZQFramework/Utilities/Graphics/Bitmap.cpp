#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Resources/Resources.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Graphics/BitmapData.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Graphics/Colorizer.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string_view>

namespace ZQ
{
namespace
{
using NamedBitmaps = std::map<WString, RCPtr<LBitmap>>;

// The named-bitmap map and its lock. Both live until the process exits, so a bitmap released during
// static destruction still finds them.
std::mutex& NamedBitmapsLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

NamedBitmaps& GetNamedBitmaps() // guarded by NamedBitmapsLock
{
    static auto* bitmaps = new NamedBitmaps;
    return *bitmaps;
}

std::u16string_view View(const WString& text)
{
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}

constexpr std::u16string_view kResourcePrefix = u"::";
} // namespace

LBitmap::LBitmap(const WString& name, const WString& key) : mName(name), mKey(key)
{
    Load();
}

LBitmap::LBitmap(std::unique_ptr<Platform::Gdiplus::Bitmap> image) : mImage(std::move(image))
{
    if (mImage)
        mRect = {0, 0, mImage->Width(), mImage->Height()};
}

LBitmap::LBitmap(const ConstRCPtr<LBitmap>& parent, const RectT<int32_t>& rect) : mRect(rect), mParent(parent)
{
}

LBitmap::~LBitmap() = default;

void LBitmap::Load()
{
    const std::u16string_view name = View(mName);
    if (name.starts_with(kResourcePrefix))
    {
        // The resource lookup applies the name rule (upper case, '.' and ' ' as '_') itself.
        if (const auto bytes = Platform::FindResource(u"GDIPLUS", name.substr(kResourcePrefix.size())))
            mImage = Platform::Gdiplus::Bitmap::FromPng(*bytes);
    }
    else
    {
        mImage = Platform::Gdiplus::Bitmap::FromFile(name);
    }
    if (mImage)
        mRect = {0, 0, mImage->Width(), mImage->Height()};
}

RCPtr<LBitmap> LBitmap::GetNamedBitmap(const WString& name)
{
    const WString key = name.ToUpper();
    const std::lock_guard lock(NamedBitmapsLock());
    NamedBitmaps& bitmaps = GetNamedBitmaps();
    if (const auto found = bitmaps.find(key); found != bitmaps.end())
        return found->second;
    RCPtr<LBitmap> bitmap(new LBitmap(name, key));
    if (!bitmap->HasImage())
        return nullptr;
    bitmaps.emplace(key, bitmap);
    AdjustInternalRefCount(bitmap.Get(), 1);
    return bitmap;
}

ZQRESULT LBitmap::ReleaseInternalReferences()
{
    RCPtr<LBitmap> mapReference; // given back once the lock is left
    {
        const std::lock_guard lock(NamedBitmapsLock());
        NamedBitmaps& bitmaps = GetNamedBitmaps();
        const auto found = mName.IsEmpty() ? bitmaps.end() : bitmaps.find(mKey);
        if (found != bitmaps.end() && found->second.Get() == this)
        {
            mName.Empty();
            AdjustInternalRefCount(this, -1);
            mapReference = std::move(found->second);
            bitmaps.erase(found);
        }
    }
    mapReference = nullptr;
    return LRefCountedObject::ReleaseInternalReferences();
}

RCPtr<LBitmap> LBitmap::CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height) const
{
    RectT<int32_t> rect = mRect;
    if (width > 0 && height > 0)
        rect = {mRect.x + x, mRect.y + y, width, height};
    const ConstRCPtr<LBitmap> owner = mParent ? mParent : ConstRCPtr<LBitmap>(this);
    return RCPtr<LBitmap>(new LBitmap(owner, rect));
}

RCPtr<LBitmap> LBitmap::CloneBitmap() const
{
    const Platform::Gdiplus::Bitmap* image = GetGdiplusBitmap();
    std::unique_ptr<Platform::Gdiplus::Bitmap> copy;
    if (image != nullptr)
        copy = image->CloneArea({mRect.x, mRect.y, mRect.width, mRect.height}, image->Format());
    return RCPtr<LBitmap>(new LBitmap(std::move(copy)));
}

Color LBitmap::GetPixelColor(int32_t x, int32_t y) const
{
    const Platform::Gdiplus::Bitmap* image = GetGdiplusBitmap();
    Platform::Gdiplus::Argb argb = 0;
    if (image == nullptr || image->GetPixel(mRect.x + x, mRect.y + y, argb) != Platform::Gdiplus::Status::Ok)
        return Color();
    return Color(argb);
}

RCPtr<LBitmapData> LBitmap::GetBitmapData() const
{
    if (mParent)
        return mParent->GetBitmapData();
    return RCPtr<LBitmapData>(
        new LBitmapData(ConstRCPtr<LBitmap>(this), Platform::Gdiplus::LockMode::Read, nullptr));
}

Platform::Gdiplus::Bitmap* LBitmap::GetGdiplusBitmap() const
{
    if (mImage)
        return mImage.get();
    return mParent ? mParent->mImage.get() : nullptr;
}

intptr_t LBitmap::GetHandle(const ConstRCPtr<LBitmap>& bitmap)
{
    return bitmap ? reinterpret_cast<intptr_t>(bitmap->GetGdiplusBitmap()) : 0;
}

RCPtr<LBitmap> LBitmap::CreateFilledBitmap(int32_t width, int32_t height, const Color& color)
{
    if (width <= 0 || height <= 0)
        throw Exception<std::runtime_error>(
            "Runtime Error : ZQ::LBitmap::CreateFilledBitmap : Utilities\\Graphics\\Bitmap : Line 327");
    auto image = Platform::Gdiplus::Bitmap::Create(width, height, Platform::Gdiplus::PixelFormat::Argb32);
    Platform::Gdiplus::LockedBits locked;
    if (image &&
        image->LockBits({0, 0, width, height}, Platform::Gdiplus::LockMode::Write,
                        Platform::Gdiplus::PixelFormat::Argb32, locked) == Platform::Gdiplus::Status::Ok)
    {
        const uint32_t argb = color.ToARGB();
        for (int32_t row = 0; row < locked.height; ++row)
        {
            auto* pixels = reinterpret_cast<uint32_t*>(locked.scan0 + row * locked.stride);
            std::fill(pixels, pixels + locked.width, argb);
        }
        (void)image->UnlockBits(locked);
    }
    return RCPtr<LBitmap>(new LBitmap(std::move(image)));
}

RCPtr<LBitmap> LBitmap::CreateGradientFilledBitmap(const RectT<int32_t>& /*size*/, const Color& /*start*/,
                                                   const Color& /*end*/, bool /*radial*/)
{
    throw Exception<std::domain_error>(
        "Domain Error : ZQ::LBitmap::CreateGradientFilledBitmap : Utilities\\Graphics\\Bitmap : Line 362");
}

namespace
{
// A gradient colorizer whose two colours differ; one of the same colour twice is drawn as solid.
bool IsGradient(const LColorizer& colorizer)
{
    return (colorizer.mColorType == LColorizer::kLinearGradient ||
            colorizer.mColorType == LColorizer::kRadialGradient) &&
           !(colorizer.mColor == colorizer.mGradientEndColor);
}

// ((old / 255) * (1 - c) + tint) * 255, rounded, within a byte; not a number gives 0, as packing a colour
// does.
uint32_t TintChannel(uint32_t old, double keep, double tint)
{
    const double value = ((old / 255.0) * keep + tint) * 255.0 + 0.5;
    if (!(value > 0))
        return 0;
    return static_cast<uint32_t>(std::min(value, 255.0));
}
} // namespace

RCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float intensity,
                                              int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || !colorizer)
        throw Exception<std::runtime_error>(
            "Runtime Error : ZQ::LBitmap::CreateColorizedBitmap : Utilities\\Graphics\\Bitmap : Line 298");
    if (IsGradient(*colorizer))
        return CreateGradientFilledBitmap({0, 0, width, height}, colorizer->mColor,
                                          colorizer->mGradientEndColor,
                                          colorizer->mColorType == LColorizer::kRadialGradient);
    Color color = colorizer->mColor;
    color.alpha *= intensity;
    return CreateFilledBitmap(width, height, color);
}

void LBitmap::ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                             float intensity)
{
    if (!bitmap || !colorizer)
        throw Exception<std::runtime_error>(
            "Runtime Error : ZQ::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 374");
    if (IsGradient(*colorizer))
    {
        (void)CreateColorizedBitmap(colorizer, intensity, bitmap->GetWidth(), bitmap->GetHeight());
        return;
    }
    const Color& color = colorizer->mColor;
    const double c = static_cast<double>(color.alpha) * intensity;
    const double keep = 1.0 - c;
    const double tintRed = color.red * c;
    const double tintGreen = color.green * c;
    const double tintBlue = color.blue * c;

    Platform::Gdiplus::Bitmap* image = bitmap->GetGdiplusBitmap();
    const RectT<int32_t>& rect = bitmap->mRect;
    Platform::Gdiplus::LockedBits locked;
    if (image == nullptr ||
        image->LockBits({rect.x, rect.y, rect.width, rect.height}, Platform::Gdiplus::LockMode::ReadWrite,
                        Platform::Gdiplus::PixelFormat::Argb32, locked) != Platform::Gdiplus::Status::Ok)
        throw Exception<std::runtime_error>(
            "Runtime Error : ZQ::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 398");
    for (int32_t row = 0; row < locked.height; ++row)
    {
        auto* pixels =
            reinterpret_cast<uint32_t*>(locked.scan0 + static_cast<ptrdiff_t>(row) * locked.stride);
        for (uint32_t& pixel : std::span(pixels, static_cast<size_t>(locked.width)))
        {
            pixel = (pixel & 0xFF000000u) | TintChannel((pixel >> 16) & 0xFF, keep, tintRed) << 16 |
                    TintChannel((pixel >> 8) & 0xFF, keep, tintGreen) << 8 |
                    TintChannel(pixel & 0xFF, keep, tintBlue);
        }
    }
    (void)image->UnlockBits(locked);
}

RCPtr<LBitmap> LBitmap::ApplyColorizer(const ConstRCPtr<LColorizer>& colorizer, float intensity,
                                       int32_t width, int32_t height, const ConstRCPtr<LBitmap>& image,
                                       const ConstRCPtr<LBitmap>& alternateImage)
{
    if (image && alternateImage)
        throw Exception<std::domain_error>(
            "Domain Error : ZQ::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 444");
    if (!image && !alternateImage)
        return CreateColorizedBitmap(colorizer, intensity, width, height);
    RCPtr<LBitmap> colorized = (image ? image : alternateImage)->CloneBitmap();
    ApplyColorizer(colorized, colorizer, intensity);
    return colorized;
}
} // namespace ZQ
