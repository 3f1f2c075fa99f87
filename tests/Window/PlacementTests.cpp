#include "Support/TempRegistry.h"

#include "Platform/Registry/Registry.h"
#include "Platform/Window/Placement.h"

#include <gtest/gtest.h>

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
}
} // namespace
