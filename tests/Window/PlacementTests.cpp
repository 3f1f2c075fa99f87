#include "Support/Fifo.h"
#include "Support/TempRegistry.h"

#include "Platform/Registry/Registry.h"
#include "Platform/Window/Placement.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace
{
using namespace Platform::Window;
using WindowPlacementStore = TestSupport::TempRegistry;

const WindowPlacement kPlacement{2, 1, {-1, -1}, {-8, -30}, {100, 200, 900, 700}};

TEST(WindowPlacementBytes, ElevenLittleEndianIntegersStartingWithTheLength)
{
    const auto bytes = EncodePlacement(kPlacement);
    const uint8_t expected[44] = {
        44,   0,    0,    0,    2,    0,    0,    0,    1,    0,    0,    0,    0xFF, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF8, 0xFF, 0xFF, 0xFF, 0xE2, 0xFF, 0xFF, 0xFF, 100,  0,
        0,    0,    200,  0,    0,    0,    0x84, 3,    0,    0,    0xBC, 2,    0,    0,
    };
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), std::begin(expected)));
    EXPECT_EQ(DecodePlacement(bytes), kPlacement);
}

TEST(WindowPlacementBytes, OtherSizesAndLengthsAreNotApplied)
{
    const auto bytes = EncodePlacement(kPlacement);
    EXPECT_FALSE(DecodePlacement(std::span(bytes).first(40)));
    std::vector<uint8_t> longer(bytes.begin(), bytes.end());
    longer.push_back(0);
    EXPECT_FALSE(DecodePlacement(longer));
    auto wrongLength = bytes;
    wrongLength[0] = 40;
    EXPECT_FALSE(DecodePlacement(wrongLength));
}

TEST(WindowPlacementBytes, StoredCoordinatesOfAnySizeAreClampedBeforeAnyArithmetic)
{
    WindowPlacement extreme{
        0, 1, {INT32_MIN, INT32_MAX}, {-40000, 40000}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    const auto decoded = DecodePlacement(EncodePlacement(extreme));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->minPosition, (Point{-32768, 32767}));
    EXPECT_EQ(decoded->maxPosition, (Point{-32768, 32767}));
    EXPECT_EQ(decoded->normalPosition, (Rect{-32768, -32768, 32767, 32767}));
    EXPECT_EQ(decoded->normalPosition.Width(), 65535);

    // What lies inside the range stays as it was.
    const WindowPlacement edge{0, 1, {-32768, 32767}, {0, 0}, {-32000, -32000, -31840, -31970}};
    EXPECT_EQ(DecodePlacement(EncodePlacement(edge)), edge);
}

TEST(WindowRect, WidthAndHeightAreExactOrStopAtTheLimits)
{
    struct Case
    {
        Rect rect;
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {{100, 200, 900, 700}, 800, 500},
        {{900, 700, 100, 200}, -800, -500},
        {{INT32_MIN, INT32_MIN, 100, 0}, INT32_MAX, INT32_MAX},
        {{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, INT32_MIN, INT32_MIN},
        {{-1, INT32_MIN, INT32_MAX - 1, -1}, INT32_MAX, INT32_MAX},
        {{INT32_MIN, 0, INT32_MAX, 0}, INT32_MAX, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.rect.left) + "," + std::to_string(c.rect.top) + "," +
                     std::to_string(c.rect.right) + "," + std::to_string(c.rect.bottom));
        EXPECT_EQ(c.rect.Width(), c.width);
        EXPECT_EQ(c.rect.Height(), c.height);
    }
}

TEST_F(WindowPlacementStore, SavedAsBinaryWpUnderTheProfileKey)
{
    EXPECT_FALSE(LoadPlacement(u"Q3300SplenWnd"));
    ASSERT_TRUE(SavePlacement(u"Q3300SplenWnd", kPlacement));
    EXPECT_EQ(LoadPlacement(u"Q3300SplenWnd"), kPlacement);

    Platform::RegKey key = 0;
    ASSERT_EQ(Platform::RegistryOpenKey(Platform::RegCurrentUser,
                                        u"Software\\Tavrin DJ\\Q3300 Splen\\Q3300SplenWnd",
                                        Platform::RegKeyRead, &key),
              Platform::RegSuccess);
    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_EQ(Platform::RegistryQueryValue(key, u"WP", &type, nullptr, &size), Platform::RegSuccess);
    EXPECT_EQ(type, Platform::RegBinary);
    EXPECT_EQ(size, 44u);
    const uint8_t shortValue[8] = {};
    ASSERT_EQ(Platform::RegistrySetValue(key, u"WP", Platform::RegBinary, shortValue, 8),
              Platform::RegSuccess);
    Platform::RegistryCloseKey(key);
    EXPECT_FALSE(LoadPlacement(u"Q3300SplenWnd"));

    // A FIFO in the value's place is no placement, and nothing waits for a writer.
    const std::string valueFile =
        mRoot + "/HKEY_CURRENT_USER/Software/Tavrin DJ/Q3300 Splen/Q3300SplenWnd/@WP";
    ASSERT_EQ(::unlink(valueFile.c_str()), 0);
    const TestSupport::Fifo fifo(valueFile);
    ASSERT_TRUE(fifo.IsMade());
    EXPECT_TRUE(fifo.EndsWithoutAWriter([] { EXPECT_FALSE(LoadPlacement(u"Q3300SplenWnd")); }));
}
} // namespace
