#include "ZQFramework/Controls/MenuListBoxItem.h"

namespace ZQ
{
LMenuListBoxItem::LMenuListBoxItem(const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBoxItem(parent, name)
{
}

LMenuListBoxItem::~LMenuListBoxItem() = default;
} // namespace ZQ
