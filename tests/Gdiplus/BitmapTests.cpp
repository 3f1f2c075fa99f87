#include "Canvas.h"

#include "Platform/Resources/Resources.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace
{
using namespace Platform::Gdiplus;

// The embedded fixture: row 0 opaque red, 0x80336699, 0x030A141E; row 1 transparent, white, 0xFF000080.
std::span<const uint8_t> PixelsPng()
{
    const auto bytes = Platform::FindResource(u"GDIPLUS", u"Pixels.png");
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or(std::span<const uint8_t>());
}

TEST(GdiplusBitmap, PixelsSetAndReadBackAreUnchangedAtAnyAlpha)
{
    for (const PixelFormat format : {PixelFormat::Argb32, PixelFormat::Pargb32})
    {
        auto bitmap = Bitmap::Create(4, 4, format);
        ASSERT_TRUE(bitmap);
        Argb color = 1;
        ASSERT_EQ(bitmap->GetPixel(3, 3, color), Status::Ok);
        EXPECT_EQ(color, 0u) << "a new bitmap is transparent black";
        if (format == PixelFormat::Pargb32)
        {
            // Premultiplied pixels keep opaque colours exactly.
            ASSERT_EQ(bitmap->SetPixel(1, 1, 0xFF123456), Status::Ok);
            ASSERT_EQ(bitmap->GetPixel(1, 1, color), Status::Ok);
            EXPECT_EQ(color, 0xFF123456u);
            continue;
        }
        for (const Argb written : {0x030A141Eu, 0x00FFFFFFu, 0x80336699u, 0xFFFFFFFFu, 0x01FF0000u})
        {
            ASSERT_EQ(bitmap->SetPixel(2, 1, written), Status::Ok);
            ASSERT_EQ(bitmap->GetPixel(2, 1, color), Status::Ok);
            EXPECT_EQ(color, written);
        }
    }
}

TEST(GdiplusBitmap, LockBitsRoundTripsAPixelOfAlphaThree)
{
    auto bitmap = Bitmap::Create(5, 3);
    LockedBits locked;
    ASSERT_EQ(bitmap->LockBits({1, 1, 3, 2}, LockMode::Write, PixelFormat::Argb32, locked), Status::Ok);
    EXPECT_EQ(locked.width, 3);
    EXPECT_EQ(locked.height, 2);
    auto* row1 = reinterpret_cast<uint32_t*>(locked.scan0 + locked.stride);
    row1[2] = 0x030A141E; // image pixel (3, 2)
    ASSERT_EQ(bitmap->UnlockBits(locked), Status::Ok);

    Argb color = 0;
    ASSERT_EQ(bitmap->GetPixel(3, 2, color), Status::Ok);
    EXPECT_EQ(color, 0x030A141Eu);
    ASSERT_EQ(bitmap->LockBits({0, 0, 5, 3}, LockMode::Read, PixelFormat::Argb32, locked), Status::Ok);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(locked.scan0 + 2 * locked.stride)[3], 0x030A141Eu);
    ASSERT_EQ(bitmap->UnlockBits(locked), Status::Ok);

    // A premultiplied back buffer is read and written straight through a lock too.
    auto buffer = Bitmap::Create(2, 2, PixelFormat::Pargb32);
    ASSERT_EQ(buffer->LockBits({0, 0, 2, 2}, LockMode::ReadWrite, PixelFormat::Argb32, locked), Status::Ok);
    reinterpret_cast<uint32_t*>(locked.scan0)[1] = 0x80FF0000;
    ASSERT_EQ(buffer->UnlockBits(locked), Status::Ok);
    ASSERT_EQ(buffer->GetPixel(1, 0, color), Status::Ok);
    EXPECT_EQ(color, 0x80FF0000u);
}

TEST(GdiplusBitmap, ALockedBitmapRefusesEverythingButItsUnlock)
{
    auto bitmap = Bitmap::Create(2, 2);
    LockedBits locked;
    ASSERT_EQ(bitmap->LockBits({0, 0, 2, 2}, LockMode::Read, PixelFormat::Argb32, locked), Status::Ok);
    LockedBits second;
    Argb color = 0;
    Status status = Status::Ok;
    EXPECT_EQ(bitmap->LockBits({0, 0, 1, 1}, LockMode::Read, PixelFormat::Argb32, second),
              Status::WrongState);
    EXPECT_EQ(bitmap->GetPixel(0, 0, color), Status::WrongState);
    EXPECT_EQ(bitmap->SetPixel(0, 0, color), Status::WrongState);
    EXPECT_FALSE(Graphics::FromBitmap(bitmap.get(), &status));
    EXPECT_EQ(status, Status::WrongState);
    Canvas canvas;
    EXPECT_EQ(canvas.graphics->DrawImage(bitmap.get(), PointF{0, 0}), Status::WrongState);
    EXPECT_EQ(bitmap->UnlockBits(second), Status::WrongState);
    EXPECT_EQ(bitmap->UnlockBits(locked), Status::Ok);
    EXPECT_EQ(bitmap->UnlockBits(locked), Status::WrongState);
}

TEST(GdiplusBitmap, PngBytesDecodeToStraightPixels)
{
    Status status = Status::GenericError;
    const auto bitmap = Bitmap::FromPng(PixelsPng(), &status);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(status, Status::Ok);
    EXPECT_EQ(bitmap->Width(), 3);
    EXPECT_EQ(bitmap->Height(), 2);
    EXPECT_EQ(bitmap->Format(), PixelFormat::Argb32);
    EXPECT_EQ(bitmap->DpiX(), 96);
    const Argb expected[2][3] = {{0xFFFF0000, 0x80336699, 0x030A141E}, {0x00000000, 0xFFFFFFFF, 0xFF000080}};
    for (int32_t y = 0; y < 2; ++y)
    {
        for (int32_t x = 0; x < 3; ++x)
        {
            Argb color = 0;
            ASSERT_EQ(bitmap->GetPixel(x, y, color), Status::Ok);
            EXPECT_EQ(color, expected[y][x]) << x << ", " << y;
        }
    }

    // A clone of an area keeps its pixels exactly.
    const auto clone = bitmap->CloneArea({1, 0, 2, 1}, PixelFormat::Argb32);
    ASSERT_TRUE(clone);
    Argb color = 0;
    ASSERT_EQ(clone->GetPixel(1, 0, color), Status::Ok);
    EXPECT_EQ(color, 0x030A141Eu);
}

TEST(GdiplusBitmap, FilesLoadAndFailedLoadsSayWhy)
{
    const auto path = std::filesystem::temp_directory_path() / "zq-gdiplus-pixels.png";
    {
        const auto bytes = PixelsPng();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    std::u16string windowsPath = path.u16string();
    std::replace(windowsPath.begin(), windowsPath.end(), u'/', u'\\');
    const auto loaded = Bitmap::FromFile(path.u16string());
    const auto loadedByWindowsPath = Bitmap::FromFile(windowsPath);
    std::filesystem::remove(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Width(), 3);
    EXPECT_TRUE(loadedByWindowsPath) << "backslashes separate folders too";

    const uint8_t notPng[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    std::vector<uint8_t> truncated(PixelsPng().begin(), PixelsPng().begin() + 40);
    struct Case
    {
        const char* what;
        std::function<std::unique_ptr<Bitmap>(Status*)> load;
        Status expected;
    };
    const Case cases[] = {
        {"no bytes", [](Status* s) { return Bitmap::FromPng({}, s); }, Status::InvalidParameter},
        {"not a PNG", [&](Status* s) { return Bitmap::FromPng(notPng, s); }, Status::UnknownImageFormat},
        {"truncated PNG", [&](Status* s) { return Bitmap::FromPng(truncated, s); },
         Status::UnknownImageFormat},
        {"missing file", [](Status* s) { return Bitmap::FromFile(u"/nonexistent/zq.png", s); },
         Status::FileNotFound},
    };
    for (const Case& c : cases)
    {
        Status status = Status::Ok;
        EXPECT_FALSE(c.load(&status)) << c.what;
        EXPECT_EQ(status, c.expected) << c.what;
    }
}

TEST(GdiplusBitmap, DrawingIntoAStraightBitmapKeepsItsOtherPixels)
{
    Canvas canvas(4, 1);
    ASSERT_EQ(canvas.bitmap->SetPixel(0, 0, 0x030A141E), Status::Ok);
    canvas.Fill(0xFF00FF00, {2, 0, 1, 1});
    EXPECT_EQ(canvas.At(0, 0), 0x030A141Eu);
    EXPECT_EQ(canvas.At(2, 0), 0xFF00FF00u);
    // A pixel set between two drawings is what the next drawing blends over.
    ASSERT_EQ(canvas.bitmap->SetPixel(3, 0, 0xFF0000FF), Status::Ok);
    canvas.Fill(0x00000000, {3, 0, 1, 1});
    EXPECT_EQ(canvas.At(3, 0), 0xFF0000FFu);
}

TEST(GdiplusBitmap, BackBuffersTakeTheirGraphicsDpi)
{
    Status status = Status::GenericError;
    const auto memory = Graphics::FromWindow(0, &status);
    ASSERT_TRUE(memory);
    EXPECT_EQ(status, Status::Ok);
    EXPECT_EQ(memory->DpiX(), 96);
    const auto buffer = Bitmap::CreateFor(memory.get(), 30, 20, &status);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->Format(), PixelFormat::Pargb32);
    EXPECT_EQ(buffer->DpiY(), 96);
}
} // namespace
