#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"

#include <gtest/gtest.h>

using namespace ZQ;
using Layout = LLayoutDescriptor;

TEST(LayoutDescriptor, RecordsCompareNamesOnlyWhereTheyReferToAControl)
{
    Layout::AxisPosition position, otherPosition;
    position.ReferenceName = u"A";
    EXPECT_EQ(position, otherPosition); // a client position ignores its name
    position.ToControl = otherPosition.ToControl = Layout::kPositionSibling;
    EXPECT_NE(position, otherPosition);
    otherPosition.ReferenceName = u"A";
    EXPECT_EQ(position, otherPosition);
    otherPosition.Docked = true;
    EXPECT_NE(position, otherPosition);

    Layout::AxisSize size, otherSize;
    size.ReferenceName = u"A";
    EXPECT_EQ(size, otherSize);
    size.ToControl = otherSize.ToControl = Layout::kSizeSibling;
    EXPECT_NE(size, otherSize);

    Layout::AxisLimit limit, otherLimit;
    limit.ReferenceName = u"Children";
    EXPECT_EQ(limit, otherLimit);
    limit.ToOther = otherLimit.ToOther = true;
    EXPECT_NE(limit, otherLimit);
}

TEST(LayoutDescriptor, AxesCarryTheirDockedFlagAndRejectOtherAxes)
{
    const RCPtr<Layout> layout = Layout::Create();
    layout->mYDocked = true;
    layout->mYMaximum.Abs = 9;
    Layout::AxisPosition position;
    Layout::AxisSize size;
    Layout::AxisLimit minimum, maximum;
    ASSERT_EQ(layout->GetAxis(0, position, size), S_OK);
    EXPECT_FALSE(position.Docked);
    EXPECT_EQ(size.Abs, 16);
    ASSERT_EQ(layout->GetAxis(1, position, size), S_OK);
    EXPECT_TRUE(position.Docked);
    EXPECT_EQ(size.Abs, 40);
    ASSERT_EQ(layout->GetAxisLimits(1, minimum, maximum), S_OK);
    EXPECT_EQ(maximum.Abs, 9);
    EXPECT_EQ(layout->GetAxis(2, position, size), E_INVALIDARG);
    EXPECT_EQ(layout->GetAxisLimits(-1, minimum, maximum), E_INVALIDARG);
}

TEST(LayoutDescriptor, CopyToCreatesOrOverwritesTheTarget)
{
    const RCPtr<Layout> layout = Layout::Create();
    layout->mXPosition = {0.5f, Layout::kPositionSibling, u"Title", 1, 2};
    layout->mTextOverflowX = Layout::kOverflowExpand;
    layout->mLayoutOrder = 3;

    RCPtr<Layout> copy;
    layout->CopyTo(copy);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->mXPosition, layout->mXPosition);
    EXPECT_EQ(copy->mTextOverflowX, Layout::kOverflowExpand);

    RCPtr<Layout> existing = Layout::Create();
    Layout* const target = existing.Get();
    layout->CopyTo(existing);
    EXPECT_EQ(existing.Get(), target);
    EXPECT_EQ(existing->mLayoutOrder, 3);
    existing->mXPosition.ReferenceName = u"Other"; // the copy is the control's own
    EXPECT_EQ(layout->mXPosition.ReferenceName, u"Title");
}
