#include "Panel/UI/Application.h"

#include "Panel/Engine/UpdateProcessor.h"
#include "Panel/UI/MainControl.h"
#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Io/SignalWatcher.h"
#include "Platform/Resources/Resources.h"
#include "Platform/Window/MessageLoop.h"
#include "Platform/Window/System.h"
#include "ZQFramework/Application/Framework/ApplicationServices.h"
#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Text/StatusBar.h"

#include <string>

using ZQ::RCPtr;
using ZQ::WString;

namespace
{
constexpr int32_t kCursorSize = 32;

// The names this program answers itself, compared as whole texts.
bool IsOneOf(const WString& name, std::initializer_list<const char16_t*> names)
{
    for (const char16_t* candidate : names)
    {
        if (name == candidate)
            return true;
    }
    return false;
}

intptr_t MakeCursor(int32_t id)
{
    std::vector<uint32_t> pixels;
    if (!ReadCursorPicture(id, pixels))
        return 0;
    return static_cast<intptr_t>(
        Platform::Window::CreateCursorFromImage(kCursorSize, kCursorSize, {0, 0}, pixels));
}

// The top control of the first registered root window, or null.
RCPtr<ZQ::LControl> FirstTopControl(const ZQ::LFrameworkApp& application)
{
    const RCPtr<ZQ::LRootWindow> window(application.GetFirstRootWindow());
    return window != nullptr ? window->GetRootControl() : RCPtr<ZQ::LControl>();
}
} // namespace

bool ReadCursorPicture(int32_t id, std::vector<uint32_t>& pixels)
{
    pixels.clear();
    const std::u16string name(WString::Format(u"%d", id).GetBuffer());
    const auto bytes = Platform::FindResource(u"CURSOR", name);
    if (!bytes)
        return false;
    const std::unique_ptr<Platform::Gdiplus::Bitmap> bitmap = Platform::Gdiplus::Bitmap::FromPng(*bytes);
    if (bitmap == nullptr || bitmap->Width() != kCursorSize || bitmap->Height() != kCursorSize)
        return false;
    pixels.resize(static_cast<size_t>(kCursorSize * kCursorSize));
    for (int32_t y = 0; y < kCursorSize; ++y)
    {
        for (int32_t x = 0; x < kCursorSize; ++x)
        {
            Platform::Gdiplus::Argb colour = 0;
            (void)bitmap->GetPixel(x, y, colour);
            pixels[static_cast<size_t>(y * kCursorSize + x)] = colour;
        }
    }
    return true;
}

LApplication::LApplication(const RCPtr<ZQ::LControlFactory>& factory,
                           const RCPtr<ZQ::LStringTable>& frameworkStringTable, const WString& commandLine)
    : LApplicationBase(factory, frameworkStringTable, commandLine)
{
}

LApplication::~LApplication()
{
    // No signal reaches the processor once it is going.
    mSignalWatcher.reset();
    // A transfer still running here (started at start-up for a window that could not be made) is ended as
    // ABORT ends it, never cut off with the driver's update handling left on.
    if (mUpdateProcessor != nullptr)
    {
        const ZQ::RCPtr<LUpdateEngineInterface> engine = mUpdateProcessor->GetEngine();
        if (engine->GetUpdateResult(false) == LUpdateEngineInterface::kResultRunning &&
            mUpdateProcessor->InterruptTransfer())
            (void)mUpdateProcessor->FinishTransfer();
    }
    mUpdateProcessor = nullptr;
}

const char16_t* LApplication::GetIdentityString()
{
    static const WString identity = WString(u"Tavrin DJ") + WString(u"_") +
                                    WString(u"DEVICE_FAMILY_NAME_String") + WString(u"_FirmwareUpdater");
    return identity.GetBuffer();
}

LApplication* LApplication::GetInstance() noexcept
{
    return dynamic_cast<LApplication*>(ZQ::LFrameworkApp::GetInstance());
}

void LApplication::GetVersionKey(WString& text) const
{
    text = u"1_0_0";
}

void LApplication::GetMainControlName(WString& text) const
{
    text = u"mainControl";
}

intptr_t LApplication::GetCursor(const WString& name) const
{
    if (name == ZQ::kCursorDropMove)
    {
        if (mDropMoveCursor == 0)
            mDropMoveCursor = MakeCursor(kDropMoveCursorId);
        return mDropMoveCursor;
    }
    if (name == ZQ::kCursorDropCopy)
    {
        if (mDropCopyCursor == 0)
            mDropCopyCursor = MakeCursor(kDropCopyCursorId);
        return mDropCopyCursor;
    }
    if (IsOneOf(name, {ZQ::kCursorSplitV, ZQ::kCursorSplitH, ZQ::kCursorRotate, ZQ::kCursorMag,
                       ZQ::kCursorMagPlus, ZQ::kCursorMagMinus}))
        return 0;
    return LApplicationBase::GetCursor(name);
}

ZQ::IStatusBarText* LApplication::GetStatusBar() const
{
    const RCPtr<ZQ::LControl> top = FirstTopControl(*this);
    if (top == nullptr)
        return nullptr;
    return dynamic_cast<ZQ::LStatusBar*>(top->FindChild(u"statusBar").Get());
}

ZQ::IIniFileManager::Handle LApplication::GetIniFile(int32_t kind)
{
    ZQ::IIniFileManager::Handle* handle = nullptr;
    const char16_t* fileName = nullptr;
    int32_t folderId = 0;
    switch (kind)
    {
    case 0:
        handle = &mAppSettings;
        fileName = u"AppSettings.ini";
        folderId = ZQ::MFCFrameworkAppBase::kApplicationDataFolder;
        break;
    case 1:
        handle = &mUserSettings;
        fileName = u"UserSettings.ini";
        folderId = ZQ::MFCFrameworkAppBase::kLocalApplicationDataFolder;
        break;
    default:
        return 0;
    }
    if (*handle == 0)
    {
        WString folder;
        GetFolder(folder, folderId);
        WString versionKey;
        GetVersionKey(versionKey);
        WString productName;
        GetProductName(productName);
        const RCPtr<ZQ::LIniFileManager> manager = GetIniFileManager();
        ZQ::IIniFileManager::Handle opened = 0;
        if (manager != nullptr && ZQ::Succeeded(manager->Open(folder + WString(u"/") + WString(fileName),
                                                              versionKey, productName, opened)))
            *handle = opened;
    }
    return *handle;
}

ZQRESULT LApplication::RunApplicationStartup()
{
    const ZQRESULT base = LApplicationBase::RunApplicationStartup();
    if (base < 0)
        return base;
    if (const RCPtr<ZQ::LControlFactory> factory = GetControlFactory())
    {
        (void)factory->RegisterControlCreateFunction(kMainControlClass,
                                                     &ZQ::LControl::CreateFromDescriptor<ZQ::LMainControl>);
    }
    mSignalWatcher.reset();
    mUpdateProcessor = LUpdateProcessor::Create();
    // Watched before the processor starts: an unattended transfer runs inside its start-up.
    mSignalWatcher = std::make_unique<Platform::Io::SignalWatcher>(
        [processor = mUpdateProcessor](int) { return EndTransferOnSignal(*processor); });
    return mUpdateProcessor->Initialize(WString(GetCommandLine()));
}

bool LApplication::EndTransferOnSignal(LUpdateProcessor& processor)
{
    if (!processor.InterruptTransfer())
        return false;
    // The loop is the process's and outlives the application; quitting it is allowed from any thread.
    // Unattended, no loop runs: the processor's wait sees the transfer end by itself.
    if (Platform::Window::MessageLoop* loop = Platform::Window::MessageLoop::Current())
        loop->PostQuitMessage(0);
    return true;
}

bool LApplication::RunApplication()
{
    const bool result = LApplicationBase::RunApplication();
    ZQ::ProcessExitValue = mUpdateProcessor != nullptr && mUpdateProcessor->IsTransferInterrupted()
                               ? mUpdateProcessor->FinishTransfer()
                               : 0;
    return result;
}

bool LApplication::IsExitAllowed()
{
    const RCPtr<ZQ::LMainControl> mainControl(FirstTopControl(*this));
    return mainControl == nullptr || mainControl->IsExitAllowed();
}
