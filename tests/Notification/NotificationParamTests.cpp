#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/IndexedDataWithValueParam.h"
#include "ZQFramework/Notification/ItemConditionsParam.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MenuActivationParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/SiblingKeyParam.h"
#include "ZQFramework/Notification/TabBecomingUnselectedParams.h"
#include "ZQFramework/Notification/ValueParam.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <gtest/gtest.h>

using namespace ZQ;

namespace
{
class Named : public LRefCountedObject
{
public:
    WString ToString() const override { return WString(u"item"); }
};

std::u16string Text(const ConstRCPtr<LRefCountedObject>& record)
{
    return record->ToString().GetBuffer();
}
} // namespace

TEST(NotificationParams, RecordsPrintTheirFixedTexts)
{
    struct Case
    {
        ConstRCPtr<LRefCountedObject> record;
        std::u16string text;
    };
    const Case cases[] = {
        {LPointWithModifiersParam::Create(12, -3, 4, 0), u"point(12, -3)  modifiers: 0x00000004"},
        {LMouseButtonParam::Create(1, 5, 6, 0xABCDEF12u, 1, 0, 0), u"point(5, 6)  modifiers: 0xabcdef12"},
        {LMouseWheelParam::Create(0, 0, 0, 0), u"point(0, 0)  modifiers: 0x00000000  direction: down"},
        {LMouseWheelParam::Create(0, 0, 0, 1), u"point(0, 0)  modifiers: 0x00000000  direction: up"},
        {LMouseWheelParam::Create(0, 0, 0, 3), u"point(0, 0)  modifiers: 0x00000000  direction: up"},
        {LValueParam::Create(0.5, 50), u"ValueParam = 0.500000"},
        {LConditionsParam::Create(0, 1, 1.5, 2), u"(1.5, 2)"},
        {LItemConditionsParam::Create(3, 4, 5, 0, 1, -0.25, 1e20), u"(-0.25, 1e+20)"},
        {LKeyParam::Create(KeyCode::FromString(u"Alt+VKEY_F4"), 1), u"Alt+VKEY_F4"},
        {LIndexedDataWithValueParam::Create(nullptr, 7, 0.125),
         u"LIndexedDataParam: Index = 7, Data = null Value = 0.125000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.record), c.text);

    const RCPtr<LRefCountedObject> data(new Named);
    EXPECT_EQ(Text(LIndexedDataWithValueParam::Create(data, 2, 1)),
              u"LIndexedDataParam: Index = 2, Data = item Value = 1.000000");
    // Records without a text of their own name their type.
    EXPECT_NE(Text(LTabBecomingUnselectedParams::Create(0, 1)).find(u"LTabBecomingUnselectedParams"),
              std::u16string::npos);
}

TEST(NotificationParams, FieldsStartAsStatedAndKeepWhatReceiversWrite)
{
    const RCPtr<LRefCountedObject> sourceControl(new LRefCountedObject);
    const auto sibling = LSiblingKeyParam::Create<LRefCountedObject>(KeyCode(u'a', 0), sourceControl.Get());
    EXPECT_EQ(sibling->mPending, -1);
    EXPECT_EQ(sibling->GetSource<LRefCountedObject>().Get(), sourceControl.Get());

    const auto tab = LTabBecomingUnselectedParams::Create(1, 2);
    tab->mRequestedTabIndex = 0;
    EXPECT_EQ(tab->mRequestedTabIndex, 0);

    const auto key = LKeyParam::Create(KeyCode(u'a', 0), 0);
    EXPECT_EQ(key->mVisitedControls.GetCount(), 0u);
    key->AddVisitedControl<LRefCountedObject>(sourceControl.Get());
    EXPECT_TRUE(key->WasVisited<LRefCountedObject>(sourceControl.Get()));

    const auto menu = LMenuActivationParam::Create<LRefCountedObject>(sourceControl.Get(), -1);
    EXPECT_EQ(menu->GetMenu<LRefCountedObject>().Get(), sourceControl.Get());
}

TEST(NotificationParams, PooledRecordsReuseTheLastReleasedBlock)
{
    const void* block = nullptr;
    {
        const auto first = LValueParam::Create(0, 0);
        block = first.Get();
    }
    EXPECT_EQ(static_cast<const void*>(LValueParam::Create(1, 1).Get()), block);

    // A derived record takes nothing from its base's pool, yet is given back through it.
    const void* conditions = nullptr;
    {
        const auto base = LConditionsParam::Create(0, 0, 0, 0);
        conditions = base.Get();
    }
    const auto item = LItemConditionsParam::Create(0, 0, 0, 0, 0, 0, 0);
    EXPECT_NE(static_cast<const void*>(item.Get()), conditions);
    EXPECT_EQ(static_cast<const void*>(LConditionsParam::Create(0, 0, 0, 0).Get()), conditions);

    const void* button = nullptr;
    {
        const auto b = LMouseButtonParam::Create(1, 0, 0, 0, 0, 0, 0);
        button = b.Get();
    }
    EXPECT_EQ(static_cast<const void*>(LMouseButtonParam::Create(4, 0, 0, 0, 0, 0, 0).Get()), button);
}
