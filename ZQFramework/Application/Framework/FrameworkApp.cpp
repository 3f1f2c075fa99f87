#include "ZQFramework/Application/Framework/FrameworkApp.h"

#include "Platform/Window/Dialogs.h"
#include "Platform/Window/System.h"
#include "ZQFramework/Application/FormatErrorIdText.h"
#include "ZQFramework/Application/Framework/AutoWaitCursor.h"
#include "ZQFramework/Application/Framework/FrameworkControlTypes.h"
#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Menus/PopupMenu.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <utility>

namespace ZQ
{
namespace
{
std::atomic<LFrameworkApp*> gApplication{nullptr};

// The measurement hook: the living application's first root window's renderer.
RCPtr<LMeasurementRenderer> ProvideApplicationRenderer()
{
    const LFrameworkApp* application = LFrameworkApp::GetInstance();
    return application != nullptr ? RCPtr<LMeasurementRenderer>(application->GetRenderer()) : nullptr;
}

// The error-id hook: the framework string table's "EXCEPTION_ID" with the id, when the table exists. A
// text that does not take one integer gives the English text, so that reporting an error never throws.
WString ErrorIdTextFromStringTable(int32_t errorId)
{
    const LFrameworkApp* application = LFrameworkApp::GetInstance();
    if (application == nullptr || application->GetFrameworkStringTable() == nullptr)
        return FormatDefaultErrorIdText(errorId);
    WString format;
    (void)application->GetFrameworkStringTable()->GetString(u"EXCEPTION_ID", format);
    try
    {
        return WString::Format(format.GetBuffer(), errorId);
    }
    catch (const std::exception&)
    {
        return FormatDefaultErrorIdText(errorId);
    }
}

// The measurement and error-id hooks that were installed before the application.
MeasurementRendererProvider gPreviousMeasurementProvider = nullptr;
ErrorIdTextHook gPreviousErrorIdTextHook = nullptr;
LListBox::CursorPositioner gPreviousCursorPositioner = nullptr;
LPopupMenu::StatusTextSink gPreviousStatusTextSink = nullptr;

// A list box that scrolls a pressed row moves the pointer with it, through the application's pointer.
ZQRESULT MovePointerThroughApplication(int32_t x, int32_t y)
{
    LFrameworkApp* application = LFrameworkApp::GetInstance();
    return application != nullptr ? application->SetCursorPos(x, y) : E_FAIL;
}

// A menu's hovered item shows its status text in the application's status bar; null restores the default.
void ShowMenuStatusText(const WString* text)
{
    LFrameworkApp* application = LFrameworkApp::GetInstance();
    if (application == nullptr)
        return;
    if (text != nullptr)
        (void)application->SetStatusText(*text, false);
    else
        (void)application->RestoreStatusText(false);
}

constexpr const char16_t* kCurrentSkinIndexKey = u"CurrentSkinIndex";
constexpr int32_t kUserSettings = 1;
} // namespace

LFrameworkApp::LFrameworkApp(const RCPtr<LControlFactory>& factory,
                             const RCPtr<LStringTable>& frameworkStringTable,
                             const StringT<char, char16_t>& commandLine)
    : mControlFactory(factory), mCommandLine(commandLine), mFrameworkStringTable(frameworkStringTable)
{
    gApplication.store(this, std::memory_order_release);
    IControlApplication::SetCurrent(this);
    gPreviousMeasurementProvider = SetMeasurementRendererProvider(ProvideApplicationRenderer);
    gPreviousErrorIdTextHook = SetErrorIdTextHook(ErrorIdTextFromStringTable);
    gPreviousCursorPositioner = LListBox::SetCursorPositioner(MovePointerThroughApplication);
    gPreviousStatusTextSink = LPopupMenu::SetStatusTextSink(ShowMenuStatusText);

    // Key bindings fire into the default centre's queue, so that their notifications arrive at idle.
    mHotKeyManager = LGlobalHotKeyManager::Create(
        RCPtr<LNotificationReceiver>(GetDefaultNotificationCenter()->GetPostingReceiver()));
    mClipboard = LClipboard::Create();
    if (mControlFactory != nullptr)
        mApplicationStringTable = mControlFactory->GetApplicationStringTable();
}

LFrameworkApp::~LFrameworkApp()
{
    (void)UnregisterFromAllDistributors();
    LNotification::SetPoolingEnabled(false);
    (void)SetErrorIdTextHook(gPreviousErrorIdTextHook);
    (void)LListBox::SetCursorPositioner(gPreviousCursorPositioner);
    (void)LPopupMenu::SetStatusTextSink(gPreviousStatusTextSink);
    (void)SetMeasurementRendererProvider(gPreviousMeasurementProvider);
    if (IControlApplication::GetCurrent() == this)
        IControlApplication::SetCurrent(nullptr);
    LFrameworkApp* self = this;
    (void)gApplication.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

LFrameworkApp* LFrameworkApp::GetInstance() noexcept
{
    return gApplication.load(std::memory_order_acquire);
}

// --- Notifications ---

ZQRESULT LFrameworkApp::ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                            const RCPtr<LNotification>& notification)
{
    if (notification == nullptr || notification->GetID() != LNotification::GetIDFromName(kExitRequestName))
        return 0;
    mExiting = true;
    EndSecondaryModalLoops();
    return 0;
}

void LFrameworkApp::EndSecondaryModalLoops()
{
    // A copy: ending a modal loop may let a window go, which unregisters it.
    const std::vector<RCPtr<LRootWindow>> rootWindows = mRootWindows;
    for (size_t index = rootWindows.size(); index > 1; --index)
        (void)rootWindows[index - 1]->EndModal(0);
}

// --- Life cycle ---

int32_t LFrameworkApp::OnPreApplicationStartup(const WString& /*commandLine*/)
{
    return 0;
}

int32_t LFrameworkApp::OnPostApplicationStartup(const WString& /*commandLine*/)
{
    return 0;
}

int32_t LFrameworkApp::OnCommandLineFromOtherInstance(const WString& /*commandLine*/)
{
    return 0;
}

ZQRESULT LFrameworkApp::RunApplicationStartup()
{
    try
    {
        LNotification::SetPoolingEnabled(true);
        if (mControlFactory != nullptr)
            RegisterFrameworkControlTypes(*mControlFactory, GetFrameworkControlTypes());
        if (mHotKeyManager != nullptr && mApplicationStringTable != nullptr)
            (void)mHotKeyManager->GetKeyBindings().LoadBindings(mApplicationStringTable, u"GHK");
        if (mClipboard != nullptr && mClipboard->Initialize() < 0)
            return E_FAIL;
        const int32_t skinCount =
            mControlFactory != nullptr ? static_cast<int32_t>(mControlFactory->GetSkins().GetCount()) : 0;
        (void)SetSkin(std::min(skinCount - 1, GetCurrentSkinIndex()));
    }
    catch (const std::exception&)
    {
        return E_FAIL;
    }
    return 0;
}

bool LFrameworkApp::RunApplication()
{
    if (!mRootWindows.empty())
        mRootWindows.front()->InvalidateAllAndRedraw();
    OnPreMessageLoop();
    (void)ProcessPendingNotifications(true);
    try
    {
        (void)RunMessageLoop();
    }
    catch (...)
    {
        ReportMessageLoopError();
    }
    return ProcessPendingNotifications(true);
}

void LFrameworkApp::ReportMessageLoopError()
{
    WString text;
    WString caption;
    if (mFrameworkStringTable != nullptr)
    {
        (void)mFrameworkStringTable->GetString(u"STARTUP_ERROR", text);
        (void)mFrameworkStringTable->GetString(u"STARTUP_ERROR_CAPTION", caption);
    }
    (void)ShowMessageBox(text, caption, Platform::Window::kMbIconError);
    if (const RCPtr<LNotification> request = LNotification::Create(kExitRequestName); request != nullptr)
        (void)GetDefaultNotificationCenter()->PostNotification(request);
}

void LFrameworkApp::OnPreMessageLoop()
{
}

ZQRESULT LFrameworkApp::RunApplicationShutdown()
{
    // Each member is null before its object goes, so that nothing reaches a service being dismantled.
    (void)std::exchange(mControlFactory, nullptr);
    (void)std::exchange(mHotKeyManager, nullptr);
    (void)std::exchange(mClipboard, nullptr);
    return 0;
}

// --- Skins ---

int32_t LFrameworkApp::GetCurrentSkinIndex()
{
    int32_t index = 0;
    const RCPtr<LIniFileManager> settings = GetSettingsManager();
    if (const IIniFileManager::Handle file = GetIniFile(kUserSettings); file != 0 && settings != nullptr)
        (void)settings->GetInteger(file, kCurrentSkinIndexKey, 0, index);
    return index;
}

ZQRESULT LFrameworkApp::SetSkin(int32_t index)
{
    const int32_t skinCount =
        mControlFactory != nullptr ? static_cast<int32_t>(mControlFactory->GetSkins().GetCount()) : 0;
    if (skinCount == 0)
        return E_FAIL;
    index = std::max(index, 0);
    if (index >= skinCount)
        return E_INVALIDARG;

    WString fontName;
    float fontSize = 0;
    int32_t fontStyle = 0;
    if (const ZQRESULT result = GetDefaultFont(fontName, fontSize, fontStyle); result < 0)
    {
        ThrowFailedResult(result, "ZQ::LFrameworkApp::SetSkin : Application\\FrameworkApp : Line 234");
    }
    mControlFactory->SetCurrentSkinIndex(index);
    (void)mControlFactory->GetSkinFont(fontName, fontSize, fontStyle);
    mDefaultFont = LFont::GetFont(fontName, fontSize, fontStyle);

    const std::vector<RCPtr<LRootWindow>> rootWindows = mRootWindows;
    for (const RCPtr<LRootWindow>& rootWindow : rootWindows)
        ApplySkinToRootWindow(rootWindow);

    const RCPtr<LIniFileManager> settings = GetSettingsManager();
    if (const IIniFileManager::Handle file = GetIniFile(kUserSettings); file != 0 && settings != nullptr)
        (void)settings->SetInteger(file, kCurrentSkinIndexKey, index);
    return 0;
}

void LFrameworkApp::ApplySkinToRootWindow(const RCPtr<LRootWindow>& rootWindow)
{
    const CAutoWaitCursor busy(u"Loading Skin...");
    IWindowOSServices* services = rootWindow->GetServices();
    const bool active = services != nullptr && services->IsActive();
    if (active)
        rootWindow->ResetFocus();
    (void)mControlFactory->ApplySkinToControl(rootWindow->GetRootControl());
    // Read afresh from the native window when there is one, else the kept rectangle.
    const RectT<int32_t> screenRect = rootWindow->GetScreenRect();
    rootWindow->InvalidateRect({0, 0, screenRect.width, screenRect.height});
    if (active)
        rootWindow->RestoreFocus();
}

// --- Services ---

void LFrameworkApp::GetCursorPos(PointT<int32_t>& point) const
{
    if (const RCPtr<LRootWindow> active = FindActiveRootWindow(); active != nullptr)
    {
        const PointT<int32_t> client = active->GetCursorPos();
        (void)active->GetServices()->ClientToScreen(point, client);
        return;
    }
    const Platform::Window::Point system = Platform::Window::GetCursorPos();
    point = {system.x, system.y};
}

uint32_t LFrameworkApp::GetMouseButtons() const
{
    if (const RCPtr<LRootWindow> active = FindActiveRootWindow(); active != nullptr)
        return active->GetMouseButtons();
    static constexpr struct
    {
        VKey Key;
        uint32_t Bit;
    } kButtons[] = {{VKey::LButton, 1}, {VKey::MButton, 2}, {VKey::RButton, 4}};
    uint32_t buttons = 0;
    for (const auto& button : kButtons)
    {
        bool down = false;
        bool toggled = false;
        if (GetVirtualKeyState(static_cast<uint32_t>(button.Key), down, toggled) == 0 && down)
            buttons |= button.Bit;
    }
    return buttons;
}

// --- Root windows ---

RCPtr<LRootWindow> LFrameworkApp::FindActiveRootWindow() const
{
    for (auto window = mRootWindows.rbegin(); window != mRootWindows.rend(); ++window)
    {
        IWindowOSServices* services = (*window)->GetServices();
        if (services != nullptr && services->IsActive())
            return *window;
    }
    return nullptr;
}

RCPtr<LRenderer> LFrameworkApp::GetRenderer() const
{
    return mRootWindows.empty() ? RCPtr<LRenderer>() : mRootWindows.front()->GetRenderer();
}

ZQRESULT LFrameworkApp::SetStatusText(const WString& text, bool immediately)
{
    IStatusBarText* statusBar = mRootWindows.empty() ? nullptr : GetStatusBar();
    if (statusBar == nullptr)
        return E_FAIL;
    return immediately ? statusBar->SetStatusTextNow(text) : statusBar->PostStatusText(text);
}

ZQRESULT LFrameworkApp::RestoreStatusText(bool immediately)
{
    IStatusBarText* statusBar = mRootWindows.empty() ? nullptr : GetStatusBar();
    if (statusBar == nullptr)
        return E_FAIL;
    return SetStatusText(statusBar->GetDefaultStatusText(), immediately);
}

bool LFrameworkApp::ProcessPendingNotifications(bool firstPass)
{
    bool more = LNotificationCenterManager::GetInstance().ProcessNotifications(firstPass);
    const std::vector<RCPtr<LRootWindow>> rootWindows = mRootWindows;
    for (auto window = rootWindows.rbegin(); window != rootWindows.rend(); ++window)
    {
        if ((*window)->ProcessIdle(firstPass))
            more = true;
    }
    return more;
}

// --- The control base's questions ---

RCPtr<LRefCountedObject> LFrameworkApp::GetActiveRootWindow() const
{
    return FindActiveRootWindow();
}

RCPtr<LRefCountedObject> LFrameworkApp::GetFirstRootWindow() const
{
    return mRootWindows.empty() ? RCPtr<LRefCountedObject>() : RCPtr<LRefCountedObject>(mRootWindows.front());
}

PointT<int32_t> LFrameworkApp::GetPointerScreenPosition() const
{
    PointT<int32_t> point;
    GetCursorPos(point);
    return point;
}

ZQRESULT LFrameworkApp::GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) const
{
    return GetVirtualKeyState(virtualKey, down, toggled);
}

uint32_t LFrameworkApp::GetRootWindowCount() const
{
    return static_cast<uint32_t>(mRootWindows.size());
}

RCPtr<LRefCountedObject> LFrameworkApp::GetRootWindowAt(uint32_t index) const
{
    return index < mRootWindows.size() ? RCPtr<LRefCountedObject>(mRootWindows[index]) : nullptr;
}

void LFrameworkApp::RegisterRootWindow(const RCPtr<LRootWindow>& rootWindow)
{
    if (rootWindow != nullptr &&
        std::find(mRootWindows.begin(), mRootWindows.end(), rootWindow) == mRootWindows.end())
        mRootWindows.push_back(rootWindow);
}

void LFrameworkApp::UnregisterRootWindow(const LRootWindow* rootWindow)
{
    const auto found =
        std::find_if(mRootWindows.begin(), mRootWindows.end(),
                     [&](const RCPtr<LRootWindow>& window) { return window.Get() == rootWindow; });
    if (found == mRootWindows.end())
        return;
    // Moved out first: the window may go with this reference, and its going must find the list settled.
    const RCPtr<LRootWindow> leaving = std::move(*found);
    mRootWindows.erase(found);
}

void LFrameworkApp::OnCommandLine(const WString& text)
{
    (void)OnCommandLineFromOtherInstance(text);
}
} // namespace ZQ
