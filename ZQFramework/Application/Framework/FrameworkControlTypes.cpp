#include "ZQFramework/Application/Framework/FrameworkControlTypes.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/Dropper.h"
#include "ZQFramework/Controls/Buttons/FileDropper.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Containers/Panel.h"
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
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <array>
#include <string>

namespace ZQ
{
std::span<const FrameworkControlType> GetFrameworkControlTypes()
{
    static constexpr std::array kTypes{
        FrameworkControlType{u"Framework.Button", &CreateFrameworkControl<LButton>, 94},
        FrameworkControlType{u"Framework.OverlayButton", &CreateFrameworkControl<LListBoxItem>, 97},
        FrameworkControlType{u"Framework.ListBox", &CreateFrameworkControl<LListBox>, 99},
        FrameworkControlType{u"Framework.listboxNoScroll", &CreateFrameworkControl<LListBox>, 100},
        FrameworkControlType{u"Framework.ListBoxItem", &CreateFrameworkControl<LListBoxItem>, 101},
        FrameworkControlType{u"Framework.CheckedListBox", &CreateFrameworkControl<LCheckedListBox>, 102},
        FrameworkControlType{u"Framework.CheckedListBoxItem", &CreateFrameworkControl<LCheckedListBoxItem>,
                             103},
        FrameworkControlType{u"Framework.ListBoxWithIcons", &CreateFrameworkControl<LCheckedListBox>, 104},
        FrameworkControlType{u"Framework.listbox2ColumnSortable",
                             &CreateFrameworkControl<LMultiColumnListBox>, 105},
        FrameworkControlType{u"Framework.ScrollBar", &CreateFrameworkControl<LScrollbar>, 106},
        FrameworkControlType{u"Framework.ScrollChannel", &CreateFrameworkControl<LPanel>, 107},
        FrameworkControlType{u"Framework.ComboBox", &CreateFrameworkControl<LComboBox>, 108},
        FrameworkControlType{u"Framework.ComboTextBox", &CreateFrameworkControl<LComboBox>, 109},
        FrameworkControlType{u"Framework.CheckedComboBox", &CreateFrameworkControl<LCheckedComboBox>, 110},
        FrameworkControlType{u"Framework.ComboBoxWithIcons", &CreateFrameworkControl<LCheckedComboBox>, 111},
        FrameworkControlType{u"Framework.ComboSlider", &CreateFrameworkControl<LComboSlider>, 112},
        FrameworkControlType{u"Framework.ComboSlider.DropDownPanel", &CreateFrameworkControl<LPanel>, 113},
        FrameworkControlType{u"Framework.Slider", &CreateFrameworkControl<LSlider>, 114},
        FrameworkControlType{u"Framework.Knob", &CreateFrameworkControl<LKnob>, 115},
        FrameworkControlType{u"Framework.TabControl", &CreateFrameworkControl<LTabControl>, 116},
        FrameworkControlType{u"Framework.Label", &CreateFrameworkControl<LLabel>, 117},
        FrameworkControlType{u"Framework.TextBox", &CreateFrameworkControl<LTextBox>, 118},
        FrameworkControlType{u"Framework.NumericUpDown", &CreateFrameworkControl<LNumericUpDown>, 119},
        FrameworkControlType{u"Framework.Panel", &CreateFrameworkControl<LPanel>, 120},
        FrameworkControlType{u"Framework.ToolTip", &CreateFrameworkControl<LToolTip>, 121},
        FrameworkControlType{u"Framework.PopupMenu", &CreateFrameworkControl<LPopupMenu>, 122},
        FrameworkControlType{u"Framework.MenuItem", &CreateFrameworkControl<LMenuListBoxItem>, 123},
        FrameworkControlType{u"Framework.ComboMenu", &CreateFrameworkControl<LComboMenu>, 124},
        FrameworkControlType{u"Framework.MainMenu", &CreateFrameworkControl<LMainMenu>, 125},
        FrameworkControlType{u"Framework.FileDropper", &CreateFrameworkControl<LFileDropper>, 126},
        FrameworkControlType{u"Framework.StatusBar", &CreateFrameworkControl<LStatusBar>, 127},
        FrameworkControlType{u"Framework.SplitterH", &CreateFrameworkControl<LSplitterH>, 128},
        FrameworkControlType{u"Framework.SplitterV", &CreateFrameworkControl<LSplitterV>, 129},
        FrameworkControlType{u"Framework.LevelMeter", &CreateFrameworkControl<LLevelMeter>, 130},
        FrameworkControlType{u"Framework.ProgressBar", &CreateFrameworkControl<LProgressBar>, 131},
        FrameworkControlType{u"Framework.TreeView", &CreateFrameworkControl<LTreeView>, 132},
        FrameworkControlType{u"Framework.TreeViewItem", &CreateFrameworkControl<LTreeViewItem>, 133},
        FrameworkControlType{u"Framework.Dropper", &CreateFrameworkControl<LDropper>, 134},
        FrameworkControlType{u"Framework.CenteredSlider", &CreateFrameworkControl<LCenteredSlider>, 136},
        FrameworkControlType{u"Framework.CenteredSliderBounds", &CreateFrameworkControl<LPanel>, 137},
    };
    return kTypes;
}

void RegisterFrameworkControlTypes(LControlFactory& factory, std::span<const FrameworkControlType> types)
{
    for (const FrameworkControlType& type : types)
    {
        const ZQRESULT result = factory.RegisterControlCreateFunction(WString(type.className), type.create);
        if (result < 0)
        {
            ThrowFailedResult(result,
                              "ZQ::LFrameworkApp::RunApplicationStartup : Application\\FrameworkApp : Line " +
                                  std::to_string(type.line));
        }
    }
}
} // namespace ZQ
