#include "Platform/Window/Dialogs.h"

#include "Platform/Text/Utf.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <gtk/gtk.h>
#include <iostream>

// Xlib last (through GDK's X11 header): its macros (None, Status) break headers included after it.
// clang-format off
#include <gdk/gdkx.h>
// clang-format on

namespace Platform::Window
{
namespace
{
struct Script
{
    std::deque<int32_t> messageBoxAnswers;
    std::deque<OpenFileAnswer> openFileAnswers;
    std::optional<DialogScript::AskedMessageBox> lastMessageBox;
    std::optional<OpenFileRequest> lastOpenFile;
};

Script& TheScript()
{
    static Script script;
    return script;
}

// The dialog shown now, for DismissShownDialog.
GtkWidget* gShownMessageBox = nullptr;
GtkFileChooserNative* gShownChooser = nullptr;

bool StartGtk()
{
    // A failed start (no display yet) is tried again at the next dialog. Where the environment names no
    // display the toolkit is not even loaded, so that a program without windows runs without it.
    static bool started = false;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!started && (IsDisplayNamed() || (wayland != nullptr && *wayland != '\0')))
    {
        gtk_disable_setlocale();
        started = gtk_init_check(nullptr, nullptr) != FALSE;
    }
    return started;
}

const char* ButtonLabel(int32_t id)
{
    switch (id)
    {
    case kIdOk:
        return "_OK";
    case kIdCancel:
        return "_Cancel";
    case kIdAbort:
        return "_Abort";
    case kIdRetry:
        return "_Retry";
    case kIdIgnore:
        return "_Ignore";
    case kIdYes:
        return "_Yes";
    default:
        return "_No";
    }
}

GtkMessageType MessageType(uint32_t flags)
{
    switch (flags & 0xF0)
    {
    case kMbIconError:
        return GTK_MESSAGE_ERROR;
    case kMbIconQuestion:
        return GTK_MESSAGE_QUESTION;
    case kMbIconWarning:
        return GTK_MESSAGE_WARNING;
    case kMbIconInformation:
        return GTK_MESSAGE_INFO;
    default:
        return GTK_MESSAGE_OTHER;
    }
}

// Marks a dialog's window as the owner's (WM_TRANSIENT_FOR): a window manager keeps it above its owner, and
// a second instance that raises the owner finds it. The toolkit has a connection of its own, so the owner
// is a foreign window to it; that wrapper lives as long as the dialog's window.
void MarkTransientFor(GdkWindow* dialog, WindowHandle owner)
{
    GdkDisplay* display = gdk_window_get_display(dialog);
    if (!GDK_IS_X11_DISPLAY(display))
        return;
    GdkWindow* parent = gdk_x11_window_foreign_new_for_display(display, static_cast<::Window>(owner));
    if (parent == nullptr) // the owner is gone
        return;
    gdk_window_set_transient_for(dialog, parent);
    g_object_set_data_full(G_OBJECT(dialog), "zq-owner", parent, g_object_unref);
}

// While it lives, every toplevel window the toolkit realizes is marked as the owner's, before it is
// mapped. The file chooser makes its window out of reach (its transient parent must be a toolkit window),
// so the message box and the chooser are both marked this way, while they are shown.
class OwnedWhileShown
{
public:
    explicit OwnedWhileShown(WindowHandle owner)
        : mOwner(owner), mSignal(g_signal_lookup("realize", GTK_TYPE_WIDGET)),
          mHook(owner != 0 ? g_signal_add_emission_hook(mSignal, 0, &OnRealize, &mOwner, nullptr) : 0)
    {
    }
    ~OwnedWhileShown()
    {
        if (mHook != 0)
            g_signal_remove_emission_hook(mSignal, mHook);
    }
    OwnedWhileShown(const OwnedWhileShown&) = delete;
    OwnedWhileShown& operator=(const OwnedWhileShown&) = delete;

private:
    // Runs after the widget's own realize, so its window exists.
    static gboolean OnRealize(GSignalInvocationHint*, guint, const GValue* values, gpointer owner)
    {
        auto* object = static_cast<GObject*>(g_value_get_object(&values[0]));
        if (GTK_IS_WINDOW(object) && gtk_window_get_window_type(GTK_WINDOW(object)) == GTK_WINDOW_TOPLEVEL)
            if (GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(object)))
                MarkTransientFor(window, *static_cast<const WindowHandle*>(owner));
        return TRUE; // stay installed
    }

    WindowHandle mOwner;
    guint mSignal;
    gulong mHook;
};

// Runs until the response: in a modal loop of the program's loop when there is one, so that its windows
// keep painting and its timers run; the response ends that loop.
int RunUntilResponse(WindowHandle owner, const std::function<void()>& show)
{
    MessageLoop* loop = MessageLoop::Current();
    {
        const OwnedWhileShown owned(owner);
        show();
    }
    return loop->RunModalLoop(owner);
}

void EndWithResponse(int response)
{
    if (MessageLoop* loop = MessageLoop::Current())
        loop->EndModalLoop(response);
}

int32_t AnswerForClose(uint32_t flags)
{
    const auto buttons = MessageBoxButtons(flags);
    if (std::find(buttons.begin(), buttons.end(), kIdCancel) != buttons.end())
        return kIdCancel;
    if (buttons.size() == 1)
        return kIdOk;
    return MessageBoxDefault(flags);
}

std::u16string WithDefaultExtension(const std::string& path, std::u16string_view extension)
{
    std::filesystem::path chosen(path);
    if (!extension.empty() && !chosen.has_extension() && !std::filesystem::exists(chosen))
    {
        chosen += '.';
        chosen += Platform::Utf16ToUtf8(extension);
    }
    return Platform::Utf8ToUtf16(chosen.string());
}
} // namespace

std::vector<int32_t> MessageBoxButtons(uint32_t flags)
{
    switch (flags & 0xF)
    {
    case kMbOkCancel:
        return {kIdOk, kIdCancel};
    case kMbAbortRetryIgnore:
        return {kIdAbort, kIdRetry, kIdIgnore};
    case kMbYesNoCancel:
        return {kIdYes, kIdNo, kIdCancel};
    case kMbYesNo:
        return {kIdYes, kIdNo};
    case kMbRetryCancel:
        return {kIdRetry, kIdCancel};
    default:
        return {kIdOk};
    }
}

int32_t MessageBoxDefault(uint32_t flags)
{
    const auto buttons = MessageBoxButtons(flags);
    const size_t index = (flags & kMbDefButton3) ? 2 : (flags & kMbDefButton2) ? 1 : 0;
    return buttons[std::min(index, buttons.size() - 1)];
}

int32_t ShowMessageBox(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                       uint32_t flags)
{
    Script& script = TheScript();
    script.lastMessageBox =
        DialogScript::AskedMessageBox{std::u16string(text), std::u16string(caption), flags};
    if (!script.messageBoxAnswers.empty())
    {
        const int32_t answer = script.messageBoxAnswers.front();
        script.messageBoxAnswers.pop_front();
        return answer;
    }
    if (!StartGtk() || MessageLoop::Current() == nullptr)
    {
        std::cerr << Platform::Utf16ToUtf8(caption) << ": " << Platform::Utf16ToUtf8(text) << '\n';
        return MessageBoxDefault(flags);
    }
    const std::string textUtf8 = Platform::Utf16ToUtf8(text);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, MessageType(flags),
                                               GTK_BUTTONS_NONE, "%s", textUtf8.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), Platform::Utf16ToUtf8(caption).c_str());
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    for (int32_t id : MessageBoxButtons(flags))
        gtk_dialog_add_button(GTK_DIALOG(dialog), ButtonLabel(id), id);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), MessageBoxDefault(flags));
    g_signal_connect(dialog, "response",
                     G_CALLBACK(+[](GtkDialog*, gint response, gpointer) { EndWithResponse(response); }),
                     nullptr);
    // Closed by the window manager, the toolkit destroys the box itself: the reference keeps it alive
    // until it is destroyed here.
    g_object_ref(dialog);
    gShownMessageBox = dialog;
    const int response = RunUntilResponse(owner, [dialog] { gtk_widget_show_all(dialog); });
    gShownMessageBox = nullptr;
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    const auto buttons = MessageBoxButtons(flags);
    if (std::find(buttons.begin(), buttons.end(), response) != buttons.end())
        return response;
    return AnswerForClose(flags);
}

std::vector<std::string> FilterPatterns(std::u16string_view patterns)
{
    std::vector<std::string> result;
    const std::string all = Platform::Utf16ToUtf8(patterns);
    size_t start = 0;
    while (start <= all.size())
    {
        size_t end = all.find(';', start);
        if (end == std::string::npos)
            end = all.size();
        std::string pattern = all.substr(start, end - start);
        pattern.erase(0, pattern.find_first_not_of(' '));
        pattern.erase(pattern.find_last_not_of(' ') + 1);
        if (pattern == "*.*")
            pattern = "*";
        if (!pattern.empty())
            result.push_back(pattern);
        start = end + 1;
    }
    return result;
}

OpenFileAnswer ShowOpenFileDialog(WindowHandle owner, const OpenFileRequest& request)
{
    Script& script = TheScript();
    script.lastOpenFile = request;
    if (!script.openFileAnswers.empty())
    {
        OpenFileAnswer answer = std::move(script.openFileAnswers.front());
        script.openFileAnswers.pop_front();
        return answer;
    }
    if (!StartGtk() || MessageLoop::Current() == nullptr)
        return {};
    GtkFileChooserNative* chooser =
        gtk_file_chooser_native_new(Platform::Utf16ToUtf8(request.title).c_str(), nullptr,
                                    GTK_FILE_CHOOSER_ACTION_OPEN, "_Open", "_Cancel");
    GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
    gtk_file_chooser_set_select_multiple(files, request.multiSelect);
    gtk_file_chooser_set_local_only(files, TRUE);
    if (!request.initialFolder.empty())
        gtk_file_chooser_set_current_folder(files, Platform::Utf16ToUtf8(request.initialFolder).c_str());
    for (const auto& [name, patterns] : request.filters)
    {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, Platform::Utf16ToUtf8(name).c_str());
        for (const auto& pattern : FilterPatterns(patterns))
            gtk_file_filter_add_pattern(filter, pattern.c_str());
        gtk_file_chooser_add_filter(files, filter);
    }
    g_signal_connect(
        chooser, "response",
        G_CALLBACK(+[](GtkNativeDialog*, gint response, gpointer) { EndWithResponse(response); }), nullptr);
    gShownChooser = chooser;
    const int response =
        RunUntilResponse(owner, [chooser] { gtk_native_dialog_show(GTK_NATIVE_DIALOG(chooser)); });
    gShownChooser = nullptr;
    OpenFileAnswer answer;
    if (response == GTK_RESPONSE_ACCEPT)
    {
        GSList* names = gtk_file_chooser_get_filenames(files);
        for (GSList* item = names; item != nullptr; item = item->next)
        {
            answer.paths.push_back(
                WithDefaultExtension(static_cast<const char*>(item->data), request.defaultExtension));
            g_free(item->data);
        }
        g_slist_free(names);
    }
    gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(chooser));
    g_object_unref(chooser);
    return answer;
}

void DialogScript::AnswerNextMessageBox(int32_t answer)
{
    TheScript().messageBoxAnswers.push_back(answer);
}

void DialogScript::AnswerNextOpenFile(OpenFileAnswer answer)
{
    TheScript().openFileAnswers.push_back(std::move(answer));
}

std::optional<DialogScript::AskedMessageBox> DialogScript::LastMessageBox()
{
    return TheScript().lastMessageBox;
}

std::optional<OpenFileRequest> DialogScript::LastOpenFile()
{
    return TheScript().lastOpenFile;
}

void DialogScript::DismissShownDialog()
{
    if (gShownMessageBox != nullptr)
        gtk_dialog_response(GTK_DIALOG(gShownMessageBox), GTK_RESPONSE_DELETE_EVENT);
    if (gShownChooser != nullptr)
    {
        gtk_native_dialog_hide(GTK_NATIVE_DIALOG(gShownChooser));
        EndWithResponse(GTK_RESPONSE_CANCEL);
    }
}

void DialogScript::Reset()
{
    TheScript() = Script{};
}
} // namespace Platform::Window
