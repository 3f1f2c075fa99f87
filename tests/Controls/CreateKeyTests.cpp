#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/Dropper.h"
#include "ZQFramework/Controls/Buttons/FileDropper.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Controls/Containers/ScrollView.h"
#include "ZQFramework/Controls/Containers/SplitterH.h"
#include "ZQFramework/Controls/Containers/SplitterV.h"
#include "ZQFramework/Controls/Containers/TabControl.h"
#include "ZQFramework/Controls/Lists/CheckedListBox.h"
#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Controls/Lists/MultiColumnListBox.h"
#include "ZQFramework/Controls/Lists/TreeView.h"
#include "ZQFramework/Controls/Lists/TreeViewItem.h"
#include "ZQFramework/Controls/Menus/CheckedComboBox.h"
#include "ZQFramework/Controls/Menus/ComboBox.h"
#include "ZQFramework/Controls/Menus/ComboMenu.h"
#include "ZQFramework/Controls/Menus/ComboSlider.h"
#include "ZQFramework/Controls/Menus/MainMenu.h"
#include "ZQFramework/Controls/Menus/MenuListBoxItem.h"
#include "ZQFramework/Controls/Menus/PopupMenu.h"
#include "ZQFramework/Controls/Sliders/CenteredSlider.h"
#include "ZQFramework/Controls/Sliders/Knob.h"
#include "ZQFramework/Controls/Sliders/LevelMeter.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Controls/Sliders/Slider.h"
#include "ZQFramework/Controls/Text/NumericUpDown.h"
#include "ZQFramework/Controls/Text/StatusBar.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Controls/Text/ToolTip.h"

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
