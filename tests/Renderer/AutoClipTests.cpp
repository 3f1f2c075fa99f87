#include "RendererFixture.h"

#include "ZQFramework/Renderer/AutoClip.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace ZQ;
using RendererTesting::RendererTest;

namespace
{
using AutoClipTest = RendererTest;

TEST_F(AutoClipTest, UnknownFlavourThrowsAndPushesNothing)
{
    ClipDescription description;
    description.flavour = 3;
    const int32_t referencesBefore = mRenderer->GetRefCount();
    try
    {
        CAutoClip guard(mRenderer, description);
        ADD_FAILURE() << "no exception";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(), "Runtime Error : Unknown PushClip flavor : ZQ::CAutoClip::CAutoClip : "
                               "ZQFramework\\Renderer\\Renderer : Line 405");
    }
    EXPECT_EQ(SavedStates(), 0u);
    EXPECT_EQ(mRenderer->GetRefCount(), referencesBefore);
}

TEST_F(AutoClipTest, NestedGuardsUnwindInReverse)
{
    ClipDescription rect;
    rect.flavour = ClipDescription::kRect;
    rect.bounds = rect.clip = {10, 10, 50, 30};
    rect.relative = true;
    ClipDescription offset;
    offset.flavour = ClipDescription::kOffset;
    offset.offset = {2.5, 4};
    {
        const CAutoClip outer(mRenderer, rect);
        EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(10, 10)));
        {
            const CAutoClip middle(mRenderer, offset);
            EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(13, 14)));
            {
                const CAutoClip inner(mRenderer, {1, 1, 5, 5}, {0, 0, 100, 100}, nullptr);
                EXPECT_EQ(SavedStates(), 3u);
                EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(14, 15)));
                EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(0, 0, 5, 5)));
                mRenderer->SetOpacity(0.25f);
            }
            EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(13, 14)));
            EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(-3, -4, 50, 30)));
            EXPECT_EQ(mRenderer->GetOpacity(), 1.0f);
        }
        EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(10, 10)));
        EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(0, 0, 50, 30)));
    }
    EXPECT_EQ(SavedStates(), 0u);
    EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(0, 0)));
    EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(0, 0, 100, 50)));
}

TEST_F(AutoClipTest, AnExceptionPopsTheGuard)
{
    EXPECT_THROW(
        {
            const CAutoClip guard(mRenderer, {10, 10, 20, 20}, {10, 10, 20, 20}, nullptr, false);
            EXPECT_EQ(SavedStates(), 1u);
            throw std::runtime_error("drawing failed");
        },
        std::runtime_error);
    EXPECT_EQ(SavedStates(), 0u);
    EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(0, 0)));
    EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(0, 0, 100, 50)));
}

TEST_F(AutoClipTest, OffsetGuardWithNothingSavedChangesNothing)
{
    {
        const CAutoClip guard(mRenderer,
                              ClipDescription{ClipDescription::kOffset, {}, {}, nullptr, false, {5, 5}});
        EXPECT_EQ(SavedStates(), 0u);
        EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(0, 0)));
    }
    {
        const CAutoClip plain(mRenderer);
        {
            const CAutoClip guard(mRenderer,
                                  ClipDescription{ClipDescription::kOffset, {}, {}, nullptr, false, {5, 5}});
            EXPECT_EQ(SavedStates(), 2u);
        }
        EXPECT_EQ(SavedStates(), 1u); // the guard popped its own state, not the plain one
    }
    EXPECT_EQ(SavedStates(), 0u);
}
} // namespace
