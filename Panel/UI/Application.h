#pragma once

#include "Panel/Engine/Forward.h"
#include "Platform/Io/Forward.h"
#include "ZQFramework/Application/Framework/ApplicationBase.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <memory>
#include <vector>

// The updater's application object: what the framework asks of this program in particular. Its start-up
// registers the main control's class and makes the update processor, whose start-up flow decides from the
// command line whether the window opens at all. The processor lives from the start-up to the end of the
// application and is reached by the main control and the hand-over to the sibling updater through
// GetUpdateProcessor. Made once by the framework's run step; used on the UI thread.
//
// From the start-up step on, a signal asking the program to end (SIGTERM, Ctrl-C) during a transfer ends
// the transfer as the abort button does before the program ends, unattended or in the window; the
// program then exits with the processor's exit value for the transfer. Outside a transfer such a signal
// ends the program as it always did.
class LApplication : public ZQ::LApplicationBase<LApplication>
{
public:
    // The skin class of the main control.
    static constexpr const char16_t* kMainControlClass = u"FirmwareUpdater.MainControl";
    // The program's own cursor resources (type "CURSOR", 32 x 32 PNG pictures, hot spot at the top left).
    static constexpr int32_t kDropMoveCursorId = 102;
    static constexpr int32_t kDropCopyCursorId = 103;

    LApplication(const ZQ::RCPtr<ZQ::LControlFactory>& factory,
                 const ZQ::RCPtr<ZQ::LStringTable>& frameworkStringTable, const ZQ::WString& commandLine);
    ~LApplication() override;

    // The program's identity: the window class name and the prefix of the single-instance lock.
    [[nodiscard]] static const char16_t* GetIdentityString();
    // The living application object of this program, or null.
    [[nodiscard]] static LApplication* GetInstance() noexcept;

    // Null before the start-up step.
    [[nodiscard]] ZQ::RCPtr<LUpdateProcessor> GetUpdateProcessor() const { return mUpdateProcessor; }
    // Puts a processor in place of the one the start-up step would make (headless benches drive the
    // window with an engine of their own this way). The start-up step replaces it again.
    void SetUpdateProcessor(const ZQ::RCPtr<LUpdateProcessor>& processor) { mUpdateProcessor = processor; }

    // --- The framework's questions ---
    void GetVersionKey(ZQ::WString& text) const override;
    void GetMainControlName(ZQ::WString& text) const override;
    // The program's own drop cursors; none for the split, rotate and magnifier cursors; the system's for
    // the rest.
    [[nodiscard]] intptr_t GetCursor(const ZQ::WString& name) const override;
    // The main window's "statusBar"; this program's skin has none.
    [[nodiscard]] ZQ::IStatusBarText* GetStatusBar() const override;
    // Kind 0 "AppSettings.ini" in the shared data folder, kind 1 "UserSettings.ini" in the user's, each
    // opened on its first request; 0 for another kind or when the file cannot be opened (a later request
    // tries again).
    [[nodiscard]] ZQ::IIniFileManager::Handle GetIniFile(int32_t kind) override;
    [[nodiscard]] int32_t GetRendererType() const override { return 1; }
    // The framework's start-up, the main control's class, then the processor's start-up flow with the
    // program's command line: 0 to show the window, a negative result to stop.
    ZQRESULT RunApplicationStartup() override;
    // False only while the main control's engine is sending a firmware image.
    [[nodiscard]] bool IsExitAllowed() override;
    // The window's loop. Once it has ended, the exit value is 0 (the user closed the window), or, when a
    // signal interrupted a transfer, the transfer's once it has ended.
    bool RunApplication() override;

private:
    // A signal during a transfer: the transfer is asked to end and the window's loop to quit (watcher's
    // thread). False when no transfer runs.
    static bool EndTransferOnSignal(LUpdateProcessor& processor);

    ZQ::RCPtr<LUpdateProcessor> mUpdateProcessor;
    std::unique_ptr<Platform::Io::SignalWatcher> mSignalWatcher; // from the start-up step on
    ZQ::IIniFileManager::Handle mAppSettings = 0;
    ZQ::IIniFileManager::Handle mUserSettings = 0;
    // The program's cursors, made from their pictures on first request (0 until then or without display).
    mutable intptr_t mDropMoveCursor = 0;
    mutable intptr_t mDropCopyCursor = 0;
};

// The 32 x 32 picture of one of the program's cursor resources as 0xAARRGGBB pixels, row by row; false
// when the resource is missing or is no picture of that size.
bool ReadCursorPicture(int32_t id, std::vector<uint32_t>& pixels);
