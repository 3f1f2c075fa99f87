#include "ControlBase/FilledTree.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Control/AutoHitTestDisabler.h"

#include <gtest/gtest.h>

namespace ZQ
{
namespace
{
using FilledTree::TreeTest;
using Layout = LLayoutDescriptor;

void Unclipped(Layout& layout)
{
    layout.mClipToParent = false;
}

using HitTest = TreeTest;

TEST_F(HitTest, ContainsPointCoversWidthAndHeightExclusively)
{
    const auto top = MakeTop();
    const auto control = Add(top, u"control", {10, 20, 30, 40});
    struct Case
    {
        PointT<int32_t> point;
        bool inside;
    };
    const Case cases[] = {
        {{0, 0}, true},   {{29, 39}, true}, {{30, 0}, false},
        {{0, 40}, false}, {{-1, 0}, false}, {{0, -1}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(control->ContainsPoint(c.point), c.inside) << c.point.x << "," << c.point.y;
}

TEST_F(HitTest, OutsideItsParentsClientAreaOnlyAnUnclippedChildIsHit)
{
    const auto top = MakeTop();
    // The panel's client area starts 10 pixels in, at (60, 60) of the window; its left frame is opaque.
    const auto panel = Add(top, u"panel", {50, 50, 100, 100});
    AddLook(panel, "panel", 1, 10);
    AddLook(Add(panel, u"clipped", {-30, 0, 20, 20}), "clipped", 1);
    AddLook(Add(panel, u"floating", {-30, 30, 20, 20}, Unclipped), "floating", 1);
    AddLook(Add(panel, u"edge", {-5, 50, 20, 20}), "edge", 1);

    struct Case
    {
        PointT<int32_t> point;
        const char16_t* name;
        PointT<int32_t> local;
    };
    const Case cases[] = {
        {{35, 65}, u"top", {35, 65}},     // over the clipped child, outside the panel
        {{35, 95}, u"floating", {5, 5}},  // the unclipped child outside the panel
        {{57, 115}, u"panel", {7, 65}},   // the clipped child's part over the panel's frame
        {{65, 115}, u"edge", {10, 5}},    // its part inside the client area
        {{100, 100}, u"panel", {50, 50}}, // the panel's client area
        {{-1, 100}, u"(none)", {0, 0}},
    };
    for (const Case& c : cases)
    {
        const Hit hit = HitAt(top, c.point.x, c.point.y);
        EXPECT_EQ(hit.name, WString(c.name)) << c.point.x << "," << c.point.y;
        if (hit.name != WString(u"(none)"))
        {
            EXPECT_EQ(hit.local, c.local) << c.point.x << "," << c.point.y;
        }
    }
}

TEST_F(HitTest, AmongOverlappingUnclippedControlsTheHighestEffectiveZOrderWins)
{
    struct Case
    {
        int32_t firstZ;
        int32_t secondZ;
        const char16_t* expected;
    };
    // Each floating control lies in its own panel, the second panel above the first in drawing order;
    // equal values go to the one met first from the top.
    const Case cases[] = {{5, 3, u"first"}, {3, 5, u"second"}, {4, 4, u"second"}, {-2, -1, u"second"}};
    for (const Case& c : cases)
    {
        const auto top = MakeTop();
        for (const auto& [name, z] : {std::pair{u"first", c.firstZ}, std::pair{u"second", c.secondZ}})
        {
            const auto panel = Add(top, name[0] == u'f' ? u"first panel" : u"second panel", {0, 0, 50, 50});
            AddLook(panel, "panel", 1);
            AddLook(Add(panel, name, {60, 60, 40, 40},
                        [z = z](Layout& layout)
                        {
                            layout.mClipToParent = false;
                            layout.mZOrder = z;
                        }),
                    "floating", 1);
        }
        // A clipped control above both panels does not hide them.
        AddLook(Add(top, u"cover", {50, 50, 100, 100}), "cover", 1);
        EXPECT_EQ(HitAt(top, 70, 70).name, WString(c.expected)) << c.firstZ << " " << c.secondZ;
        EXPECT_EQ(HitAt(top, 120, 120).name, WString(u"cover"));
    }
}

TEST_F(HitTest, TransparentPartsOfALookLetThePointThrough)
{
    const auto top = MakeTop();
    AddLook(Add(top, u"below", {0, 0, 50, 50}), "below", 1);
    // Client part fully transparent, left frame strip opaque.
    const auto above = Add(top, u"above", {0, 0, 50, 50});
    AddLook(above, "above", 1, 10, 0x00);

    EXPECT_EQ(HitAt(top, 20, 20).name, WString(u"below"));
    EXPECT_EQ(HitAt(top, 5, 20).name, WString(u"above"));
    (void)above->SetLookOpacity(0, 0, false);
    EXPECT_EQ(HitAt(top, 5, 20).name, WString(u"below"));
}

TEST_F(HitTest, AControlWithoutWidthIsNeverHitNorAreItsChildren)
{
    const auto top = MakeTop();
    const auto zero = Add(top, u"zero", {100, 0, 0, 50});
    AddLook(zero, "zero", 1);
    AddLook(Add(zero, u"lifted", {0, 0, 30, 30}, Unclipped), "lifted", 1);
    ASSERT_EQ(zero->GetRect().width, 0);

    EXPECT_EQ(HitAt(top, 110, 10).name, WString(u"top"));
    EXPECT_EQ(HitAt(top, 100, 40).name, WString(u"top"));
}

TEST_F(HitTest, DisablingTheHitTestSkipsOnlyTheControlItselfForTheScope)
{
    const auto top = MakeTop();
    const auto skipped = Add(top, u"skipped", {0, 0, 100, 100});
    AddLook(skipped, "skipped", 1);
    AddLook(Add(skipped, u"inner", {0, 0, 20, 20}), "inner", 1);
    {
        const CAutoHitTestDisabler disabler(skipped);
        EXPECT_TRUE(skipped->IsSkipInHitTest());
        EXPECT_EQ(HitAt(top, 50, 50).name, WString(u"top"));
        EXPECT_EQ(HitAt(top, 10, 10).name, WString(u"inner"));
    }
    EXPECT_FALSE(skipped->IsSkipInHitTest());
    EXPECT_EQ(HitAt(top, 50, 50).name, WString(u"skipped"));
}
} // namespace
} // namespace ZQ
