#include "ZQFramework/Controls/Menus/MenuListBoxItem.h"

namespace ZQ
{
LMenuListBoxItem::LMenuListBoxItem(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBoxItem(key, parent, name)
{
}

LMenuListBoxItem::~LMenuListBoxItem() = default;
} // namespace ZQ
