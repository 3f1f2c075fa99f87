#include "GdiTesting.h"

#include "Platform/Resources/Resources.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/BitmapData.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Graphics/Colorizer.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace
{
using namespace GdiTesting;
using ZQ::Color;
using ZQ::LBitmap;
using ZQ::LColorizer;
using ZQ::RCPtr;

// A file path of its own for each test, removed at the end.
struct TempPng
{
    TempPng()
        : path(std::filesystem::temp_directory_path() /
               ("zq-bitmap-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png"))
    {
    }
    ~TempPng() { std::filesystem::remove(path); }

    void Write(std::string_view bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
    void WriteQuad() const
    {
        const auto png = Platform::FindResource(u"GDIPLUS", u"Quad Tile.png");
        ASSERT_TRUE(png.has_value());
        Write({reinterpret_cast<const char*>(png->data()), png->size()});
    }
    ZQ::WString Name() const { return ZQ::WString(path.u16string().c_str()); }

    std::filesystem::path path;
};

TEST(GdiBitmap, NamesGiveOneSharedBitmapFromResourcesOrFiles)
{
    const RCPtr<LBitmap> quad = LBitmap::GetNamedBitmap(u"::Quad Tile.png"); // resource QUAD_TILE_PNG
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(LBitmap::GetNamedBitmap(u"::quad tile.PNG"), quad);
    EXPECT_EQ(quad->GetRect(), (ZQ::RectT<int32_t>(0, 0, 2, 2)));
    EXPECT_EQ(quad->GetPixelColor(1, 0), Color(kGreen));
    EXPECT_EQ(quad->GetPixelColor(2, 0), Color()) << "outside the image";
    EXPECT_EQ(quad->GetInternalRefCount(), 1) << "the map's reference";

    TempPng file;
    file.WriteQuad();
    const RCPtr<LBitmap> fromFile = LBitmap::GetNamedBitmap(file.Name());
    ASSERT_NE(fromFile, nullptr);
    EXPECT_NE(fromFile, quad);
    EXPECT_EQ(fromFile->GetPixelColor(0, 1), Color(kBlue));
}

TEST(GdiBitmap, AFailedLoadGivesNullAndCachesNothing)
{
    EXPECT_EQ(LBitmap::GetNamedBitmap(u"::No Such Image.png"), nullptr);
    EXPECT_EQ(LBitmap::GetNamedBitmap(u"/no/such/folder/image.png"), nullptr);
    TempPng file;
    file.Write("not an image");
    EXPECT_EQ(LBitmap::GetNamedBitmap(file.Name()), nullptr);
    file.WriteQuad();
    EXPECT_NE(LBitmap::GetNamedBitmap(file.Name()), nullptr) << "the failure was not remembered";
}

TEST(GdiBitmap, TheLastOutsideReleaseTakesABitmapOffTheMap)
{
    TempPng file;
    file.WriteQuad();
    RCPtr<LBitmap> bitmap = LBitmap::GetNamedBitmap(file.Name());
    ASSERT_NE(bitmap, nullptr);
    RCPtr<LBitmap> sub = bitmap->CreateSubBitmap(1, 1, 1, 1);
    bitmap = nullptr;
    EXPECT_EQ(LBitmap::GetNamedBitmap(file.Name()), sub->GetParent()) << "a sub-bitmap keeps its owner";

    sub = nullptr;
    std::filesystem::remove(file.path);
    EXPECT_EQ(LBitmap::GetNamedBitmap(file.Name()), nullptr) << "gone from the map, loaded again, and failed";
}

TEST(GdiBitmap, SubBitmapsViewTheirOwnersPixels)
{
    const RCPtr<LBitmap> quad = LBitmap::GetNamedBitmap(u"::Quad Tile.png");
    const RCPtr<LBitmap> column = quad->CreateSubBitmap(1, 0, 1, 2);
    const RCPtr<LBitmap> same = column->CreateSubBitmap(0, 0, 0, 0);
    const RCPtr<LBitmap> lower = column->CreateSubBitmap(0, 1, 1, 1);
    EXPECT_EQ(same->GetRect(), column->GetRect());
    EXPECT_EQ(lower->GetRect(), (ZQ::RectT<int32_t>(1, 1, 1, 1)));
    EXPECT_EQ(lower->GetParent(), quad) << "the owner, never a chain";
    EXPECT_EQ(lower->GetGdiplusBitmap(), quad->GetGdiplusBitmap());
    EXPECT_EQ(lower->GetPixelColor(0, 0), Color(kWhite));

    const RCPtr<LBitmap> copy = column->CloneBitmap();
    EXPECT_EQ(copy->GetRect(), (ZQ::RectT<int32_t>(0, 0, 1, 2)));
    EXPECT_EQ(copy->GetPixelColor(0, 0), Color(kGreen));
    EXPECT_NE(copy->GetGdiplusBitmap(), quad->GetGdiplusBitmap());
}

TEST(GdiBitmap, LockedPixelsRoundTripAtAlphaThree)
{
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(3, 2, Color(kBlue));
    EXPECT_EQ(bitmap->GetPixelColor(2, 1), Color(kBlue));
    {
        ZQ::LBitmapData data(bitmap, Platform::Gdiplus::LockMode::ReadWrite, nullptr);
        ASSERT_TRUE(data.IsLocked());
        EXPECT_EQ(data.GetWidth(), 3);
        EXPECT_EQ(data.GetHeight(), 2);
        *reinterpret_cast<uint32_t*>(data.GetPixelAddress(1, 1)) = 0x030A141E;
    }
    EXPECT_EQ(bitmap->GetPixelColor(1, 1).ToARGB(), 0x030A141Eu);

    // A sub-bitmap's data is its owner's, whole.
    const RCPtr<ZQ::LBitmapData> data = bitmap->CreateSubBitmap(1, 1, 1, 1)->GetBitmapData();
    EXPECT_EQ(data->GetWidth(), 3);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(data->GetPixelAddress(1, 1)), 0x030A141Eu);
}

TEST(GdiBitmap, ColorizingTintsByAlphaTimesIntensityWithinEachByte)
{
    struct Case
    {
        const char* what;
        Color color;
        float intensity;
        uint32_t before;
        uint32_t after;
    };
    const Case cases[] = {
        {"intensity 0", Color(1, 0, 0, 1), 0, 0xFF336699, 0xFF336699},
        {"alpha 0", Color(1, 0, 0, 0), 1, 0xFF336699, 0xFF336699},
        {"opaque at full intensity", Color(0, 1, 0, 1), 1, 0xFF336699, 0xFF00FF00},
        {"alpha stays", Color(0, 1, 0, 1), 1, 0x40336699, 0x4000FF00},
        {"half", Color(1, 1, 1, 0.5f), 1, 0xFF000000, 0xFF808080},
        {"intensity 2 saturates", Color(1, 0.5f, 0, 1), 2, 0xFFFFFFFF, 0xFFFF0000},
        {"a channel above 1 saturates", Color(1.5f, 0, 0, 1), 1, 0xFF000000, 0xFFFF0000},
        {"a channel below 0 saturates", Color(-0.5f, 0, 0, 1), 1, 0xFF800000, 0xFF000000},
        {"an intensity that is not a number", Color(1, 0, 0, 1), std::nanf(""), 0xFF336699, 0xFF000000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(2, 2, Color(c.before));
        LBitmap::ApplyColorizer(bitmap, LColorizer::Create(u"tint", LColorizer::kSolid, c.color),
                                c.intensity);
        EXPECT_EQ(bitmap->GetPixelColor(1, 1).ToARGB(), c.after);
    }
}

TEST(GdiBitmap, ColorizedPicturesOfVisualParts)
{
    // A solid colorizer is solid whatever its second colour; a gradient of one colour twice is too.
    LColorizer::Gradient gradient;
    gradient.EndColor = Color(kBlue);
    const RCPtr<LColorizer> solid = LColorizer::Create(u"solid", LColorizer::kSolid, Color(kRed), gradient);
    gradient.EndColor = Color(kRed);
    const RCPtr<LColorizer> flat =
        LColorizer::Create(u"flat", LColorizer::kLinearGradient, Color(kRed), gradient);

    const RCPtr<LBitmap> filled = LBitmap::ApplyColorizer(solid, 0.5f, 3, 2, nullptr, nullptr);
    EXPECT_EQ(filled->GetRect(), (ZQ::RectT<int32_t>(0, 0, 3, 2)));
    EXPECT_EQ(filled->GetPixelColor(2, 1).ToARGB(), 0x80FF0000u);
    EXPECT_EQ(LBitmap::ApplyColorizer(flat, 1, 1, 1, nullptr, nullptr)->GetPixelColor(0, 0).ToARGB(), kRed);

    // From one image: a tinted copy of its rectangle, the image itself untouched.
    const RCPtr<LBitmap> quad = LBitmap::GetNamedBitmap(u"::Quad Tile.png");
    const RCPtr<LBitmap> column = quad->CreateSubBitmap(1, 0, 1, 2);
    const RCPtr<LBitmap> tinted = LBitmap::ApplyColorizer(solid, 1, 0, 0, nullptr, column);
    EXPECT_EQ(tinted->GetRect(), (ZQ::RectT<int32_t>(0, 0, 1, 2)));
    EXPECT_EQ(tinted->GetPixelColor(0, 1).ToARGB(), kRed);
    EXPECT_EQ(column->GetPixelColor(0, 1).ToARGB(), kWhite);
}

TEST(GdiBitmap, ErrorsAreThrownWithTheirTexts)
{
    LColorizer::Gradient gradient;
    gradient.EndColor = Color(kBlue);
    const RCPtr<LColorizer> solid = LColorizer::Create(u"solid", LColorizer::kSolid, Color(kRed));
    const RCPtr<LColorizer> radial =
        LColorizer::Create(u"radial", LColorizer::kRadialGradient, Color(kRed), gradient);
    const RCPtr<LBitmap> image = LBitmap::CreateFilledBitmap(2, 2, Color(kWhite));
    const RCPtr<ZQ::LBitmapData> pixels = LBitmap::CreateFilledBitmap(1, 1, Color())->GetBitmapData();
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { (void)LBitmap::CreateColorizedBitmap(solid, 1, 0, 5); },
         "Runtime Error : ZQ::LBitmap::CreateColorizedBitmap : Utilities\\Graphics\\Bitmap : Line 298"},
        {[&] { (void)LBitmap::CreateFilledBitmap(4, -1, Color()); },
         "Runtime Error : ZQ::LBitmap::CreateFilledBitmap : Utilities\\Graphics\\Bitmap : Line 327"},
        {[&] { (void)LBitmap::CreateColorizedBitmap(radial, 1, 4, 4); },
         "Domain Error : ZQ::LBitmap::CreateGradientFilledBitmap : Utilities\\Graphics\\Bitmap : Line 362"},
        {[&] { LBitmap::ApplyColorizer(image, radial, 1); },
         "Domain Error : ZQ::LBitmap::CreateGradientFilledBitmap : Utilities\\Graphics\\Bitmap : Line 362"},
        {[&] { LBitmap::ApplyColorizer(nullptr, solid, 1); },
         "Runtime Error : ZQ::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 374"},
        {[&] { LBitmap::ApplyColorizer(image, nullptr, 1); },
         "Runtime Error : ZQ::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 374"},
        {[&] { LBitmap::ApplyColorizer(image->CreateSubBitmap(1, 1, 4, 4), solid, 1); },
         "Runtime Error : ZQ::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 398"},
        {[&] { (void)LBitmap::ApplyColorizer(solid, 1, 2, 2, image, image); },
         "Domain Error : ZQ::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 444"},
        {[&] { ZQ::LBitmapData data(image, Platform::Gdiplus::LockMode::Read, pixels.Get()); },
         "Domain Error : ZQ::LBitmapData::LBitmapData : Utilities\\Graphics\\Bitmap : Line 489"},
    };
    for (const auto& [call, text] : cases)
    {
        try
        {
            call();
            ADD_FAILURE() << "nothing thrown; expected " << text;
        }
        catch (const std::exception& error)
        {
            EXPECT_STREQ(error.what(), text);
        }
    }
}
} // namespace
