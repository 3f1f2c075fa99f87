#include "Canvas.h"

#include "Platform/Gdiplus/Font.h"

#include <thread>
#include <vector>

namespace
{
using namespace Platform::Gdiplus;

// Fonts are found and shared process-wide; threads that each draw on their own bitmap may look them up,
// measure and draw at once and see the same results.
TEST(GdiplusFontConcurrency, ThreadsFindMeasureAndDrawTheSameFonts)
{
    constexpr int threadCount = 4;
    std::vector<float> widths(threadCount);
    std::vector<int> inked(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                const auto family = FontFamily::FromName(t % 2 ? u"Arial" : u"Liberation Sans");
                const auto font = Font::Create(family.get(), 9, FontStyleBold, Unit::Point);
                Canvas canvas(80, 20);
                RectF box;
                canvas.graphics->MeasureString(u"Shared font", font.get(), {0, 0}, box);
                canvas.graphics->DrawString(u"Shared font", font.get(), {0, 0},
                                            Brush::Solid(0xFF000000).get());
                widths[t] = box.width;
                for (int32_t y = 0; y < 20; ++y)
                    for (char c : canvas.Row(y))
                        inked[t] += c == '#';
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 1; t < threadCount; ++t)
    {
        EXPECT_EQ(widths[t], widths[0]);
        EXPECT_EQ(inked[t], inked[0]);
    }
    EXPECT_GT(inked[0], 0);
}
} // namespace
