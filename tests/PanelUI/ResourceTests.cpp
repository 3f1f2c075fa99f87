#include "PanelUI/UpdaterBench.h"

#include "Platform/Resources/Resources.h"
#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/Controls/Containers/Panel.h"

#include <gtest/gtest.h>

namespace UpdaterTest
{
namespace
{
struct Entry
{
    const char16_t* table; // a child of the main control, or nullptr for the application's table
    const char16_t* key;
    const char* text;
};

#define INSTRUCTIONS                                                                                         \
    "1. Power OFF the Q3300.\n2. Connect a USB cable to the USB 1 port.\n3. Hold down the BACK, FX CUE, "    \
    "and TAP "                                                                                               \
    "buttons and power ON the Q3300.\n4. Once \u201CUPDATE FIRMWARE?\u201D is displayed release the "        \
    "buttons.\n5. "                                                                                          \
    "Turn the FX SELECT knob to select OK and push the knob to start the update process.\n6. When "          \
    "\u201CDATA "                                                                                            \
    "RECEIVING\u201D appears, click \u201CNEXT\u201D in this application to send the update."

const Entry kEntries[] = {
    {nullptr, u"SELECT_FIRMWARE_FILE_DIALOG_TITLE", "Select Firmware File"},
    {nullptr, u"SELECT_FIRMWARE_FILE_DIALOG_FILE_FILTER",
     "Firmware Files (*.syx;*.bin)|*.syx;*.bin|All files (*.*)|*.*"},
    {nullptr, u"SELECT_FIRMWARE_FILE_DEFAULT_FILE_EXTENSION", "syx"},
    {nullptr, u"WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_TITLE", "Putting Device in Update Mode..."},
    {u"labelDeviceInformation", u"LABEL_NO_DEVICE_FOUND",
     "Q3300 device not found.\nPlug in the Q3300 and click the \"SCAN FOR DEVICE\" button."},
    {u"labelDeviceInformation", u"LABEL_SCANNING_FOR_DEVICE", "Looking for device."},
    {u"labelDeviceInformation", u"LABEL_DEVICES_AVAILABLE_NONE_SELECTED", "  "},
    {u"labelDeviceInformation", u"LABEL_DEVICE_NOT_IN_UPDATE_MODE", "  "},
    {u"labelDeviceInformation", u"LABEL_DEVICE_IN_UPDATE_MODE", "  "},
    {u"labelFirmwareFileInformation", u"LABEL_NO_FILE_DEFINED", "Use the file menu to open a firmware file."},
    {u"labelFirmwareFileInformation", u"LABEL_FIRMARE_FILE_INVALID",
     "The firmware update file is missing or invalid."},
    {u"labelFirmwareFileInformation", u"LABEL_FIRMARE_FILE_FOUND_VERSION_KNOWN", "   "},
    {u"labelUpdateProcessInformation", u"LABEL", INSTRUCTIONS},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE", INSTRUCTIONS},
    {u"labelUpdateProcessInformation", u"LABEL_READY_FOR_UPDATE",
     "Click the \"UPDATE FIRMWARE\" button to start the update process."},
    {u"labelUpdateProcessInformation", u"LABEL_READY_FOR_DOWNGRADE_UPDATE",
     "WARNING: You are attempting to update the firmware to a version that is either a lower version or is "
     "the "
     "same version as what is currently on the device."},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_IN_PROGRESS",
     "Firmware update in progress. Do not disconnect Q3300."},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_ABORTED", "Update aborted."},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_SUCCEEDED",
     "Your Q3300 has been successfully updated. You may now close this application."},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL",
     "The update does not appear to have been successful. Press the \"TRY AGAIN\" button to try again."},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_SUCESS_UNKNOWN",
     "Your Q3300 is not responding after an update. The success of the update is unknown. Unplug and replug "
     "in "
     "the device and press \"TRY AGAIN?\""},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE",
     "Please wait while the update installs. This may take several minutes. The device will reset on its own "
     "when complete. After the device has reset, press the \"Next\" button in this application window."},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_NOT_NEEDED",
     "Your Q3300 is using the most current firmware. You do not need to update it."},
    {u"labelUpdateProcessInformation", u"LABEL_UPDATE_FAILED", "  "},
    {u"labelDeviceCannotUpdateError", u"LABEL_DEVICE_CANNOT_BE_UPDATED_NO_REASON",
     "The device can not be updated because of an unknown error.   Press the \"TRY AGAIN\" button to attempt "
     "restart the update process."},
    {u"labelDeviceCannotUpdateError", u"LABEL_CANNOT_UPDATE_SYSTEM_FAILURE",
     "The device can not be updated because of a system failure. Press the \"TRY AGAIN\" button to attempt "
     "restart the update process."},
    {u"labelDeviceCannotUpdateError", u"LABEL_CANNOT_UPDATE_FILE_ACCESS_FAILURE",
     "The device can not be updated because of a file access error. Press the \"TRY AGAIN\" button to "
     "attempt "
     "restart the update process."},
    {u"labelDeviceCannotUpdateError", u"LABEL_DEVICE_DEVICE_ACCESS_FAILURE",
     "The update has failed because the device can not be accessed. Unplug and replug in the device and "
     "press "
     "\"TRY AGAIN\""},
    {u"labelDeviceCannotUpdateError", u"LABEL_UPDATE_NOT_NEEDED",
     "The Q3300 device is up to date. An update is not needed."},
    {u"labelDeviceFirmwareVersion", u"LABEL", "Device's current firmware version: %s"},
    {u"labelFileFirmwareVersion", u"LABEL", "Update to firmware version: %s"},
    {u"updaterVersionLabel", u"LABEL", "Updater: %s"},
    {u"buttonUpdateFirmware", u"LABEL", "UPDATE FIRMWARE"},
    {u"buttonReinitialize", u"LABEL", "TRY AGAIN"},
    {u"buttonScanForDevice", u"LABEL", "SCAN FOR DEVICE"},
    {u"buttonManualDeviceReadyForUpdateButton", u"LABEL", "NEXT"},
    {u"buttonManualDeviceHasUpdatedRescanButton", u"LABEL", "NEXT"},
};

const std::pair<const char16_t*, const char*> kFrameworkEntries[] = {
    {u"STARTUP_ERROR", "The application encountered problems during startup and will now close."},
    {u"STARTUP_ERROR_CAPTION", "Error"},
    {u"EXCEPTION_ID",
     "The application encountered problems during startup and will now close.  (Error code = %d)"},
    {u"HOURS_SINGULAR", "Hour"},
    {u"HOURS_PLURAL", "Hours"},
    {u"MINUTES_SINGULAR", "Minute"},
    {u"MINUTES_PLURAL", "Minutes"},
    {u"SECONDS_SINGULAR", "Second"},
    {u"SECONDS_PLURAL", "Seconds"},
    {u"REMAINING", "Remaining"},
    {u"EDIT_CUT", "Cut"},
    {u"EDIT_COPY", "Copy"},
    {u"EDIT_PASTE", "Paste"},
    {u"EDIT_DELETE", "Delete"},
    {u"GL_ERROR_CAPTION", "OpenGL Error"},
    {u"GL_ERROR_MESSAGE_CHOOSE_PIXEL_FORMAT", "ChoosePixelFormat failed."},
    {u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT", "SetPixelFormat failed."},
    {u"GL_ERROR_MESSAGE_CREATE_CONTEXT", "wglCreateContext failed."},
    {u"GL_ERROR_MESSAGE_GET_PROC_ADDRESS",
     "wglGetProcAddress(\"wglGetExtensionsStringARB\") failed with error %d: %s."},
    {u"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT", "wglMakeCurrent failed with error %d: %s."},
    {u"GL_ERROR_UPDATE_DRIVER",
     "Updating your video card driver, with the latest driver from the manufacturer of "
     "your video card, may solve this issue."},
};

struct ResourceTest : ::testing::Test
{
    [[nodiscard]] ZQ::RCPtr<ZQ::LStringTable> TableOf(const char16_t* child) const
    {
        if (child == nullptr)
            return bench.Factory->GetApplicationStringTable();
        return bench.Factory->GetControlStringTable(bench.Factory->FindSkinDescriptor(u"mainControl").Get(),
                                                    child);
    }

    UpdaterBench bench;
};

TEST_F(ResourceTest, EveryKeyIsEmbeddedWithItsExactText)
{
    for (const Entry& entry : kEntries)
    {
        const std::string where =
            TestSupport::Utf8(ZQ::WString(entry.table != nullptr ? entry.table : u"app")) + " " +
            TestSupport::Utf8(ZQ::WString(entry.key));
        const ZQ::RCPtr<ZQ::LStringTable> table = TableOf(entry.table);
        ASSERT_NE(table, nullptr) << where;
        ZQ::WString text;
        ASSERT_TRUE(table->GetString(entry.key, text)) << where;
        EXPECT_EQ(TestSupport::Utf8(text), entry.text) << where;
    }
    const ZQ::RCPtr<ZQ::LStringTable> framework = bench.Factory->GetFrameworkStringTable();
    ASSERT_NE(framework, nullptr);
    for (const auto& [key, expected] : kFrameworkEntries)
    {
        ZQ::WString text;
        EXPECT_TRUE(framework->GetString(key, text)) << TestSupport::Utf8(ZQ::WString(key));
        EXPECT_EQ(TestSupport::Utf8(text), expected);
    }
}

// The printf conversions of a text in order ("%d", "%s"), which a translation must keep.
std::string Conversions(const std::string& text)
{
    std::string found;
    for (size_t at = text.find('%'); at != std::string::npos && at + 1 < text.size();
         at = text.find('%', at + 2))
        found += text.substr(at, 2);
    return found;
}

TEST(FrameworkStrings, EveryKeyResolvesInEachLanguageOfTheTableWithItsOwnWords)
{
    struct Case
    {
        int32_t userLcid;     // what the system reports; the table is read for its language
        const char* language; // as the documents write it
        const char* cut;      // the edit menu's first word
        const char* hours;
    };
    const Case cases[] = {
        {0x0409, "0x0009", "Cut", "Hours"},
        {0x0C0A, "0x000A", "Cortar", "Horas"},
        {0x0407, "0x0007", "Ausschneiden", "Stunden"},
        {0x0411, "0x0011", "切り取り", "時間"},
        {0x040C, "0x000C", "Couper", "Heures"},
        {0x0410, "0x0010", "Taglia", "Ore"},
        {0x0412, "0x0012", "잘라내기", "시간"},
        {0x0404, "0x7c04", "剪下", "小時"},
        {0x0804, "0x0004", "剪切", "小时"},
    };
    for (const Case& c : cases)
    {
        // The framework's texts follow the language the application's document was read in.
        const ZQTest::TempDocument application(ZQTest::StringTableDocument(
            std::string(R"(<StringTable ID="|Brandole"><String ID="KEY"><Locale LCID=")") + c.language +
            R"(">text</Locale></String></StringTable>)"));
        const ZQ::RCPtr<ZQ::LControlFactory> factory = ZQ::LControlFactory::Create(ZQTest::kTestApplication);
        ASSERT_EQ(factory->LoadStringTables(application.Path(), u"::FRAMEWORK_STRINGS", c.userLcid), 0);
        const ZQ::RCPtr<ZQ::LStringTable> framework = factory->GetFrameworkStringTable();
        ASSERT_NE(framework, nullptr) << c.language;
        for (const auto& [key, english] : kFrameworkEntries)
        {
            const std::string where = std::string(c.language) + " " + TestSupport::Utf8(ZQ::WString(key));
            ZQ::WString text;
            EXPECT_TRUE(framework->GetString(key, text)) << where;
            EXPECT_FALSE(text.IsEmpty()) << where;
            EXPECT_EQ(Conversions(TestSupport::Utf8(text)), Conversions(english)) << where;
        }
        ZQ::WString word;
        EXPECT_TRUE(framework->GetString(u"EDIT_CUT", word));
        EXPECT_EQ(TestSupport::Utf8(word), c.cut);
        EXPECT_TRUE(framework->GetString(u"HOURS_PLURAL", word));
        EXPECT_EQ(TestSupport::Utf8(word), c.hours);
    }
}

TEST_F(ResourceTest, TheDriverTextNamesTheVersionAndNoAddress)
{
    ZQ::WString text;
    ASSERT_TRUE(TableOf(u"labelDeviceCannotUpdateError")->GetString(u"LABEL_DRIVER_IS_TOO_OLD", text));
    const std::string driver = TestSupport::Utf8(text);
    const std::string start =
        "To proceed with this update, you must install the Q3300 Splen driver with version "
        "number 1.0.5 or later. ";
    EXPECT_EQ(driver.substr(0, start.size()), start);
    EXPECT_GT(driver.size(), start.size());
    EXPECT_EQ(driver.find("http"), std::string::npos);
    EXPECT_EQ(driver.find("www"), std::string::npos);
    EXPECT_FALSE(TableOf(u"labelDeviceInformation")->HasString(u"LABEL_NO_DEVICE_DEFINED"));
}

TEST_F(ResourceTest, TheSkinHasAFixedSizeMainControlAndATopLevelToolTip)
{
    const ZQ::RCPtr<ZQ::LControlDescriptor> main = bench.Factory->FindSkinDescriptor(u"mainControl");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(TestSupport::Utf8(main->mClass), "FirmwareUpdater.MainControl");
    const ZQ::LLayoutDescriptor& layout = *main->mLayout;
    for (const auto* limit : {&layout.mXMinimum, &layout.mXMaximum})
    {
        EXPECT_FALSE(limit->ToOther);
        EXPECT_EQ(limit->Abs, 400.0);
    }
    for (const auto* limit : {&layout.mYMinimum, &layout.mYMaximum})
    {
        EXPECT_FALSE(limit->ToOther);
        EXPECT_EQ(limit->Abs, 450.0);
    }
    const ZQ::RCPtr<ZQ::LControlDescriptor> toolTip = bench.Factory->FindSkinDescriptor(u"toolTip");
    ASSERT_NE(toolTip, nullptr);
    EXPECT_EQ(TestSupport::Utf8(toolTip->mClass), "Framework.ToolTip");

    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    EXPECT_EQ(bench.Child(u"statusBar"), nullptr);
    EXPECT_EQ(bench.Child(u"controlTransitioningToUpdateMode"), nullptr);
    EXPECT_NE(ZQ::RCPtr<ZQ::LProgressBar>(bench.Child(u"progressBar")), nullptr);
}

TEST_F(ResourceTest, TheBarFillsItsShareOfTheTrackAndReadsAsANumberWithAPercentSign)
{
    bench.Prepare(Engine::kStateUpdating, Engine::kFileValid, Engine::kResultRunning);
    bench.Show();
    const ZQ::RCPtr<ZQ::LProgressBar> bar(bench.Child(u"progressBar"));
    ASSERT_NE(bar, nullptr);
    const ZQ::RCPtr<ZQ::LControl> fill(ZQ::RCPtr<ZQ::LPanel>(bar->FindChild(u"activeOverlay")));
    ASSERT_NE(fill, nullptr) << "the filled part is a panel";
    const ZQ::RCPtr<ZQ::LControl> number = bar->FindChild(u"percentCompleteLabel");
    const ZQ::RCPtr<ZQ::LControl> sign = bar->FindChild(u"percentSymbolLabel");
    ASSERT_NE(sign, nullptr);
    EXPECT_EQ(TestSupport::Utf8(sign->GetLabel()), "%");
    EXPECT_TRUE(sign->IsVisible(false));
    // The sign follows the number on its line: "37 %".
    EXPECT_GE(sign->GetRect().x, number->GetRect().x + number->GetRect().width);
    EXPECT_EQ(sign->GetRect().y, number->GetRect().y);
    EXPECT_NE(fill->GetLook(0), nullptr) << "the filled part has a look of its own";

    struct Case
    {
        double value;
        double width;
        const char* percent;
    };
    for (const Case& c : {Case{0.37, 133, "37"}, Case{0.8, 288, "80"}, Case{1, 360, "100"}})
    {
        (void)bar->SetValue(c.value);
        EXPECT_TRUE(fill->IsVisible(false)) << c.value;
        EXPECT_EQ(fill->GetRect().width, c.width) << c.value;
        EXPECT_EQ(TestSupport::Utf8(number->GetLabel()), c.percent);
    }
}

TEST_F(ResourceTest, TheIconAndTheCursorsAreEmbeddedAndNoSplash)
{
    EXPECT_TRUE(Platform::FindResource(u"ICON", u"128").has_value());
    EXPECT_TRUE(Platform::FindResource(u"CURSOR", u"102").has_value());
    EXPECT_TRUE(Platform::FindResource(u"CURSOR", u"103").has_value());
    // Every picture the skin's parts name is embedded.
    for (const char16_t* part : {u"background", u"buttonNormal", u"buttonHover", u"buttonPressed",
                                 u"buttonDisabled", u"progressTrack", u"progressFill", u"toolTipFill"})
    {
        const ZQ::ConstRCPtr<ZQ::LVisualPartDescriptor> descriptor = bench.Factory->FindPart(part);
        ASSERT_NE(descriptor, nullptr) << TestSupport::Utf8(ZQ::WString(part));
        const ZQ::WString path = descriptor->mImage.Path;
        ASSERT_EQ(TestSupport::Utf8(path.Left(2)), "::");
        const std::u16string name(path.Mid(2).GetBuffer());
        EXPECT_TRUE(Platform::FindResource(u"GDIPLUS", name).has_value()) << TestSupport::Utf8(path);
    }
    EXPECT_FALSE(Platform::FindResource(u"GDIPLUS", u"SPLASH_PNG").has_value());
}
} // namespace
} // namespace UpdaterTest
