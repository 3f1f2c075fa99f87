#include "ZQFramework/Application/Framework/FrameworkControlTypes.h"

#include "ZQFramework/ControlBase/ControlFactory.h"
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
#include "ZQFramework/Controls/Slider.h"
#include "ZQFramework/Controls/SplitterH.h"
#include "ZQFramework/Controls/SplitterV.h"
#include "ZQFramework/Controls/StatusBar.h"
#include "ZQFramework/Controls/TabControl.h"
#include "ZQFramework/Controls/TextBox.h"
#include "ZQFramework/Controls/ToolTip.h"
#include "ZQFramework/Controls/TreeView.h"
#include "ZQFramework/Controls/TreeViewItem.h"
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
