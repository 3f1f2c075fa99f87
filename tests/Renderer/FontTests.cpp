#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/Renderer/Font.h"

#include <gtest/gtest.h>

using namespace ZQ;
using TestSupport::FakeMeasurer;
using TestSupport::MeasurementRendererScope;

// The font list and the id counter belong to the whole process: these tests use names of their own and
// check differences of ids, never absolute values.
namespace
{
TEST(FontTest, OneFontPerDescriptionNamesIgnoringCase)
{
    const ConstRCPtr<LFont> arial = LFont::GetFont(u"FontTest Arial", 9, 0);
    struct Case
    {
        const char* name;
        const char16_t* face;
        float size;
        int32_t style;
        bool same;
    };
    const Case cases[] = {
        {"same description", u"FontTest Arial", 9, 0, true},
        {"name in other case", u"FONTTEST ARIAL", 9, 0, true},
        {"size not exactly equal", u"FontTest Arial", 9.0001f, 0, false},
        {"other style", u"FontTest Arial", 9, LFont::kBold, false},
        {"other name", u"FontTest Arial Narrow", 9, 0, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const ConstRCPtr<LFont> font = LFont::GetFont(c.face, c.size, c.style);
        EXPECT_EQ(font == arial, c.same);
        EXPECT_EQ(LFont::GetFont(c.face, c.size, c.style), font);
        EXPECT_EQ(font->GetSize(), c.size);
        EXPECT_EQ(font->GetStyle(), c.style);
        EXPECT_EQ(LFont::GetFontList().GetAt(static_cast<uint32_t>(LFont::FindFont(c.face, c.size, c.style))),
                  font);
    }
    EXPECT_EQ(arial->GetName(), u"FontTest Arial"); // the name as first asked for
    EXPECT_EQ(LFont::FindFont(u"FontTest never asked for", 9, 0), -1);
}

TEST(FontTest, IdsRiseByOneAndAreNeverReused)
{
    const ConstRCPtr<LFont> first = LFont::GetFont(u"FontTest Ids A", 10, 0);
    const ConstRCPtr<LFont> second = LFont::GetFont(u"FontTest Ids B", 10, 0);
    const ConstRCPtr<LFont> third = LFont::GetFont(u"FontTest Ids A", 11, 0);
    EXPECT_GT(first->GetUniqueID(), 0);
    EXPECT_EQ(second->GetUniqueID() - first->GetUniqueID(), 1);
    EXPECT_EQ(third->GetUniqueID() - second->GetUniqueID(), 1);
    EXPECT_EQ(LFont::GetFont(u"FontTest Ids A", 10, 0)->GetUniqueID(), first->GetUniqueID());
}

TEST(FontTest, MetricsAreFetchedOnceFromTheMeasurementRenderer)
{
    const ConstRCPtr<LFont> font = LFont::GetFont(u"FontTest Metrics", 9, 0);
    EXPECT_EQ(font->GetHeight(), 0); // no measurement renderer: nothing fetched
    EXPECT_EQ(font->GetAscent(), 0);

    const RCPtr<FakeMeasurer> measurer(new FakeMeasurer);
    const MeasurementRendererScope scope(measurer);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(font->GetHeight(), 12);
        EXPECT_EQ(font->GetAscent(), -10);
        EXPECT_EQ(font->GetDescent(), 2);
    }
    EXPECT_EQ(measurer->measurement.metricsCalls, 1);
}

TEST(FontTest, ReleasingInternalReferencesTakesTheFontOffTheList)
{
    const RCPtr<LFont> font(LFont::GetFont(u"FontTest Unlisted", 9, 0));
    const uint32_t listed = LFont::GetFontList().GetCount();
    EXPECT_EQ(font->ReleaseInternalReferences(), S_OK);
    EXPECT_EQ(LFont::GetFontList().GetCount(), listed - 1);
    EXPECT_EQ(LFont::FindFont(u"FontTest Unlisted", 9, 0), -1);
    EXPECT_EQ(font->ReleaseInternalReferences(), E_FAIL);
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_NE(LFont::GetFont(u"FontTest Unlisted", 9, 0), font); // a new one is made
}
} // namespace
