#include "GLTesting.h"

#include "ZQFramework/Renderer/OpenGL/GLDisplayList.h"
#include "ZQFramework/Renderer/OpenGL/GLTexture.h"

namespace
{
using namespace GLTesting;
using ZQ::LGLTexture;

TEST(GLTexture, PowerOfTwoSizesStopAt16384)
{
    const std::pair<int32_t, int32_t> cases[] = {{-5, 0},    {0, 0},         {1, 1},         {2, 2},
                                                 {3, 4},     {30, 32},       {100, 128},     {128, 128},
                                                 {129, 256}, {16384, 16384}, {16385, 16384}, {20000, 16384}};
    for (const auto& [length, size] : cases)
        EXPECT_EQ(LGLTexture::PowerOfTwoSize(length), size) << length;
}

TEST(GLTexture, AlphaTexturesTakeTheInverseLuminance)
{
    const std::pair<uint32_t, uint8_t> cases[] = {
        {0x00000000, 0},   // nothing
        {0xFFFFFFFF, 0},   // opaque white
        {0xFF000000, 255}, // opaque black
        {0xFF808080, 128}, // the luminance sum of grey 128 falls just below 128 and truncates to 127
        {0x00000001, 255 - 0}, {0x00FF0000, 255 - 76},
    };
    for (const auto& [pixel, alpha] : cases)
        EXPECT_EQ(LGLTexture::AlphaOfPixel(pixel), alpha) << std::hex << pixel;
}

// An image of width x height pixels, the left half red and the right half blue.
ZQ::GLTextureImage HalfAndHalf(int32_t width, int32_t height, std::vector<uint32_t>& pixels)
{
    pixels.assign(size_t(width) * height, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[size_t(y) * width + x] = x < width / 2 ? 0xFFFF0000 : 0xFF0000FF;
    ZQ::GLTextureImage image;
    image.format = GL_BGRA;
    image.type = GL_UNSIGNED_BYTE;
    image.data = reinterpret_cast<const uint8_t*>(pixels.data());
    image.width = width;
    image.height = height;
    image.stride = width * 4;
    image.bytesPerPixel = 4;
    return image;
}

TEST(GLTextureGL, TexturesArePowersOfTwoAndOversizedImagesAreRescaled)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    struct Case
    {
        int32_t width;
        int32_t height;
        float textureWidth;
        float textureHeight;
    };
    const Case cases[] = {{100, 30, 128, 32}, {1, 1, 1, 1}, {20000, 2, 16384, 2}};
    for (const Case& c : cases)
    {
        std::vector<uint32_t> pixels;
        const ZQ::GLTextureImage image = HalfAndHalf(c.width, c.height, pixels);
        const ZQ::RCPtr<LGLTexture> texture(new LGLTexture);
        const Pixels drawn = canvas.Frame(
            [&]
            {
                texture->Create(image, GL_RGBA8, LGLTexture::kNearest, 1.0f);
                texture->Draw({0, 0, float(c.width), float(c.height)}, {0, 0, 64, 4});
            });
        EXPECT_EQ(texture->GetTextureWidth(), c.textureWidth) << c.width;
        EXPECT_EQ(texture->GetTextureHeight(), c.textureHeight) << c.width;
        EXPECT_TRUE(texture->GetName() >= 0);
        // The picture is there, whole, across the quad.
        EXPECT_EQ(drawn.Rgb(1, 1), c.width > 1 ? 0xFF0000u : 0x0000FFu) << c.width;
        EXPECT_EQ(drawn.Rgb(62, 1), 0x0000FFu) << c.width;
        if (c.width > 1)
        {
            EXPECT_EQ(drawn.Rgb(30, 1), 0xFF0000u) << c.width;
        }
    }
}

TEST(GLTextureGL, DisplayListCallsStayWithinTheirLists)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const ZQ::RCPtr<ZQ::LGLDisplayList> list = ZQ::LGLDisplayList::Create(1);
    ZQRESULT pastTheEnd = 0;
    const Pixels nothing = canvas.Frame(
        [&]
        {
            ASSERT_EQ(list->BeginList(0), S_OK);
            canvas.renderer->FillRect({0, 0, 10, 10}, ZQ::Color(1, 0, 0, 1), true);
            ASSERT_EQ(list->EndList(), S_OK);
            pastTheEnd = list->Call(0, 2);
        });
    EXPECT_EQ(pastTheEnd, E_INVALIDARG);
    EXPECT_EQ(nothing.CountInk(), 0);
    ZQRESULT called = E_FAIL;
    const Pixels drawn = canvas.Frame([&] { called = list->Call(0, 1); });
    EXPECT_EQ(called, S_OK);
    EXPECT_EQ(drawn.Rgb(5, 5), 0xFF0000u);

    EXPECT_EQ(ZQ::LGLDisplayList::Create(0), ZQ::LGLDisplayList::Create(0)) << "one shared empty object";
    EXPECT_EQ(ZQ::LGLDisplayList::Create(0)->Call(0, 0), E_FAIL) << "no names";
}
} // namespace
