#pragma once

#include "Panel/Engine/Forward.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Controls/Buttons/FileDialog.h"
#include "ZQFramework/Controls/Forward.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The top control of the updater's window ("FirmwareUpdater.MainControl"): the program's screen logic.
// It finds the buttons and labels of the skin, binds the update engine's notifications and the buttons'
// clicks, and turns every change of the engine's state into label texts and shown or hidden children
// (UpdateControls). It reaches the engine only through the application's update processor, asking for it
// at each use.
//
// The road of an update: "UPDATE FIRMWARE" shows the instructions and asks the engine to enter update
// mode; "NEXT" probes the device and, in update mode, starts the transfer on the engine's worker; the
// completion shows the after-update text and "NEXT", which probes the device again once it has
// restarted; "TRY AGAIN" runs the processor's start-up flow again and scans.
//
// Created once with the window's control tree; everything runs on the UI thread (the engine's
// notifications are posted to the default notification center and delivered at idle).
class LMainControl : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LMainControl(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LMainControl() override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // Binds the menu commands on the root window; throws when the tree has no root window.
    void ProcessRootWindowAquired() override;
    // 0 for every command: the main control answers its menu.
    ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, int32_t command,
                                 MenuItemState& state) override;
    // Sweeps the transitioning progress bar while the device enters update mode by itself.
    void OnIdle() override;
    // Finds and binds the children, shows the updater's version and the first screen. Throws the
    // "Failed Result" error for a failed binding and the "Null Pointer" error for a missing required child.
    ZQRESULT Initialize() override;

    // --- Operations for the screen and the road ---

    [[nodiscard]] RCPtr<LUpdateProcessor> GetUpdateProcessor() const;
    // The processor's engine; null without a processor.
    [[nodiscard]] RCPtr<LUpdateEngineInterface> GetUpdateEngine() const;
    // The text of a key of the application's string table; empty when missing.
    [[nodiscard]] static WString GetApplicationString(const WString& key);
    // True unless the engine is sending a firmware image (state 8).
    [[nodiscard]] bool IsExitAllowed() const;
    ZQRESULT RequestApplicationExit(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    ZQRESULT SelectFirmwareFile(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    ZQRESULT ToggleAllowDowngrade(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);

    // The display refresh: every label text and every shown child from the engine's update result,
    // device state and firmware-file state.
    void UpdateControls(int32_t updateResult, int32_t deviceState, int32_t fileState);
    void UpdateDeviceStateLabel(int32_t deviceState);
    void UpdateFirmwareFileLabel(int32_t fileState);
    void UpdateUpdateProcessLabel(int32_t updateResult, int32_t deviceState);
    void UpdateDeviceFirmwareVersionLabel();
    void UpdateFileFirmwareVersionLabel();
    void UpdateCannotUpdateLabel(bool updateWanted);

    // --- The road ---

    ZQRESULT UpdateFirmware(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    ZQRESULT OnManualDeviceReadyButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>& notification);
    ZQRESULT OnManualDeviceRescanButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>& notification);
    ZQRESULT OnReinitializeButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification);
    ZQRESULT OnScanForDeviceButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification);
    ZQRESULT OnAbortButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    ZQRESULT OnDeviceStateChangeNotification(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>& notification);
    ZQRESULT OnFirmwareFileStateChangeNotification(const RCPtr<LNotificationDistributor>& source,
                                                   const RCPtr<LNotification>& notification);
    ZQRESULT OnFoundDeviceListChangeNotification(const RCPtr<LNotificationDistributor>& source,
                                                 const RCPtr<LNotification>& notification);
    ZQRESULT OnFirmwareUpdateProgressNotification(const RCPtr<LNotificationDistributor>& source,
                                                  const RCPtr<LNotification>& notification);
    ZQRESULT OnFirmwareUpdateCompletedNotification(const RCPtr<LNotificationDistributor>& source,
                                                   const RCPtr<LNotification>& notification);
    // Probes until the device is in update mode: 0, or E_FAIL when it left state 6 otherwise, the time
    // ran out, or the device does not enter update mode by itself.
    ZQRESULT WaitForDeviceToEnterUpdateMode();
    // One probe of the selected device under a busy cursor.
    ZQRESULT ProbeDevice();
    void Reinitialize();
    // A skin without a scan button would scan in the background; this program has none.
    void ScanForDeviceInBackground();

    // --- State, for the screen's owner and tests ---

    [[nodiscard]] bool IsUpdateRunning() const { return mUpdateRunning; }
    [[nodiscard]] bool IsUpdateModeRequested() const { return mUpdateModeRequested; }
    [[nodiscard]] bool HasNoScanButton() const { return mNoScanButton; }
    [[nodiscard]] const RCPtr<LFileDialog>& GetFileDialog() const { return mFileDialog; }

    // The pause between two probes of a wait, and the bound of each wait, in milliseconds.
    static constexpr uint32_t kProbePause = 500;
    static constexpr uint32_t kWaitLimit = 10000;

private:
    void BindEngineNotifications();
    void FindAndBindButtons();
    void FindLabels();
    void ShowUpdaterVersion(const RCPtr<LLabel>& versionLabel);
    // UpdateControls with the engine's values of this moment.
    void RefreshFromEngine();
    // The engine's values of this moment (update result peeked, not cleared).
    void ReadEngineValues(int32_t& updateResult, int32_t& deviceState, int32_t& fileState) const;
    [[nodiscard]] int32_t GetTransitionMode() const;
    void RepaintNow();
    // Update-running, the progress bar at 0 with its own estimate off, and the transfer started.
    void StartTransfer();
    // The children shown for each update result.
    void ShowChildrenForIdle(int32_t deviceState, int32_t fileState, bool updateNeeded, bool updateWanted);
    void ShowChildrenForResult(int32_t updateResult, int32_t deviceState, int32_t fileState,
                               bool updateNeeded);
    void ShowDeviceVersionLabel(int32_t deviceState, int32_t fileState);
    // Takes the one idle request the transitioning sweep needs, or gives it back.
    void HoldIdleForSweep(bool hold);
    void SetLabelFromKey(const RCPtr<LLabel>& label, const WString& key);

    RCPtr<LNotificationHandler<LMainControl>> mMainHandler;
    RCPtr<LButton> mButtonUpdateFirmware;
    RCPtr<LButton> mButtonScanForDevice;
    RCPtr<LButton> mButtonExit;
    RCPtr<LButton> mButtonReinitialize;
    RCPtr<LButton> mButtonManualDeviceReady;
    RCPtr<LButton> mButtonManualDeviceRescan;
    RCPtr<LButton> mButtonSelectFirmwareFile;
    RCPtr<LButton> mButtonAbort;
    RCPtr<LLabel> mLabelDeviceInformation;
    RCPtr<LLabel> mLabelFirmwareFileInformation;
    RCPtr<LLabel> mLabelUpdateProcessInformation;
    RCPtr<LLabel> mLabelFileFirmwareVersion;
    RCPtr<LLabel> mLabelDeviceFirmwareVersion;
    RCPtr<LLabel> mLabelDeviceCannotUpdateError;
    RCPtr<LControl> mControlTransitioningToUpdateMode;
    RCPtr<LControl> mLabelDeviceNotFound;
    RCPtr<LProgressBar> mProgressBar;
    RCPtr<LUpdateProcessor> mUpdateProcessor;
    RCPtr<LFileDialog> mFileDialog;
    int32_t mDeviceState = 0;
    bool mNoScanButton = false;
    bool mUpdateRunning = false;
    bool mUpdateModeRequested = false;
    // Whether the main control holds its one idle request for the transitioning sweep.
    bool mHoldsSweepIdle = false;
    WString mTransitioningText;
};
} // namespace ZQ
