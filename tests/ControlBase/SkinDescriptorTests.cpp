#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"

#include <gtest/gtest.h>

using namespace ZQ;
using TestSupport::Utf8;

TEST(ControlDescriptor, CloneSharesEverythingButNameAndChildrenArray)
{
    const RCPtr<LControlDescriptor> root = LControlDescriptor::Create(u"Application", u"Brandole", nullptr);
    const RCPtr<LControlDescriptor> source =
        LControlDescriptor::Create(u"Framework.Button", u"buttonExit", root);
    const RCPtr<LControlDescriptor> child = LControlDescriptor::Create(u"Framework.Label", u"label", source);
    source->AddChild(child);
    source->mLayout = LLayoutDescriptor::Create();
    source->mCreateParams = LStringTable::Create({{u"LABEL", u"Exit"}});
    source->mSkin = LSkinDescriptor::Create(u"exitSkin");

    const RCPtr<LControlDescriptor> same = source->Clone(u"");
    EXPECT_EQ(Utf8(same->mName), "buttonExit");
    const RCPtr<LControlDescriptor> copy = source->Clone(u"buttonOther");
    EXPECT_EQ(Utf8(copy->mName), "buttonOther");
    EXPECT_EQ(Utf8(copy->mClass), "Framework.Button");
    EXPECT_EQ(copy->mParent, root);
    EXPECT_EQ(copy->mSkin, source->mSkin);
    EXPECT_EQ(copy->mLayout, source->mLayout);
    EXPECT_EQ(copy->mCreateParams, source->mCreateParams);
    ASSERT_EQ(copy->mChildren.GetCount(), 1u);
    EXPECT_EQ(copy->mChildren.GetAt(0), child);

    copy->AddChild(LControlDescriptor::Create(u"Framework.Label", u"extra", copy));
    EXPECT_EQ(source->mChildren.GetCount(), 1u);
    // The trees hold their parents; whoever builds one cuts the links when done (the factory does).
    source->DetachChildren();
    copy->DetachChildren();
}

TEST(LayoutDescriptor, DefaultsCopiesAndAxes)
{
    const RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    EXPECT_TRUE(layout->mClipToParent);
    EXPECT_TRUE(layout->mVisible);
    EXPECT_EQ(layout->mXPosition.ToControl, LLayoutDescriptor::kPositionClient);
    EXPECT_EQ(layout->mXSize.ToControl, LLayoutDescriptor::kSizeSelf);
    EXPECT_EQ(layout->mXSize.Abs, 16);
    EXPECT_EQ(layout->mYSize.Abs, 40);

    layout->mYDocked = true;
    layout->mYPosition.ToControl = LLayoutDescriptor::kPositionSibling;
    layout->mYPosition.ReferenceName = u"title";
    RCPtr<LLayoutDescriptor> copy;
    layout->CopyTo(copy);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, layout);
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    EXPECT_EQ(copy->GetAxis(1, position, size), S_OK);
    EXPECT_TRUE(position.Docked);
    EXPECT_EQ(Utf8(position.ReferenceName), "title");
    EXPECT_EQ(copy->GetAxis(2, position, size), E_INVALIDARG);
    LLayoutDescriptor::AxisLimit minimum;
    LLayoutDescriptor::AxisLimit maximum;
    EXPECT_EQ(copy->GetAxisLimits(-1, minimum, maximum), E_INVALIDARG);

    // Names count only where the rule names a control.
    LLayoutDescriptor::AxisSize a;
    LLayoutDescriptor::AxisSize b;
    b.ReferenceName = u"stale";
    EXPECT_EQ(a, b);
    a.ToControl = b.ToControl = LLayoutDescriptor::kSizeSibling;
    EXPECT_NE(a, b);
}
