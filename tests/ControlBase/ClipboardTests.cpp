#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Services/ClipboardSelection.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using ZQTest::TestControl;
using TextWrapper = LWrapperStringable<WString, &StringToString>;

// An edit target that can do the codes it is given and records what it was asked to do.
class EditBox : public TestControl
{
public:
    static RCPtr<EditBox> Create(const RCPtr<LControl>& parent)
    {
        RCPtr<EditBox> box(new EditBox(parent));
        box->MarkCreated();
        return box;
    }

    [[nodiscard]] bool IsEditTarget() const override { return true; }
    bool CanPerformEdit(int32_t code) override
    {
        return std::find(Able.begin(), Able.end(), code) != Able.end();
    }
    ZQRESULT PerformEdit(int32_t code) override
    {
        Performed.push_back(code);
        return 7;
    }

    std::vector<int32_t> Able{LClipboard::kEditCopy, LClipboard::kEditPaste};
    std::vector<int32_t> Performed;

private:
    explicit EditBox(const RCPtr<LControl>& parent) : TestControl(parent, u"box") {}
};

class Thing : public LRefCountedObject
{
};

struct ClipboardTest : ::testing::Test
{
    ClipboardTest()
    {
        auto owned = std::make_unique<MemoryClipboardSelection>();
        selection = owned.get();
        clipboard = LClipboard::Create(std::move(owned));
        services.NativeHandle = 0x4400001;
        services.Active = true;
        (void)window->SetRootControl(root);
        application.FirstRootWindow = window;
        application.ActiveRootWindow = window;
    }
    ~ClipboardTest() override
    {
        (void)clipboard->ReleaseInternalReferences();
        (void)root->ReleaseInternalReferences();
        (void)window->ReleaseInternalReferences();
    }

    RCPtr<LRefCountedObject> Wrap(const char16_t* text) { return TextWrapper::Create(WString(text)); }
    static WString TextOf(const RCPtr<LRefCountedObject>& object)
    {
        const RCPtr<TextWrapper> text(object);
        return text.IsNull() ? WString(u"<not text>") : text->GetValue();
    }

    FakeControlApplication application;
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<TestControl> root = TestControl::Create(nullptr, u"root");
    RCPtr<EditBox> box = EditBox::Create(root);
    RCPtr<TestControl> inner = TestControl::Create(box, u"inner");
    MemoryClipboardSelection* selection = nullptr;
    RCPtr<LClipboard> clipboard;
};

TEST_F(ClipboardTest, TextGoesOutAsTextAndComesBackAsTheSameObjectUntilSomeoneElseChangesIt)
{
    const RCPtr<LRefCountedObject> text = Wrap(u"Gr\u00fc\u00dfe");
    ASSERT_EQ(clipboard->SetText(text), S_OK);
    EXPECT_EQ(selection->GetText(), std::optional<std::string>("Gr\xc3\xbc\xc3\x9f"
                                                               "e"));
    EXPECT_EQ(selection->LastOwner, 0x4400001u); // the first root window's native window
    EXPECT_EQ(clipboard->GetText(), text);       // unchanged clipboard: no read

    selection->SetFromOutside("from elsewhere");
    const RCPtr<LRefCountedObject> pasted = clipboard->GetText();
    ASSERT_NE(pasted, text);
    EXPECT_EQ(TextOf(pasted), WString(u"from elsewhere"));
    EXPECT_EQ(clipboard->GetText(), pasted); // read once per change

    selection->SetFromOutside(std::nullopt); // emptied by another program
    EXPECT_TRUE(clipboard->GetText().IsNull());
    ASSERT_EQ(clipboard->SetText(Wrap(u"again")), S_OK);
    EXPECT_EQ(TextOf(clipboard->GetText()), WString(u"again"));
}

TEST_F(ClipboardTest, TheProgramsOwnObjectIsOnlyMarkedAndSurvivesWhileTheMarkIsThere)
{
    const RCPtr<LRefCountedObject> thing(new Thing());
    ASSERT_EQ(clipboard->SetText(thing), S_OK);
    EXPECT_TRUE(selection->HoldsOwnObject());
    EXPECT_FALSE(selection->GetText().has_value());
    EXPECT_EQ(clipboard->GetText(), thing);

    // Losing the clipboard to another program: the native window forgets the object without touching
    // the clipboard it no longer owns.
    selection->SetFromOutside("other");
    const int32_t writes = selection->SetCount;
    EXPECT_EQ(clipboard->SetText(nullptr), S_OK);
    EXPECT_EQ(selection->SetCount, writes);
    EXPECT_EQ(TextOf(clipboard->GetText()), WString(u"other"));
}

// Taking the clipboard can tell this program's own window that it lost it; the nested call must leave
// the new object alone.
class ReenteringSelection : public MemoryClipboardSelection
{
public:
    bool Set(uintptr_t owner, const std::optional<std::string>& text) override
    {
        if (clipboard != nullptr)
            nested = clipboard->SetText(nullptr);
        return MemoryClipboardSelection::Set(owner, text);
    }
    LClipboard* clipboard = nullptr;
    ZQRESULT nested = -1;
};

TEST_F(ClipboardTest, ANestedSetTextReturnsOneAndKeepsTheNewObject)
{
    auto owned = std::make_unique<ReenteringSelection>();
    ReenteringSelection* const reentering = owned.get();
    const RCPtr<LClipboard> nested = LClipboard::Create(std::move(owned));
    reentering->clipboard = nested.Get();
    const RCPtr<LRefCountedObject> text = Wrap(u"kept");
    EXPECT_EQ(nested->SetText(text), S_OK);
    EXPECT_EQ(reentering->nested, S_FALSE);
    EXPECT_EQ(nested->GetText(), text);
}

TEST_F(ClipboardTest, EditRequestsReachTheFocusedControlsEditTargetOnlyWhenItCanDoThem)
{
    ASSERT_EQ(clipboard->Initialize(), S_OK);
    EXPECT_FALSE(clipboard->CanPerformEditOnFocus(LClipboard::kEditCopy)); // no focus yet
    EXPECT_EQ(clipboard->PerformEditOnFocus(LClipboard::kEditCopy), S_FALSE);

    window->OnControlFocused(inner); // the edit target is the focused control's ancestor
    EXPECT_TRUE(clipboard->CanPerformEditOnFocus(LClipboard::kEditPaste));
    EXPECT_FALSE(clipboard->CanPerformEditOnFocus(LClipboard::kEditCut));
    EXPECT_EQ(clipboard->PerformEditOnFocus(LClipboard::kEditCopy), 7);

    const RCPtr<LNotificationCenter> center = GetDefaultNotificationCenter();
    for (const char16_t* request :
         {u"NID_EDIT_CUT_REQ", u"NID_EDIT_COPY_REQ", u"NID_EDIT_PASTE_REQ", u"NID_EDIT_DELETE_REQ"})
    {
        ASSERT_EQ(center->PostNotification(LNotification::Create(request, nullptr)), S_OK);
    }
    LNotificationCenterManager::GetInstance().ProcessNotifications(false);
    EXPECT_EQ(box->Performed,
              (std::vector<int32_t>{LClipboard::kEditCopy, LClipboard::kEditCopy, LClipboard::kEditPaste}));

    // Without an active root window nothing is edited.
    application.ActiveRootWindow = nullptr;
    EXPECT_EQ(clipboard->PerformEditOnFocus(LClipboard::kEditPaste), S_FALSE);
}

} // namespace
} // namespace ZQ
