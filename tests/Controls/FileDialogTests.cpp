#include "Support/StringPrinting.h"

#include "Platform/Window/Dialogs.h"
#include "ZQFramework/Controls/Buttons/FileDialog.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
using Platform::Window::DialogScript;
using Platform::Window::OpenFileAnswer;
using Filters = std::vector<std::pair<std::u16string, std::u16string>>;

struct FileDialogTest : ::testing::Test
{
    FileDialogTest() { DialogScript::Reset(); }
    ~FileDialogTest() override { DialogScript::Reset(); }

    // Shows the dialog with a scripted answer; the request it made.
    Platform::Window::OpenFileRequest
    Show(OpenFileAnswer answer, ZQRESULT expected, bool multiSelect = false,
         const WString& filter = u"Firmware (*.syx)|*.syx|All files (*.*)|*.*")
    {
        DialogScript::AnswerNextOpenFile(std::move(answer));
        EXPECT_EQ(dialog->ShowOpenDialog(filter, u"syx", u"Pick one", multiSelect), expected);
        const auto asked = DialogScript::LastOpenFile();
        return asked.value_or(Platform::Window::OpenFileRequest{});
    }

    RCPtr<LFileDialog> dialog = LFileDialog::Create(u"/start");
};

TEST_F(FileDialogTest, FiltersArePairsOfDescriptionAndPatterns)
{
    struct Case
    {
        const char16_t* filter;
        Filters pairs;
    };
    const Case cases[] = {
        {u"Firmware (*.syx;*.bin)|*.syx;*.bin|All files (*.*)|*.*",
         {{u"Firmware (*.syx;*.bin)", u"*.syx;*.bin"}, {u"All files (*.*)", u"*.*"}}},
        // A trailing separator changes nothing; a description without patterns is dropped.
        {u"Firmware|*.syx|", {{u"Firmware", u"*.syx"}}},
        {u"Firmware|*.syx|Lonely", {{u"Firmware", u"*.syx"}}},
        // An empty item ends the list, as the double NUL does.
        {u"Firmware|*.syx||All|*.*", {{u"Firmware", u"*.syx"}}},
        {u"", {}},
    };
    for (const Case& c : cases)
    {
        const auto asked = Show({}, E_FAIL, false, c.filter);
        EXPECT_TRUE(asked.filters == c.pairs) << TestSupport::Utf8(WString(c.filter));
    }
}

TEST_F(FileDialogTest, AChoiceGivesItsPathAndMovesTheStartingFolder)
{
    const auto first = Show({{u"/fw/a.bin"}}, 0);
    EXPECT_TRUE(first.initialFolder == u"/start");
    EXPECT_TRUE(first.title == u"Pick one");
    EXPECT_TRUE(first.defaultExtension == u"syx");
    EXPECT_TRUE(first.mustExist);
    EXPECT_EQ(TestSupport::Utf8(dialog->GetFileName()), "/fw/a.bin");

    const auto second = Show({}, E_FAIL);
    EXPECT_TRUE(second.initialFolder == u"/fw");
    // A cancelled dialog leaves no name and the folder where it was.
    EXPECT_TRUE(dialog->GetFileName().IsEmpty());
    const auto third = Show({}, E_FAIL);
    EXPECT_TRUE(third.initialFolder == u"/fw");
}

TEST_F(FileDialogTest, SeveralFilesGiveTheirFolder)
{
    const auto asked = Show({{u"/fw/a.bin", u"/fw/b.bin"}}, 0, true);
    EXPECT_TRUE(asked.multiSelect);
    EXPECT_EQ(TestSupport::Utf8(dialog->GetFileName()), "/fw");
    EXPECT_EQ(TestSupport::Utf8(dialog->GetInitialFolder()), "/fw");

    (void)Show({{u"/one/c.bin"}}, 0, true);
    EXPECT_EQ(TestSupport::Utf8(dialog->GetFileName()), "/one/c.bin");
}

TEST_F(FileDialogTest, APathLongerThanTheBufferFails)
{
    const std::u16string longPath = u"/deep/" + std::u16string(LFileDialog::kMaxPath - 6, u'x');
    (void)Show({{longPath}}, E_FAIL);
    EXPECT_TRUE(dialog->GetFileName().IsEmpty());
    EXPECT_EQ(TestSupport::Utf8(dialog->GetInitialFolder()), "/start");

    const std::u16string fitting = u"/deep/" + std::u16string(LFileDialog::kMaxPath - 7, u'x');
    (void)Show({{fitting}}, 0);
    EXPECT_EQ(dialog->GetFileName().GetLength(), LFileDialog::kMaxPath - 1);
}
} // namespace
} // namespace ZQ
