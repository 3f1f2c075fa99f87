#include "Platform/Resources/Resources.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
std::string Text(std::span<const uint8_t> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

TEST(Resources, KeysAreUpperCasedWithDotsAndSpacesAsUnderscores)
{
    EXPECT_EQ(Platform::ResourceKey(u"Background Image.png"), u"BACKGROUND_IMAGE_PNG");
    EXPECT_EQ(Platform::ResourceKey(u"Splash.PNG"), u"SPLASH_PNG");
    EXPECT_EQ(Platform::ResourceKey(u"app_skins"), u"APP_SKINS");
    EXPECT_EQ(Platform::ResourceKey(u""), u"");
}

TEST(Resources, AFileIsFoundUnderTheNameItsFileNameGives)
{
    for (const std::u16string_view name :
         {u"BACKGROUND_IMAGE_PNG", u"Background Image.png", u"background_image.PNG"})
    {
        const auto bytes = Platform::FindResource(u"gdiplus", name);
        ASSERT_TRUE(bytes.has_value());
        ASSERT_EQ(bytes->size(), 70u);
        EXPECT_EQ(Text(bytes->first(4)), "\x89PNG");
    }
}

TEST(Resources, OneNameUnderTwoTypesGivesTwoResources)
{
    const auto image = Platform::FindResource(u"GDIPLUS", u"BACKGROUND_IMAGE_PNG");
    const auto document = Platform::FindResource(u"ZQXML", u"BACKGROUND_IMAGE_PNG");
    ASSERT_TRUE(image && document);
    EXPECT_EQ(Text(*document), "<strings><s id=\"1\">Hello</s></strings>\n");
    EXPECT_NE(image->data(), document->data());
    EXPECT_TRUE(Platform::FindResource(u"ZQXML", u"APP_STRINGS"));
}

TEST(Resources, UnknownTypesAndNamesFindNothing)
{
    EXPECT_FALSE(Platform::FindResource(u"GDIPLUS", u"APP_STRINGS"));
    EXPECT_FALSE(Platform::FindResource(u"ICON", u"BACKGROUND_IMAGE_PNG"));
    EXPECT_FALSE(Platform::FindResource(u"GDIPLUS", u"BACKGROUND_IMAGE"));
    EXPECT_FALSE(Platform::FindResource(u"GDIPLUS", u""));
}
} // namespace
