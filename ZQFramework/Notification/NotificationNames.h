#pragma once

#include <array>

// The names of the framework's notifications, each written once. Senders and receivers use these constants,
// never the text, so that a misspelt name does not compile; grep a constant to find everyone who sends or
// receives it. The texts are what skins and string tables spell (menu commands), so they never change.
// The MIDI library's names stand in ZQFramework/Midi, the engine's and the updater's in Panel.
namespace ZQ
{
// The notification queue, to whoever registers with a root window for idle time (controls' idle passes).
inline constexpr const char16_t* kNidIdle = u"NID_IDLE";
// A native window closed by its user, to the application on the default center.
inline constexpr const char16_t* kNidAppExitReq = u"NID_APP_EXIT_REQ";

// A control's mouse input, to its listeners (lists, sliders, scroll bars and drop-downs bind their parts).
inline constexpr const char16_t* kNidMouseDown = u"NID_MOUSE_DOWN";
inline constexpr const char16_t* kNidMouseMove = u"NID_MOUSE_MOVE";
inline constexpr const char16_t* kNidMouseUp = u"NID_MOUSE_UP";
inline constexpr const char16_t* kNidLeftClick = u"NID_LEFT_CLICK";
inline constexpr const char16_t* kNidMiddleClick = u"NID_MIDDLE_CLICK";
inline constexpr const char16_t* kNidRightClick = u"NID_RIGHT_CLICK";
// A key a control passes to its children (key bindings, panels, scroll bars).
inline constexpr const char16_t* kNidSiblingKey = u"NID_SIBLING_KEY";

// A control's conditions, value and scroll offset changing, to its listeners (container controls, the
// updater's main control).
inline constexpr const char16_t* kNidConditionChange = u"NID_CONDITION_CHANGE";
inline constexpr const char16_t* kNidHasFocusConditionChange = u"NID_HAS_FOCUS_CONDITION_CHANGE";
inline constexpr const char16_t* kNidContainsFocusConditionChange = u"NID_CONTAINS_FOCUS_CONDITION_CHANGE";
inline constexpr const char16_t* kNidHoverConditionChange = u"NID_HOVER_CONDITION_CHANGE";
inline constexpr const char16_t* kNidCaptureConditionChange = u"NID_CAPTURE_CONDITION_CHANGE";
inline constexpr const char16_t* kNidLeftDragConditionChange = u"NID_LEFT_DRAG_CONDITION_CHANGE";
inline constexpr const char16_t* kNidMiddleDragConditionChange = u"NID_MIDDLE_DRAG_CONDITION_CHANGE";
inline constexpr const char16_t* kNidRightDragConditionChange = u"NID_RIGHT_DRAG_CONDITION_CHANGE";
inline constexpr const char16_t* kNidEnabledConditionChange = u"NID_ENABLED_CONDITION_CHANGE";
// The text keeps its established spelling ("VISIBLITY").
inline constexpr const char16_t* kNidVisibilityConditionChange = u"NID_VISIBLITY_CONDITION_CHANGE";
inline constexpr const char16_t* kNidValueChange = u"NID_VALUE_CHANGE";
inline constexpr const char16_t* kNidScrollOffsetChange = u"NID_SCROLL_OFFSET_CHANGE";

// A dialog closing and closed, to its owner.
inline constexpr const char16_t* kNidDialogClosing = u"NID_DIALOG_CLOSING";
inline constexpr const char16_t* kNidDialogClosed = u"NID_DIALOG_CLOSED";

// Edit commands from key bindings and context menus, to the text box and the clipboard.
inline constexpr const char16_t* kNidEditCutReq = u"NID_EDIT_CUT_REQ";
inline constexpr const char16_t* kNidEditCopyReq = u"NID_EDIT_COPY_REQ";
inline constexpr const char16_t* kNidEditPasteReq = u"NID_EDIT_PASTE_REQ";
inline constexpr const char16_t* kNidEditDeleteReq = u"NID_EDIT_DELETE_REQ";

// Buttons: the repeat while held, to spin boxes and scroll bars; a click simulated by another control.
inline constexpr const char16_t* kNidButtonAutorepeat = u"NID_BUTTON_AUTOREPEAT";
inline constexpr const char16_t* kNidSimulateClick = u"NID_SIMULATE_CLICK";

// Sliders and knobs, to their listeners: a change by key, the thumb's capture.
inline constexpr const char16_t* kNidValueChangeKeyUp = u"NID_VALUE_CHANGE_KEY_UP";
inline constexpr const char16_t* kNidValueChangeKeyDown = u"NID_VALUE_CHANGE_KEY_DOWN";
inline constexpr const char16_t* kNidValueChangeCapture = u"NID_VALUE_CHANGE_CAPTURE";

// Lists, combo boxes, menus and tree views, to their listeners and the controls built on them.
inline constexpr const char16_t* kNidSelectionChange = u"NID_SELECTION_CHANGE";
inline constexpr const char16_t* kNidItemActivated = u"NID_ITEM_ACTIVATED";
inline constexpr const char16_t* kNidItemDoubleClicked = u"NID_ITEM_DOUBLE_CLICKED";
inline constexpr const char16_t* kNidItemRightClick = u"NID_ITEM_RIGHT_CLICK";
inline constexpr const char16_t* kNidItemHoverConditionChange = u"NID_ITEM_HOVER_CONDITION_CHANGE";
inline constexpr const char16_t* kNidItemLeftDragConditionChange = u"NID_ITEM_LEFT_DRAG_CONDITION_CHANGE";
inline constexpr const char16_t* kNidItemCheckChange = u"NID_ITEM_CHECK_CHANGE";
inline constexpr const char16_t* kNidItemCheckboxClicked = u"NID_ITEM_CHECKBOX_CLICKED";
inline constexpr const char16_t* kNidDropdownOpening = u"NID_DROPDOWN_OPENING";

// Text boxes, to their listeners (combo boxes, spin boxes).
inline constexpr const char16_t* kNidTextboxTextChange = u"NID_TEXTBOX_TEXT_CHANGE";
inline constexpr const char16_t* kNidTextboxValidating = u"NID_TEXTBOX_VALIDATING";
inline constexpr const char16_t* kNidTextboxValidated = u"NID_TEXTBOX_VALIDATED";

// Tab controls, to their listeners.
inline constexpr const char16_t* kNidTabBecomingUnselected = u"NID_TAB_BECOMING_UNSELECTED";
inline constexpr const char16_t* kNidTabSelected = u"NID_TAB_SELECTED";
inline constexpr const char16_t* kNidTabButtonClicked = u"NID_TAB_BUTTON_CLICKED";

// The other controls: a scroll view's client growing, a level meter's clip light, a status text posted to
// the status bar itself.
inline constexpr const char16_t* kNidClientExtentChange = u"NID_CLIENT_EXTENT_CHANGE";
inline constexpr const char16_t* kNidCliplightUnlatched = u"NID_CLIPLIGHT_UNLATCHED";
inline constexpr const char16_t* kNidSetStatusText = u"NID_SET_STATUS_TEXT";

// Every name above, for checks over the whole vocabulary.
inline constexpr std::array kNotificationNames{
    kNidIdle,
    kNidAppExitReq,
    kNidMouseDown,
    kNidMouseMove,
    kNidMouseUp,
    kNidLeftClick,
    kNidMiddleClick,
    kNidRightClick,
    kNidSiblingKey,
    kNidConditionChange,
    kNidHasFocusConditionChange,
    kNidContainsFocusConditionChange,
    kNidHoverConditionChange,
    kNidCaptureConditionChange,
    kNidLeftDragConditionChange,
    kNidMiddleDragConditionChange,
    kNidRightDragConditionChange,
    kNidEnabledConditionChange,
    kNidVisibilityConditionChange,
    kNidValueChange,
    kNidScrollOffsetChange,
    kNidDialogClosing,
    kNidDialogClosed,
    kNidEditCutReq,
    kNidEditCopyReq,
    kNidEditPasteReq,
    kNidEditDeleteReq,
    kNidButtonAutorepeat,
    kNidSimulateClick,
    kNidValueChangeKeyUp,
    kNidValueChangeKeyDown,
    kNidValueChangeCapture,
    kNidSelectionChange,
    kNidItemActivated,
    kNidItemDoubleClicked,
    kNidItemRightClick,
    kNidItemHoverConditionChange,
    kNidItemLeftDragConditionChange,
    kNidItemCheckChange,
    kNidItemCheckboxClicked,
    kNidDropdownOpening,
    kNidTextboxTextChange,
    kNidTextboxValidating,
    kNidTextboxValidated,
    kNidTabBecomingUnselected,
    kNidTabSelected,
    kNidTabButtonClicked,
    kNidClientExtentChange,
    kNidCliplightUnlatched,
    kNidSetStatusText,
};
} // namespace ZQ
