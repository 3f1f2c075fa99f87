#pragma once

#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"

namespace ZQ
{
// The row of a menu ("Framework.MenuItem"): a checked list-box row whose check box shows the item's check
// mark and whose child "hotKeyLabel" shows its key shortcut. The popup menu drives both; the row adds no
// behaviour of its own. UI thread only.
class LMenuListBoxItem : public LCheckedListBoxItem
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LMenuListBoxItem(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LMenuListBoxItem() override;
};
} // namespace ZQ
