#pragma once

#include "Platform/Window/Messages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Message boxes and the open-file dialog, as GTK 3 shows them (GtkMessageDialog, GtkFileChooserNative).
//
// UI thread only. A dialog runs in a modal loop of the program's MessageLoop, so the program's windows keep
// painting and its timers keep running; the owner window takes no input meanwhile. GTK is started at the
// first dialog with its own setlocale call turned off, so numbers stay in the "C" locale. Without a
// display a message box writes its caption and text to stderr and answers its default button, and the
// open-file dialog answers cancel.
//
// Tests script the next answers (DialogScript) and then no dialog is shown; what was asked is recorded.
namespace Platform::Window
{
// Message box flags, as the original numbers them.
inline constexpr uint32_t kMbOk = 0x0;
inline constexpr uint32_t kMbOkCancel = 0x1;
inline constexpr uint32_t kMbAbortRetryIgnore = 0x2;
inline constexpr uint32_t kMbYesNoCancel = 0x3;
inline constexpr uint32_t kMbYesNo = 0x4;
inline constexpr uint32_t kMbRetryCancel = 0x5;
inline constexpr uint32_t kMbIconError = 0x10;
inline constexpr uint32_t kMbIconQuestion = 0x20;
inline constexpr uint32_t kMbIconWarning = 0x30;
inline constexpr uint32_t kMbIconInformation = 0x40;
inline constexpr uint32_t kMbDefButton2 = 0x100;
inline constexpr uint32_t kMbDefButton3 = 0x200;

// Answers.
inline constexpr int32_t kIdOk = 1;
inline constexpr int32_t kIdCancel = 2;
inline constexpr int32_t kIdAbort = 3;
inline constexpr int32_t kIdRetry = 4;
inline constexpr int32_t kIdIgnore = 5;
inline constexpr int32_t kIdYes = 6;
inline constexpr int32_t kIdNo = 7;

// The buttons a message box shows for its flags, in order.
[[nodiscard]] std::vector<int32_t> MessageBoxButtons(uint32_t flags);
// The button that answers when the box is not asked (no display) or Return is pressed.
[[nodiscard]] int32_t MessageBoxDefault(uint32_t flags);

// Shows a message box and waits for its answer (one of the ids above). Closing it answers Cancel when
// it has a Cancel button, else OK when it has only OK, else its default.
int32_t ShowMessageBox(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                       uint32_t flags);

struct OpenFileRequest
{
    std::u16string title;
    // Pairs of a name and patterns separated by ';' ("*.bin;*.hex"); "*.*" matches every file.
    std::vector<std::pair<std::u16string, std::u16string>> filters;
    // Added (without the dot) to a chosen name that has no extension and does not exist as typed.
    std::u16string defaultExtension;
    std::u16string initialFolder;
    // The chooser opens existing files only, so this is kept for what tests read back.
    bool mustExist = true;
    bool multiSelect = false;
};

struct OpenFileAnswer
{
    // Empty for cancel; one path, or several with multiSelect.
    std::vector<std::u16string> paths;
};

OpenFileAnswer ShowOpenFileDialog(WindowHandle owner, const OpenFileRequest& request);

// The patterns of one filter: split at ';', blanks trimmed, "*.*" as "*".
[[nodiscard]] std::vector<std::string> FilterPatterns(std::u16string_view patterns);

// Scripted answers for tests.
class DialogScript
{
public:
    static void AnswerNextMessageBox(int32_t answer);
    static void AnswerNextOpenFile(OpenFileAnswer answer);
    struct AskedMessageBox
    {
        std::u16string text;
        std::u16string caption;
        uint32_t flags = 0;
    };
    [[nodiscard]] static std::optional<AskedMessageBox> LastMessageBox();
    [[nodiscard]] static std::optional<OpenFileRequest> LastOpenFile();
    // Dismisses the dialog shown now, as a user closing it would (for tests under a display).
    static void DismissShownDialog();
    // Forgets scripted answers and what was asked.
    static void Reset();
};
} // namespace Platform::Window
