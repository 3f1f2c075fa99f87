// The text box's input: keys, the mouse, focus and conditions, scrolling, the edit commands and their
// context menu.
#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Menus/MenuDescriptor.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Controls/Text/TextBoxCharacters.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

namespace ZQ
{
namespace
{
using TextBoxCharacters::IsPrintable;
using TextWrapper = LWrapperStringable<WString, &StringToString>;

constexpr double kCaretShownSeconds = 0.5;
constexpr char16_t kBackspaceCharacter = 8;
constexpr char16_t kTabCharacter = 9;

constexpr uint32_t kCtrl = KeyCode::kCtrl;
constexpr uint32_t kShift = KeyCode::kShift;

// A key event names a virtual key (or carries the top bit); a character event names neither.
bool IsCharacterEvent(uint32_t code)
{
    return (code & (KeyCode::kVirtualKeyMask | KeyCode::kNoBinding)) == 0;
}

// The edit code of the context menu's commands; -1 for any other command.
int32_t EditCodeOf(const WString& command)
{
    if (command == kNidEditCopyReq)
    {
        return LClipboard::kEditCopy;
    }
    if (command == kNidEditCutReq)
    {
        return LClipboard::kEditCut;
    }
    if (command == kNidEditDeleteReq)
    {
        return LClipboard::kEditDelete;
    }
    if (command == kNidEditPasteReq)
    {
        return LClipboard::kEditPaste;
    }
    return -1;
}

RCPtr<LClipboard> ApplicationClipboard()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetClipboard() : RCPtr<LClipboard>();
}

bool NewlySet(uint32_t previous, uint32_t current, uint32_t bit)
{
    return (previous & bit) == 0 && (current & bit) != 0;
}
} // namespace

// --- Keys ---

ZQRESULT LTextBox::HandleKeyPress(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const uint32_t code = param->mKeyCode.GetCode();
    if (IsCharacterEvent(code))
    {
        return HandleCharacter(param->mKeyCode.GetCharacter());
    }
    return HandleVirtualKey(code);
}

ZQRESULT LTextBox::HandleVirtualKey(uint32_t code)
{
    const int32_t caret = mEdit.GetCaret();
    switch (code)
    {
    case Pressed(VKey::A, kCtrl):
        // Everything is selected, and the key still goes on to the key bindings and hot keys.
        SelectRange(0, -1);
        return 1;
    case Pressed(VKey::Left):
        Show(mEdit.MoveCaret(caret - 1, false));
        return 0;
    case Pressed(VKey::Right):
        Show(mEdit.MoveCaret(caret + 1, false));
        return 0;
    case Pressed(VKey::Up):
    case Pressed(VKey::Up, kShift):
    case Pressed(VKey::Up, kCtrl):
    case Pressed(VKey::Up, kCtrl | kShift):
    case Pressed(VKey::Down):
    case Pressed(VKey::Down, kShift):
    case Pressed(VKey::Down, kCtrl):
    case Pressed(VKey::Down, kCtrl | kShift):
        return 1;
    case Pressed(VKey::Left, kShift):
        Show(mEdit.ExtendLeftByOne());
        return 0;
    case Pressed(VKey::Right, kShift):
        Show(mEdit.ExtendRightByOne());
        return 0;
    case Pressed(VKey::Left, kCtrl):
        Show(mEdit.MoveCaret(mEdit.PreviousWordStart(), false));
        return 0;
    case Pressed(VKey::Right, kCtrl):
        Show(mEdit.MoveCaret(mEdit.NextWordStart(), false));
        return 0;
    case Pressed(VKey::Left, kCtrl | kShift):
        Show(mEdit.MoveCaret(mEdit.PreviousWordStart(), true));
        return 0;
    case Pressed(VKey::Right, kCtrl | kShift):
        Show(mEdit.MoveCaret(mEdit.NextWordStart(), true));
        return 0;
    case Pressed(VKey::Home):
        Show(mEdit.MoveCaret(0, false));
        return 0;
    case Pressed(VKey::End):
        Show(mEdit.MoveCaret(mEdit.GetLength(), false));
        return 0;
    case Pressed(VKey::Home, kShift):
        Show(mEdit.ExtendToStart());
        return 0;
    case Pressed(VKey::End, kShift):
        Show(mEdit.ExtendToEnd());
        return 0;
    case Pressed(VKey::Back):
    case Pressed(VKey::Delete, kShift):
        Delete(&TextEditModel::DeleteBackward);
        return 0;
    case Pressed(VKey::Delete):
        Delete(&TextEditModel::DeleteForward);
        return 0;
    case Pressed(VKey::Delete, kCtrl):
        Delete(&TextEditModel::DeleteToEnd);
        return 0;
    case Pressed(VKey::Return):
        return Validate()->mValid != 0 ? 1 : 0;
    default:
        break;
    }
    if ((code & KeyCode::kKeyDown) == 0)
    {
        return 0; // releases are taken
    }
    const auto key = static_cast<VKey>((code & KeyCode::kVirtualKeyMask) >> 16);
    const bool typing = key == VKey::Space || (key >= VKey::Digit0 && key <= VKey::Digit9) ||
                        (key >= VKey::A && key <= VKey::Z);
    if (!typing)
    {
        return 1;
    }
    // A chord goes on to the bindings; a plain typing key waits for its character.
    return (code & (KeyCode::kCtrl | KeyCode::kAlt | KeyCode::kWin)) != 0 ? 1 : 0;
}

ZQRESULT LTextBox::HandleCharacter(char16_t character)
{
    if (character == kBackspaceCharacter)
    {
        return 0;
    }
    if (character == kTabCharacter || !IsPrintable(character))
    {
        return 1;
    }
    // A character the filter keeps out is swallowed.
    if (mEdit.PassesFilter(character))
    {
        TypeCharacter(character);
    }
    return 0;
}

// --- Mouse ---

void LTextBox::OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param)
{
    if (param == nullptr)
    {
        return;
    }
    const int32_t index = GetCharIndexAtPoint({param->mX, param->mY});
    if ((param->mModifiers & KeyCode::kInputShift) != 0)
    {
        ExtendSelectionTo(index);
        return;
    }
    Show(mEdit.MoveCaret(index, false));
}

void LTextBox::OnLeftClicked(const RCPtr<LMouseButtonParam>& param)
{
    if (param == nullptr || (param->mDoubleClick == 0 && (param->mModifiers & KeyCode::kInputCtrl) == 0))
    {
        return;
    }
    Show(mEdit.SelectWord());
}

void LTextBox::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    if (param == nullptr || !IsDragging(MouseButton::Left))
    {
        return;
    }
    ExtendSelectionTo(GetCharIndexAtPoint(ClampToTextArea({param->mX, param->mY})));
}

ZQRESULT LTextBox::SetScrollOffset(const PointT<double>& offset)
{
    if (mInScrollOffset)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    mInScrollOffset = true;
    const ZQRESULT result = LScrollView::SetScrollOffset(offset);
    if (mAutoScroll[0].Running)
    {
        // The automatic scrolling of a drag stops at either end of the text.
        const double textAreaWidth = GetTextArea().width;
        const double extent = GetClientExtent().x;
        const double end = extent > textAreaWidth ? extent - textAreaWidth + 3 : 0;
        if (mScrollOffset.x <= 0 || mScrollOffset.x >= end)
        {
            StopAutoScroll(0);
        }
    }
    if (const RCPtr<LRootWindow> window = GetRootWindow(); IsDragging(MouseButton::Left) && window != nullptr)
    {
        const PointT<int32_t> pointer = window->GetCursorPos();
        const RectT<double> rect = GetRectInWindow();
        ExtendSelectionTo(
            GetCharIndexAtPoint({pointer.x - RoundToLong(rect.x), pointer.y - RoundToLong(rect.y)}));
    }
    // The highlight follows the scrolled text.
    UpdateLooks();
    mInScrollOffset = false;
    return result;
}

// --- Focus and conditions ---

ZQRESULT LTextBox::SetFocus(bool forward)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (IsFocused())
    {
        Validate();
    }
    return LScrollView::SetFocus(forward);
}

bool LTextBox::CanReleaseFocus()
{
    return Validate()->mValid != 0;
}

void LTextBox::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const uint32_t previous = conditions->mPrevious;
    const uint32_t current = conditions->mCurrent;
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LRootWindow> firstWindow(application != nullptr ? application->GetFirstRootWindow()
                                                                : RCPtr<LRefCountedObject>());
    if (NewlySet(previous, current, kConditionFocused))
    {
        if (firstWindow != nullptr)
        {
            firstWindow->SetTextInput(true, self, mLabel);
        }
        UpdateLooks();
        mNextBlinkTime = Now() + kCaretShownSeconds;
        InvalidateWhole();
        RequestIdle();
    }
    else if (NewlySet(current, previous, kConditionFocused))
    {
        if (firstWindow != nullptr)
        {
            firstWindow->SetTextInput(false, self, mLabel);
        }
        ReleaseIdle();
        mCaretVisible = false;
        SetScrollOffset({0, 0});
        UpdateLooks();
        InvalidateWhole();
    }
    else
    {
        if (NewlySet(previous, current, kConditionHoverOrHighlight))
        {
            SetCursor(GetUICursor(u"UI_CURSOR_IBEAM"));
        }
        if (NewlySet(current, previous, kConditionLeftDrag))
        {
            StopAutoScroll(0);
            StopAutoScroll(1);
        }
    }
    const uint32_t changed = previous ^ current;
    if ((changed & (kConditionHoverOrHighlight | kConditionFocused | kConditionEnabled)) != 0 ||
        NewlySet(current, previous, kConditionLeftDrag))
    {
        UpdateLooks();
    }
}

// --- Edit commands ---

bool LTextBox::GetClipboardText(WString& text)
{
    const RCPtr<LClipboard> clipboard = ApplicationClipboard();
    if (clipboard == nullptr)
    {
        return false;
    }
    const RCPtr<TextWrapper> wrapper(clipboard->GetText());
    if (wrapper == nullptr)
    {
        return false;
    }
    text = wrapper->GetValue();
    return true;
}

bool LTextBox::CanPerformEdit(int32_t command)
{
    switch (command)
    {
    case LClipboard::kEditDelete:
    case LClipboard::kEditCut:
    case LClipboard::kEditCopy:
        return HasSelection();
    default:
    {
        WString text;
        return GetClipboardText(text);
    }
    }
}

ZQRESULT LTextBox::PerformEdit(int32_t command)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    switch (command)
    {
    case LClipboard::kEditDelete:
        if (!HasSelection())
        {
            return E_FAIL;
        }
        DeleteSelection();
        return 0;
    case LClipboard::kEditCut:
    case LClipboard::kEditCopy:
    {
        const RCPtr<LClipboard> clipboard = ApplicationClipboard();
        if (!HasSelection() || clipboard == nullptr)
        {
            return E_FAIL;
        }
        const WString selected = mEdit.GetSelectedText();
        const ZQRESULT stored = clipboard->SetText(RCPtr<LRefCountedObject>(TextWrapper::Create(selected)));
        // Cut text goes only when the clipboard has it.
        if (stored != 0)
        {
            return stored < 0 ? stored : E_FAIL;
        }
        if (command == LClipboard::kEditCut)
        {
            DeleteSelection();
        }
        return 0;
    }
    case LClipboard::kEditPaste:
    {
        WString text;
        if (!GetClipboardText(text))
        {
            return E_FAIL;
        }
        return HasSelection() ? ReplaceSelection(text) : InsertAtCaret(text);
    }
    default:
        return E_FAIL;
    }
}

bool LTextBox::GetEditCommandState(const WString& command, bool& enabled) const
{
    const int32_t code = EditCodeOf(command);
    if (code < 0)
    {
        return false;
    }
    const RCPtr<LClipboard> clipboard = ApplicationClipboard();
    enabled = clipboard != nullptr && clipboard->CanPerformEditOnFocus(code);
    return true;
}

ZQRESULT LTextBox::UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                       int32_t /*command*/, MenuItemState& state)
{
    if (menu == nullptr || itemIndex < 0 || static_cast<uint32_t>(itemIndex) >= menu->GetItemCount())
    {
        return 1;
    }
    const RCPtr<LMenuItemDescriptor>& item = menu->GetItemAt(static_cast<uint32_t>(itemIndex));
    bool enabled = state.Enabled != 0;
    if (item == nullptr || !GetEditCommandState(item->mCommand, enabled))
    {
        return 1;
    }
    state.Enabled = enabled ? 1 : 0;
    return 0;
}

void LTextBox::ProcessRootWindowAquired()
{
    // The idle registration and the children follow the tree into its window as for every control.
    LScrollView::ProcessRootWindowAquired();
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
    const RCPtr<LStringTable> strings =
        factory != nullptr ? factory->GetFrameworkStringTable() : RCPtr<LStringTable>();
    if (strings == nullptr)
    {
        return;
    }
    struct Item
    {
        const char16_t* labelKey;
        const char16_t* command;
    };
    static constexpr Item kItems[] = {
        {u"EDIT_CUT", kNidEditCutReq},
        {u"EDIT_COPY", kNidEditCopyReq},
        {u"EDIT_PASTE", kNidEditPasteReq},
        {u"EDIT_DELETE", kNidEditDeleteReq},
    };
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    // One label for the four look-ups: an item whose key is missing keeps the label before it.
    WString label;
    for (const Item& item : kItems)
    {
        strings->GetString(item.labelKey, label);
        menu->InsertItem(static_cast<int32_t>(menu->GetItemCount()), label, item.command, true, false);
    }
    SetContextMenuDescriptor(menu);
}
} // namespace ZQ
