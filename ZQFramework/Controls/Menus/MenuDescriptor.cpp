#include "ZQFramework/Controls/Menus/MenuDescriptor.h"

#include <vector>

namespace ZQ
{
namespace
{
// The key's parts between dots: adjacent dots give an empty part, a dot at the very end none.
std::vector<WString> SplitAtDots(const WString& key)
{
    std::vector<WString> parts;
    const int length = key.GetLength();
    int start = 0;
    while (start < length)
    {
        const int dot = key.Find('.', start);
        if (dot < 0)
        {
            parts.push_back(key.Mid(start));
            break;
        }
        parts.push_back(key.Mid(start, dot - start));
        start = dot + 1;
    }
    return parts;
}

bool BeginsWithDigit(const WString& text)
{
    return !text.IsEmpty() && text.GetAt(0) >= u'0' && text.GetAt(0) <= u'9';
}

// Appends (text, value) to list when number is the next entry number of the list.
void AcceptInOrder(LMenuDescriptor::Definitions& list, int number, const WString& text, const WString& value)
{
    if (number == static_cast<int>(list.GetCount()))
    {
        list.Add({text, value});
    }
}

// Stage 1: the pairs sorted into the top-level list and the submenus' lists, in the order given.
void SortIntoLists(const LMenuDescriptor::DefinitionPairs& pairs, LMenuDescriptor::Definitions& topLevel,
                   LMenuDescriptor::SubmenuDefinitions& submenus)
{
    for (uint32_t i = 0; i < pairs.GetCount(); ++i)
    {
        const WString& key = pairs.GetAt(i).first;
        const std::vector<WString> parts = SplitAtDots(key);
        if (parts.size() < 2)
        {
            continue;
        }
        const bool topLevelEntry = parts[0].IsEmpty() || BeginsWithDigit(parts[0]);
        const size_t textPart = topLevelEntry ? 1 : 2;
        WString text;
        if (textPart < parts.size())
        {
            text = parts[textPart];
            if (key.GetAt(key.GetLength() - 1) == u'.')
            {
                text += u'.';
            }
        }
        if (topLevelEntry)
        {
            // An empty first part keeps the number -1, which no list accepts.
            const int number = parts[0].IsEmpty() ? -1 : parts[0].ToInt();
            AcceptInOrder(topLevel, number, text, pairs.GetAt(i).second);
        }
        else
        {
            AcceptInOrder(submenus[parts[0]], parts[1].ToInt(), text, pairs.GetAt(i).second);
        }
    }
}

// The text before the first "|" and the text after it (empty without a bar).
void SplitLabel(const WString& value, WString& label, WString& status)
{
    const int bar = value.Find('|', 0);
    if (bar < 0 || bar >= value.GetLength())
    {
        label = value;
        status = WString();
        return;
    }
    label = value.Left(bar);
    status = value.Mid(bar + 1);
}

WString WithoutTrailingDots(const WString& text)
{
    int length = text.GetLength();
    while (length > 0 && text.GetAt(length - 1) == u'.')
    {
        --length;
    }
    return text.Left(length);
}

bool Contains(const Array<WString>& names, const WString& name)
{
    for (uint32_t i = 0; i < names.GetCount(); ++i)
    {
        if (names.GetAt(i) == name)
        {
            return true;
        }
    }
    return false;
}
} // namespace

// --- LMenuDescriptor ---

LMenuDescriptor::LMenuDescriptor() = default;

LMenuDescriptor::~LMenuDescriptor()
{
    SetParent(nullptr);
}

RCPtr<LMenuDescriptor> LMenuDescriptor::Create()
{
    return RCPtr<LMenuDescriptor>(new LMenuDescriptor());
}

bool LMenuDescriptor::IsSelfOrAncestor(const LMenuDescriptor* node) const
{
    for (const LMenuDescriptor* walk = this; walk != nullptr; walk = walk->mParent.Get())
    {
        if (walk == node)
        {
            return true;
        }
    }
    return false;
}

ZQRESULT LMenuDescriptor::InsertItem(int32_t index, const RCPtr<LMenuItemDescriptor>& item)
{
    if (item == nullptr || index < 0 || IsSelfOrAncestor(item.Get()))
    {
        return E_INVALIDARG;
    }
    const ZQRESULT result = mItems.InsertAt(static_cast<uint32_t>(index), item);
    if (result >= 0)
    {
        item->SetParent(RCPtr<LMenuDescriptor>(this));
    }
    return result;
}

ZQRESULT LMenuDescriptor::InsertItem(int32_t index, const WString& label, const WString& command,
                                     bool enabled, bool checked)
{
    return InsertItem(index, LMenuItemDescriptor::Create(label, command, enabled, checked));
}

ZQRESULT LMenuDescriptor::InsertSeparator(int32_t index)
{
    return InsertItem(index, LMenuItemDescriptor::CreateSeparator());
}

ZQRESULT LMenuDescriptor::GetItemState(int32_t index, MenuItemState& state) const
{
    state = MenuItemState();
    if (index < 0 || static_cast<uint32_t>(index) >= mItems.GetCount())
    {
        return E_INVALIDARG;
    }
    const LMenuItemDescriptor& item = *mItems.GetAt(static_cast<uint32_t>(index));
    state.Enabled = item.mEnabled;
    state.Checked = item.mChecked;
    state.Label = item.mLabel;
    return 0;
}

void LMenuDescriptor::CloneItemsFrom(const LMenuDescriptor& source)
{
    for (uint32_t i = 0; i < source.mItems.GetCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> copy = source.mItems.GetAt(i)->Clone();
        mItems.Add(copy);
        copy->SetParent(RCPtr<LMenuDescriptor>(this));
    }
}

RCPtr<LMenuDescriptor> LMenuDescriptor::Clone() const
{
    const RCPtr<LMenuDescriptor> copy = Create();
    copy->CloneItemsFrom(*this);
    return copy;
}

RCPtr<LMenuDescriptor> LMenuDescriptor::CreateFromKeyValuePairs(const DefinitionPairs& pairs)
{
    Definitions topLevel;
    SubmenuDefinitions submenus;
    SortIntoLists(pairs, topLevel, submenus);
    RCPtr<LMenuDescriptor> root;
    FillFromDefinitions(topLevel, submenus, root);
    return root;
}

// What one build has made so far: the names of the submenus being filled, outermost first, and the
// number of items built.
struct LMenuDescriptor::FillState
{
    Array<WString> path;
    uint32_t items = 0;
};

ZQRESULT LMenuDescriptor::FillFromDefinitions(const Definitions& entries, const SubmenuDefinitions& submenus,
                                              RCPtr<LMenuDescriptor>& node)
{
    if (node == nullptr)
    {
        node = Create();
    }
    else
    {
        node->RemoveItems();
    }
    FillState state;
    FillNode(entries, submenus, *node, state);
    return 0;
}

void LMenuDescriptor::FillNode(const Definitions& entries, const SubmenuDefinitions& submenus,
                               LMenuDescriptor& node, FillState& state)
{
    Array<WString>& path = state.path;
    for (uint32_t i = 0; i < entries.GetCount() && state.items < kMaxBuiltItems; ++i)
    {
        const WString& text = entries.GetAt(i).first;
        WString label;
        WString status;
        SplitLabel(entries.GetAt(i).second, label, status);
        const int32_t end = static_cast<int32_t>(node.mItems.GetCount());
        if (!text.IsEmpty() && text.GetAt(text.GetLength() - 1) == u'.')
        {
            const WString name = WithoutTrailingDots(text);
            const auto list = submenus.find(name);
            // A submenu that is being filled further up would contain itself without end; the items of
            // this one would lie at level path + 2.
            if (list == submenus.end() || Contains(path, name) || path.GetCount() + 2 > kMaxBuiltDepth)
            {
                continue;
            }
            const RCPtr<LMenuItemDescriptor> item =
                LMenuItemDescriptor::Create(label, WString(), true, false);
            item->mStatusText = status;
            node.InsertItem(end, item);
            ++state.items;
            path.Add(name);
            FillNode(list->second, submenus, *item, state);
            path.RemoveAt(path.GetCount() - 1, 1);
        }
        else if (text == u"-")
        {
            node.InsertSeparator(end);
            ++state.items;
        }
        else
        {
            const RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::Create(label, text, true, false);
            item->mStatusText = status;
            node.InsertItem(end, item);
            ++state.items;
        }
    }
}

ZQRESULT LMenuDescriptor::ReleaseInternalReferences()
{
    RemoveItems();
    SetParent(nullptr);
    return 0;
}

void LMenuDescriptor::RemoveItems()
{
    for (uint32_t i = mItems.GetCount(); i-- > 0;)
    {
        const RCPtr<LMenuItemDescriptor> item = mItems.GetAt(i);
        item->SetParent(nullptr);
        mItems.RemoveAt(i, 1);
    }
}

void LMenuDescriptor::SetParent(const RCPtr<LMenuDescriptor>& node)
{
    if (node == mParent)
    {
        return;
    }
    if (mParent != nullptr)
    {
        AdjustInternalRefCount(mParent.Get(), -1);
    }
    const RCPtr<LMenuDescriptor> old = std::exchange(mParent, node);
    if (mParent != nullptr)
    {
        AdjustInternalRefCount(mParent.Get(), 1);
    }
}

// --- LMenuItemDescriptor ---

LMenuItemDescriptor::~LMenuItemDescriptor() = default;

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::Create(const WString& label, const WString& command,
                                                       bool enabled, bool checked)
{
    const RCPtr<LMenuItemDescriptor> item(new LMenuItemDescriptor());
    item->mLabel = label;
    item->mCommand = command;
    item->mEnabled = enabled ? 1 : 0;
    item->mChecked = checked ? 1 : 0;
    return item;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CreateSeparator()
{
    const RCPtr<LMenuItemDescriptor> item = Create(WString(), WString(), true, false);
    item->mSeparator = 1;
    return item;
}

WString LMenuItemDescriptor::ToString() const
{
    return mLabel;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::Clone() const
{
    const RCPtr<LMenuItemDescriptor> copy(new LMenuItemDescriptor());
    copy->CloneItemsFrom(*this);
    copy->mLabel = mLabel;
    copy->mCommand = mCommand;
    copy->mEnabled = mEnabled;
    copy->mChecked = mChecked;
    copy->mSeparator = mSeparator;
    copy->mStatusText = mStatusText;
    copy->mHotKeyText = mHotKeyText;
    return copy;
}
} // namespace ZQ
