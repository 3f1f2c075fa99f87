#include "ZQFramework/Controls/Button.h"
#include "ZQFramework/Controls/CenteredSlider.h"
#include "ZQFramework/Controls/CheckedComboBox.h"
#include "ZQFramework/Controls/CheckedListBox.h"
#include "ZQFramework/Controls/CheckedListBoxItem.h"
#include "ZQFramework/Controls/ComboBox.h"
#include "ZQFramework/Controls/ComboMenu.h"
#include "ZQFramework/Controls/ComboSlider.h"
#include "ZQFramework/Controls/Dropper.h"
#include "ZQFramework/Controls/FileDropper.h"
#include "ZQFramework/Controls/Knob.h"
#include "ZQFramework/Controls/Label.h"
#include "ZQFramework/Controls/LevelMeter.h"
#include "ZQFramework/Controls/ListBox.h"
#include "ZQFramework/Controls/ListBoxItem.h"
#include "ZQFramework/Controls/MainMenu.h"
#include "ZQFramework/Controls/MenuListBoxItem.h"
#include "ZQFramework/Controls/MultiColumnListBox.h"
#include "ZQFramework/Controls/NumericUpDown.h"
#include "ZQFramework/Controls/Panel.h"
#include "ZQFramework/Controls/PopupMenu.h"
#include "ZQFramework/Controls/ProgressBar.h"
#include "ZQFramework/Controls/ScrollBar.h"
#include "ZQFramework/Controls/ScrollView.h"
#include "ZQFramework/Controls/Slider.h"
#include "ZQFramework/Controls/SplitterH.h"
#include "ZQFramework/Controls/SplitterV.h"
#include "ZQFramework/Controls/StatusBar.h"
#include "ZQFramework/Controls/TabControl.h"
#include "ZQFramework/Controls/TextBox.h"
#include "ZQFramework/Controls/ToolTip.h"
#include "ZQFramework/Controls/TreeView.h"
#include "ZQFramework/Controls/TreeViewItem.h"

#include <type_traits>

namespace ZQ
{
namespace
{
// Every control of the library is built by the control base's creation sequence alone: its constructor
// takes a CreateKey, which nothing but LControl can make, and no other constructor is open.
template <class... Controls>
constexpr bool kOnlyTheKeyConstructs =
    (... && (std::is_constructible_v<Controls, LControl::CreateKey, const RCPtr<LControl>&, const WString&> &&
             !std::is_constructible_v<Controls, const RCPtr<LControl>&, const WString&>));

static_assert(!std::is_default_constructible_v<LControl::CreateKey>);
static_assert(kOnlyTheKeyConstructs<
              LButton, LCenteredSlider, LCheckedComboBox, LCheckedListBox, LCheckedListBoxItem, LComboBox,
              LComboMenu, LComboSlider, LDropper, LFileDropper, LKnob, LLabel, LLevelMeter, LListBox,
              LListBoxItem, LMainMenu, LMenuListBoxItem, LMultiColumnListBox, LNumericUpDown, LPanel,
              LPopupMenu, LProgressBar, LScrollbar, LScrollView, LSlider, LSplitterH, LSplitterV, LStatusBar,
              LTabControl, LTextBox, LToolTip, LTreeView, LTreeViewItem>);
} // namespace
} // namespace ZQ
