#include "RendererFixture.h"

#include "ZQFramework/Renderer/ColorRectList.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Polyline.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace ZQ;
using RendererTesting::RendererTest;

namespace
{
using RecordingRendererTest = RendererTest;

TEST_F(RecordingRendererTest, WritesEachDrawCallWithTheCurrentState)
{
    const Color red(1, 0, 0, 1);
    mRenderer->FillAndDrawRect({1, 2, 30, 40}, Color(0x80336699u), red, 1.5f);
    mRenderer->FillAndDrawRect({1, 2, 30, 40}, Color(0x00336699u), Color(0x00FF0000u), 1); // both transparent

    mRenderer->PushClipRect({10, 20, 50, 20}, {10, 20, 50, 20}, nullptr, true);
    mRenderer->SetOpacity(0.25f);
    mRenderer->DrawText(u"Grüße", LFont::GetFont(u"Arial", 8.25f, LFont::kBold), {3, -4}, red);
    PolylineT<float> polyline;
    polyline.AddPoint({0.1f, 0});
    polyline.AddPoint({10, 2.5f});
    polyline.SetLineWidth(2);
    mRenderer->DrawPolyline(polyline, red, {0.5, 0}, {1, 2}, true);
    ColorRectListT<float> list;
    list.AddRect({0, 0, 4, 4}, 0xFF00FF00u);
    list.AddRect({4, 0, 4, 4}, 0x80000000u);
    list.SetScale(2, 0.5f);
    mRenderer->DrawColorRectList(list, {1, 1});
    mRenderer->DrawLine({0, 0}, {1e-7f, 3}, red, 1);
    mRenderer->PopClip();

    const std::vector<std::string> expected = {
        "FillRect (1,2,30,40) #80336699 blend=1 | origin=(0,0) clip=(0,0,100,50) opacity=1",
        "DrawRect (1,2,30,40) #FFFF0000 width=1.5 | origin=(0,0) clip=(0,0,100,50) opacity=1",
        "DrawText \"Grüße\" \"Arial\"/8.25/1 (3,-4) #FFFF0000 | origin=(10,20) clip=(0,0,50,20) opacity=0.25",
        "DrawPolyline [(0.1,0) (10,2.5)] width=2 #FFFF0000 offset=(0.5,0) scale=(1,2) keep=1 | "
        "origin=(10,20) "
        "clip=(0,0,50,20) opacity=0.25",
        "DrawColorRectList [(0,0,4,4)#FF00FF00 (4,0,4,4)#80000000] scale=(2,0.5) offset=(1,1) | "
        "origin=(10,20) "
        "clip=(0,0,50,20) opacity=0.25",
        "DrawLine (0,0) (1e-07,3) #FFFF0000 width=1 | origin=(10,20) clip=(0,0,50,20) opacity=0.25",
    };
    EXPECT_EQ(mRenderer->GetLines(), expected);
    EXPECT_NE(PolylineT<float>::GetHandle(polyline), ColorRectListT<float>::GetHandle(list));
    EXPECT_EQ(PolylineT<float>::GetHandle(polyline), reinterpret_cast<intptr_t>(&polyline));
}

TEST_F(RecordingRendererTest, OutsideAFrameTheStateReadsAsNew)
{
    mRenderer->RenderFinish(mWindow);
    mRenderer->PushClip();
    mRenderer->TranslateOrigin({5, 5});
    mRenderer->FillRect({0, 0, 1, 1}, Color(0xFF000000u), false);
    EXPECT_EQ(mRenderer->GetLines(),
              (std::vector<std::string>{"FillRect (0,0,1,1) #FF000000 blend=0 | origin=(0,0) "
                                        "clip=(-5000000136282112,-5000000136282112,10000000272564224,"
                                        "10000000272564224) opacity=1"}));
}
} // namespace
