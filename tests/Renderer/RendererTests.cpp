#include "RendererFixture.h"

#include "ZQFramework/ObjectBase/ExceptionBase.h"
#include "ZQFramework/Renderer/D3D9Renderer.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Stencil.h"

#include <array>
#include <charconv>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ZQ;
using RendererTesting::RendererTest;

namespace
{
TEST_F(RendererTest, MisuseThrowsTheDesignedTexts)
{
    struct Case
    {
        const char* name;
        std::function<void(RendererTest&, RCPtr<LRenderContextInfo>&)> action;
        const char* text;
        bool domainError;
    };
    const Case cases[] = {
        {"null context", [](RendererTest& t, auto&) { t.mRenderer->RenderStart(nullptr); },
         "Runtime Error : Render context is NULL : ZQ::LRenderer::RenderStart : "
         "ZQFramework\\Renderer\\Renderer : Line 232",
         false},
        {"started context started again", [](RendererTest& t, auto&) { t.mRenderer->RenderStart(t.mWindow); },
         "Runtime Error : Render context reentered. : ZQ::LRenderer::RenderStart : "
         "ZQFramework\\Renderer\\Renderer : Line 238",
         false},
        {"outer context started again while an inner one is current",
         [](RendererTest& t, RCPtr<LRenderContextInfo>& other)
         {
             t.mRenderer->RenderStart(other);
             t.mRenderer->RenderStart(t.mWindow);
         },
         "Runtime Error : Render context reentered. : ZQ::LRenderer::RenderStart : "
         "ZQFramework\\Renderer\\Renderer : Line 238",
         false},
        {"finish of a context not current",
         [](RendererTest& t, RCPtr<LRenderContextInfo>& other) { t.mRenderer->RenderFinish(other); },
         "Runtime Error : RenderFinish context does not match RenderStart context : "
         "ZQ::LRenderer::RenderFinish : ZQFramework\\Renderer\\Renderer : Line 251",
         false},
        {"finish of the outer context while an inner one is current",
         [](RendererTest& t, RCPtr<LRenderContextInfo>& other)
         {
             t.mRenderer->RenderStart(other);
             t.mRenderer->RenderFinish(t.mWindow);
         },
         "Runtime Error : RenderFinish context does not match RenderStart context : "
         "ZQ::LRenderer::RenderFinish : ZQFramework\\Renderer\\Renderer : Line 251",
         false},
        {"renderer type 3", [](RendererTest&, auto&) { (void)LRenderer::Create(3, {}, 0); },
         "Domain Error : ZQ::LRenderer::Create : Renderer\\Renderer : Line 129", true},
        {"renderer type -1", [](RendererTest&, auto&) { (void)LRenderer::Create(-1, {}, 0); },
         "Domain Error : ZQ::LRenderer::Create : Renderer\\Renderer : Line 129", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        RCPtr<LRenderContextInfo> other = MakeContext(true);
        const RCPtr<LRenderContextInfo> currentBefore = mRenderer->GetCurrentContext();
        try
        {
            c.action(*this, other);
            ADD_FAILURE() << "no exception";
        }
        catch (const std::exception& e)
        {
            EXPECT_STREQ(e.what(), c.text);
            EXPECT_NE(dynamic_cast<const ExceptionBase*>(&e), nullptr);
            EXPECT_EQ(dynamic_cast<const std::domain_error*>(&e) != nullptr, c.domainError);
            EXPECT_EQ(dynamic_cast<const std::runtime_error*>(&e) != nullptr, !c.domainError);
        }
        // The failing call changed nothing: finishing what the case started returns to the window.
        if (mRenderer->GetCurrentContext() == other)
            mRenderer->RenderFinish(other);
        EXPECT_EQ(mRenderer->GetCurrentContext(), currentBefore);
    }
}

TEST_F(RendererTest, NestedFramesSwitchStateAndReturn)
{
    mRenderer->PushClip();
    mRenderer->TranslateOrigin({4, 5});
    mRenderer->SetOpacity(0.5f);

    const RCPtr<LRenderContextInfo> offscreen = MakeContext(true);
    EXPECT_EQ(mRenderer->RenderStart(offscreen), S_OK);
    EXPECT_EQ(mRenderer->GetCurrentContext(), offscreen);
    EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(0, 0)));
    EXPECT_EQ(mRenderer->GetOpacity(), 1.0f);
    EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(-5000000136282112.0, -5000000136282112.0,
                                                       10000000272564224.0, 10000000272564224.0)));
    mRenderer->TranslateOrigin({7, 7});
    EXPECT_EQ(mRenderer->RenderFinish(offscreen), S_OK);

    EXPECT_EQ(mRenderer->GetCurrentContext(), mWindow);
    EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(4, 5)));
    EXPECT_EQ(mRenderer->GetOpacity(), 0.5f);
    mRenderer->PopClip();
    EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(0, 0)));
    EXPECT_EQ(mRenderer->GetOpacity(), 1.0f);
    EXPECT_EQ(offscreen->GetRefCount(), 1); // the finished frame gave its reference back
}

TEST_F(RendererTest, PushClipRectMovesOriginAndClipAndPopRestoresThemExactly)
{
    struct Case
    {
        const char* name;
        PointT<double> startOrigin;
        RectT<double> bounds;
        RectT<double> clip;
        bool relative;
        PointT<double> originMove;
        RectT<double> storedClip;
    };
    const Case cases[] = {
        {"relative: cut to bounds and current clip",
         {0, 0},
         {10, 20, 30, 40},
         {0, 0, 100, 100},
         true,
         {10, 20},
         {0, 0, 30, 30}},
        {"relative outside the current clip: empty",
         {0, 0},
         {200, 200, 10, 10},
         {200, 200, 10, 10},
         true,
         {200, 200},
         {0, 0, 0, 0}},
        {"relative half pixels: offset rounds away from zero, clip edges floor",
         {0, 0},
         {2.5, -2.5, 10, 10},
         {2.5, -2.5, 10, 10},
         true,
         {3, -3},
         {-1, 3, 10, 7}},
        {"relative from a fractional origin",
         {0.1, 0.7},
         {10, 20, 30, 40},
         {0, 0, 100, 100},
         true,
         {10, 20},
         {0, 0, 30, 30}},
        {"window bounds: origin goes there, clip taken as given",
         {5, 5},
         {10, 20, 30, 40},
         {0.5, 0.5, 9.9, 9.9},
         false,
         {5, 15},
         {0, 0, 10, 10}},
        {"negative size normalised", {0, 0}, {0, 0, 0, 0}, {10, 10, -5, -5}, false, {0, 0}, {5, 5, 5, 5}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        mRenderer->TranslateOrigin(c.startOrigin);
        const PointT<double> originBefore = mRenderer->GetOrigin();
        const RectT<double> clipBefore = mRenderer->GetClipRect();

        mRenderer->PushClipRect(c.bounds, c.clip, nullptr, c.relative);
        EXPECT_EQ(SavedStates(), 1u);
        EXPECT_EQ(mRenderer->GetOrigin(),
                  (PointT<double>(originBefore.x + c.originMove.x, originBefore.y + c.originMove.y)));
        EXPECT_EQ(mRenderer->GetClipRect(), c.storedClip);
        EXPECT_FALSE(mRenderer->IsStencilActive());

        mRenderer->PopClip();
        EXPECT_EQ(SavedStates(), 0u);
        EXPECT_EQ(mRenderer->GetOrigin(), originBefore);
        EXPECT_EQ(mRenderer->GetClipRect(), clipBefore);
        mRenderer->TranslateOrigin({-originBefore.x, -originBefore.y});
    }
}

TEST_F(RendererTest, PushClipOffsetMovesByWholePixelsOnlyInsideASavedState)
{
    mRenderer->PushClipOffset({2.5, 2.5});
    EXPECT_EQ(SavedStates(), 0u);
    EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(0, 0)));
    mRenderer->PopClip(); // pops nothing
    EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(0, 0, 100, 50)));

    struct Case
    {
        PointT<double> offset;
        PointT<double> moved;
    };
    const Case cases[] = {{{2.5, -2.5}, {3, -3}}, {{-2.5, 2.4}, {-3, 2}}, {{0.49, -0.5}, {0, -1}}};
    mRenderer->PushClip();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.offset.x);
        mRenderer->PushClipOffset(c.offset);
        EXPECT_EQ(SavedStates(), 2u);
        EXPECT_EQ(mRenderer->GetOrigin(), c.moved);
        // The clip stays where it was on the device.
        EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(-c.moved.x, -c.moved.y, 100, 50)));
        mRenderer->PopClip();
        EXPECT_EQ(mRenderer->GetOrigin(), (PointT<double>(0, 0)));
        EXPECT_EQ(mRenderer->GetClipRect(), (RectT<double>(0, 0, 100, 50)));
    }
    mRenderer->PopClip();
}

TEST_F(RendererTest, StencilIsCarriedAndANestedOneIsFresh)
{
    const RCPtr<LStencil> stencil(new LStencil(30, 20));
    EXPECT_EQ(stencil->GetBounds(), (Region::Edges{0, 0, 30, 20}));

    mRenderer->PushClipRect({0, 0, 50, 50}, {0, 0, 50, 50}, stencil, true);
    EXPECT_TRUE(mRenderer->IsStencilActive());
    EXPECT_EQ(mRenderer->GetCurrentContext()->GetState().stencil, stencil);

    mRenderer->PushClipRect({0, 0, 10, 10}, {0, 0, 10, 10}, stencil, true);
    const RCPtr<LStencil> nested = mRenderer->GetCurrentContext()->GetState().stencil;
    EXPECT_NE(nested, stencil);
    EXPECT_EQ(nested->GetWidth(), 30);
    EXPECT_EQ(nested->GetHeight(), 20);

    mRenderer->PopClip();
    EXPECT_EQ(mRenderer->GetCurrentContext()->GetState().stencil, stencil);
    mRenderer->PopClip();
    EXPECT_FALSE(mRenderer->IsStencilActive());
    EXPECT_EQ(mRenderer->GetCurrentContext()->GetState().stencil, nullptr);
}

TEST(RendererCreateTest, TypeTwoIsTheEmptyBackEndAndTheOthersAreNotBuilt)
{
    const RCPtr<LRenderer> renderer = LRenderer::Create(LRenderer::kDirect3D9, {0, 0, 10, 10}, 0);
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->GetRendererType(), 2);

    int32_t height = -7, ascent = -7, descent = -7;
    EXPECT_EQ(renderer->GetFontMetrics(nullptr, height, ascent, descent), S_OK);
    EXPECT_EQ(height + ascent + descent, -21); // unwritten
    EXPECT_EQ(renderer->MeasureText(u"text", nullptr), (RectT<float>()));

    RCPtr<LRenderContextInfo> context;
    EXPECT_EQ(renderer->InitRenderContextInfo({1, 2, 3, 4}, 0x1234, true, context), S_OK);
    ASSERT_NE(dynamic_cast<LD3D9RenderContextInfo*>(context.Get()), nullptr);
    EXPECT_EQ(context->GetViewport(), (RectT<int32_t>(1, 2, 3, 4)));
    EXPECT_EQ(context->GetWindow(), 0x1234);
    EXPECT_TRUE(context->IsOffscreen());
    EXPECT_EQ(context->GetMaxSurfaceSize().width, 0);
    EXPECT_EQ(context->GetMaxSurfaceSize().height, 0);

    EXPECT_EQ(renderer->RenderStart(context), S_OK);
    EXPECT_EQ(renderer->GetCurrentContext(), nullptr);
    EXPECT_EQ(renderer->RenderStart(context), S_OK);
    EXPECT_EQ(renderer->DrawOffscreenContext(context, {0, 0}, {0, 0, 1, 1}), E_NOTIMPL);
    EXPECT_EQ(renderer->ScrollOffscreenContext(context, {1, 1}), E_NOTIMPL);
    EXPECT_EQ(renderer->RenderFinish(context), S_OK);

    for (const int32_t type : {3, -1})
        EXPECT_THROW((void)LRenderer::Create(type, {}, 0), std::domain_error) << type;
}

// A back end that keeps a device of its own: it hears of every clip, origin and stencil change through
// its overrides, which is where a real back end applies them to its device.
class DeviceTrackingRenderer : public TestSupport::RecordingRenderer
{
public:
    std::vector<std::string> calls;

    void SetClipRect(const RectT<double>& clip) override
    {
        calls.push_back("clip " + Text(clip.x) + "," + Text(clip.y) + "," + Text(clip.width) + "," +
                        Text(clip.height));
        RecordingRenderer::SetClipRect(clip);
    }

    void TranslateOrigin(const PointT<double>& delta) override
    {
        calls.push_back("origin " + Text(delta.x) + "," + Text(delta.y));
        RecordingRenderer::TranslateOrigin(delta);
    }

    ZQRESULT SetStencil(const RCPtr<LStencil>& stencil) override
    {
        calls.push_back(stencil != nullptr ? "stencil " + Text(stencil->GetWidth()) : "stencil none");
        return RecordingRenderer::SetStencil(stencil);
    }

private:
    template <class T>
    static std::string Text(T value)
    {
        std::array<char, 40> buffer{};
        return std::string(buffer.data(),
                           std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr);
    }
};

TEST(RendererBackEndTest, PushesAndPopsReachTheBackEndThroughItsOverrides)
{
    const RCPtr<DeviceTrackingRenderer> renderer(new DeviceTrackingRenderer);
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 100, 50}, 0, false, context), S_OK);
    renderer->RenderStart(context);
    renderer->SetClipRect({0, 0, 100, 50});
    renderer->calls.clear();

    const RCPtr<LStencil> stencil(new LStencil(30, 20));
    renderer->PushClipRect({10, 20, 30, 40}, {0, 0, 100, 100}, stencil, true);
    // The clip is applied before the origin moves, in the coordinates it was given in.
    EXPECT_EQ(renderer->calls, (std::vector<std::string>{"clip 10,20,30,30", "origin 10,20", "stencil 30"}));
    renderer->calls.clear();

    renderer->PushClipOffset({2.5, 0});
    // Only the origin moves on the device; the clip stays where it was there.
    EXPECT_EQ(renderer->calls, (std::vector<std::string>{"origin 3,0"}));
    renderer->calls.clear();

    renderer->PopClip();
    EXPECT_EQ(renderer->calls, (std::vector<std::string>{"origin -3,0", "clip 0,0,30,30", "stencil 30"}));
    renderer->calls.clear();

    renderer->PopClip();
    EXPECT_EQ(renderer->calls,
              (std::vector<std::string>{"origin -10,-20", "clip 0,0,100,50", "stencil none"}));
    renderer->RenderFinish(context);
}
} // namespace
