#pragma once

#include "GeometryPrinting.h"
#include "Support/RecordingRenderer.h"

#include "ZQFramework/Renderer/RenderContextInfo.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <gtest/gtest.h>

namespace RendererTesting
{
// A recording renderer with one window context started, its clip set to (0, 0, 100, 50).
class RendererTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        mWindow = MakeContext(false);
        mRenderer->RenderStart(mWindow);
        mRenderer->SetClipRect({0, 0, 100, 50});
    }

    void TearDown() override
    {
        if (mRenderer->GetCurrentContext() != nullptr)
            mRenderer->RenderFinish(mRenderer->GetCurrentContext());
    }

    ZQ::RCPtr<ZQ::LRenderContextInfo> MakeContext(bool offscreen)
    {
        ZQ::RCPtr<ZQ::LRenderContextInfo> context;
        EXPECT_EQ(mRenderer->InitRenderContextInfo({0, 0, 100, 50}, 0, offscreen, context), S_OK);
        return context;
    }

    [[nodiscard]] size_t SavedStates() const
    {
        return mRenderer->GetCurrentContext()->GetSavedStates().size();
    }

    ZQ::RCPtr<TestSupport::RecordingRenderer> mRenderer{new TestSupport::RecordingRenderer};
    ZQ::RCPtr<ZQ::LRenderContextInfo> mWindow;
};
} // namespace RendererTesting
