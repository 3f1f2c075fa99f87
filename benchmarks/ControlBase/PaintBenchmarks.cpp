#include "ControlBase/PartBuilders.h"
#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Renderer/Gdi/GDIRenderer.h"

#include <benchmark/benchmark.h>
#include <string>

// A root window of 800 x 600 showing 1,000 controls (10 columns of 9 panels, each holding 10 buttons,
// every control with a solid look), painted by the GDI+ renderer into an offscreen context: the whole
// window, one button, and a hit test for every pointer move across the window.
namespace
{
using namespace ZQ;
using ZQTest::TestControl;

constexpr int kColumns = 10;
constexpr int kPanels = 9;
constexpr int kButtons = 10;

class PaintTree
{
public:
    PaintTree()
    {
        (void)mRenderer->InitRenderContextInfo({0, 0, 800, 600}, 0, true, mContext);
        mServices.ScreenRect = {0, 0, 800, 600};
        mWindow = LRootWindow::Create(mRenderer, &mServices);
        const RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
        AddLook(top, 0xFF202020);
        (void)mWindow->SetRootControl(top);
        for (int c = 0; c < kColumns; ++c)
        {
            for (int p = 0; p < kPanels; ++p)
            {
                const RCPtr<TestControl> panel =
                    Add(top, Name(u"panel", c * kPanels + p), c * 80, p * 66, 78, 64);
                AddLook(panel, 0xFF404040);
                for (int b = 0; b < kButtons; ++b)
                {
                    const RCPtr<TestControl> button =
                        Add(panel, Name(u"button", b), (b % 5) * 15, (b / 5) * 30, 14, 28);
                    AddLook(button, 0xFF8080FF);
                    mLastButton = button;
                }
            }
        }
    }
    ~PaintTree() { (void)mWindow->ReleaseInternalReferences(); }
    PaintTree(const PaintTree&) = delete;
    PaintTree& operator=(const PaintTree&) = delete;

    void Paint(const RectT<int32_t>& area)
    {
        Region region;
        region.AddRect(area.x, area.y, area.x + area.width, area.y + area.height);
        mContext->GetInvalidRegion().Clear();
        mContext->GetInvalidRegion().AppendCopy(region);
        (void)mRenderer->RenderStart(mContext);
        mWindow->PaintRegion(region);
        (void)mRenderer->RenderFinish(mContext);
    }

    [[nodiscard]] RectT<int32_t> LastButtonArea() const
    {
        return mLastButton->GetRectInWindow().RoundToLong();
    }
    LRootWindow& Window() { return *mWindow; }

private:
    static std::u16string Name(const std::u16string& stem, int n)
    {
        const std::string digits = std::to_string(n);
        return stem + std::u16string(digits.begin(), digits.end());
    }

    static RCPtr<TestControl> Add(const RCPtr<LControl>& parent, const std::u16string& name, double x,
                                  double y, double width, double height)
    {
        RCPtr<TestControl> control = TestControl::Create(parent, name.c_str(),
                                                         [&](LLayoutDescriptor& layout)
                                                         {
                                                             layout.mXPosition.Abs = x;
                                                             layout.mYPosition.Abs = y;
                                                             layout.mXSize.Abs = width;
                                                             layout.mYSize.Abs = height;
                                                         });
        (void)control->UpdateLayout();
        return control;
    }

    static void AddLook(const RCPtr<LControl>& control, uint32_t argb)
    {
        const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"fill");
        LDockedPart::Placement client;
        client.Anchors = 15;
        descriptor->SetClientPart(
            PartBuilders::Docked(PartBuilders::FillPart(PartBuilders::Solid(argb), 1, 1), client));
        const RCPtr<LLook> look = LLook::Create(descriptor, false);
        (void)look->SetSize(RoundToLong(control->GetRect().width), RoundToLong(control->GetRect().height));
        (void)control->SetLookOpacity(control->AddLook(look), 1, true);
    }

    ZQTest::FakeControlApplication mApplication;
    ZQTest::FakeWindowServices mServices;
    RCPtr<LGDIRenderer> mRenderer{new LGDIRenderer};
    RCPtr<LRenderContextInfo> mContext;
    RCPtr<LRootWindow> mWindow;
    RCPtr<TestControl> mLastButton;
};

void PaintWholeWindow(benchmark::State& state)
{
    PaintTree tree;
    tree.Paint({0, 0, 800, 600});
    for (auto _ : state)
        tree.Paint({0, 0, 800, 600});
}

void PaintOneButton(benchmark::State& state)
{
    PaintTree tree;
    tree.Paint({0, 0, 800, 600});
    const RectT<int32_t> button = tree.LastButtonArea();
    for (auto _ : state)
        tree.Paint(button);
}

void HitTestPerPointerMove(benchmark::State& state)
{
    PaintTree tree;
    int32_t x = 0;
    for (auto _ : state)
    {
        PointT<int32_t> local;
        benchmark::DoNotOptimize(tree.Window().GetControlAtPoint({x, (x * 7) % 600}, local, false));
        x = (x + 13) % 800;
    }
}

BENCHMARK(PaintWholeWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaintOneButton)->Unit(benchmark::kMicrosecond);
BENCHMARK(HitTestPerPointerMove)->Unit(benchmark::kNanosecond);
} // namespace
