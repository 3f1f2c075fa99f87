#include "ZQFramework/Controls/Lists/TreeViewItem.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/Buttons/Button.h"

namespace ZQ
{
LTreeViewItem::LTreeViewItem(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBoxItem(key, parent, name)
{
}

LTreeViewItem::~LTreeViewItem() = default;

void LTreeViewItem::SetIndentLevel(int32_t level)
{
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    const RCPtr<LButton>& box = GetCheckBox();
    if (layout == nullptr || box == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition position = layout->mXPosition;
    const LLayoutDescriptor::AxisSize size = layout->mXSize;
    position.Abs = level * box->GetRect().width;
    SetAxisPlacement(0, position, size);
}
} // namespace ZQ
