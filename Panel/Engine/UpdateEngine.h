#pragma once

#include "Panel/Engine/UpdateEngineInterface.h"
#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/Sync/TrafficLight.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// The engine for devices that speak MIDI: finds a device by the names of its MIDI ports, asks it who it
// is with the universal identity request, decodes its firmware version from the reply, tells whether it
// is in update mode and whether it needs the firmware file, checks that the maker's driver is recent
// enough, and sends an image over MIDI in pieces. Derived engines replace only the sending step.
//
// Threads: probing and scanning run on the caller's thread; identity replies arrive on the MIDI object's
// delivery thread; PerformUpdate runs on the worker. The found list, the MIDI object and the handler are
// guarded by mEngineLock, the probe record and the reply wait by mProbeLock; neither is held while the
// engine waits for a reply, sends, or posts a notification.
class LUpdateEngine : public LUpdateEngineInterface, public ZQ::LNotificationClient
{
public:
    // One found device: the definition it was found by and what the probe learnt of it.
    struct DeviceDefinitionEx : public DeviceDefinition
    {
        DeviceDefinitionEx() = default;
        explicit DeviceDefinitionEx(const DeviceDefinition& definition) : DeviceDefinition(definition) {}
        DeviceDefinitionEx(const DeviceDefinitionEx&) = default;
        DeviceDefinitionEx& operator=(const DeviceDefinitionEx&) = default;
        virtual ~DeviceDefinitionEx() = default;

        FirmwareVersion mVersion;
        bool mInUpdateMode = false;
        int32_t mCannotUpdateReason = kReasonNone;
        int32_t mExtraA = 0; // never set by the engine
        int32_t mExtraB = 0;
    };

    // How long QueryDeviceVersion waits for the identity reply.
    static constexpr uint32_t kIdentityReplyTimeout = 2000;
    static constexpr uint16_t kDefaultChunkSize = 128;
    static constexpr uint16_t kDefaultChunkPause = 20;

    [[nodiscard]] static ZQ::RCPtr<LUpdateEngine> Create();
    ~LUpdateEngine() override;

    // Operations of the interface.
    ZQRESULT Initialize(const ZQ::WString& commandLine) override;
    ZQRESULT GetFoundDevices(ZQ::Array<DeviceDefinition>& devices) override;
    ZQRESULT ProbeSelectedDevice() override;
    ZQRESULT EnterUpdateMode() override;
    [[nodiscard]] bool IsUpdateNeeded() override;
    ZQRESULT RequestAbort() override;
    ZQRESULT ScanAllDefinitions() override;
    [[nodiscard]] uint32_t GetFoundDeviceCount() override;
    [[nodiscard]] bool IsDeviceInUpdateMode(uint32_t index) override;
    ZQRESULT GetDeviceStatus(uint32_t index, int32_t& reason) override;
    ZQRESULT GetDeviceVersion(uint32_t index, FirmwareVersion& version) override;
    ZQRESULT PerformUpdate() override;

    // Operations of the generic MIDI engine.
    virtual ZQRESULT GetSelectedDeviceExtraA(int32_t& value);
    virtual ZQRESULT GetSelectedDeviceExtraB(int32_t& value);
    virtual void SetChunkDelay(uint16_t milliseconds);
    // Sends F0, the bytes, F7 on the port.
    virtual ZQRESULT SendSysEx(const std::vector<uint8_t>& bytes,
                               const ZQ::RCPtr<ZQ::LRefCountedObject>& port);
    virtual ZQRESULT ReservedSendOperation(int32_t a, int32_t b, int32_t c);
    // Sends the image byte for byte, in pieces of the chunk size with the chunk pause and progress after
    // each; an abort request is honoured between pieces (E_ABORT). The MIDI layer sends a buffer that
    // begins with a status byte other than F0 and F7 as one short message, so such a message is sent on
    // its own, with its data bytes, and the rest of the piece after it; a piece grows by the data bytes of
    // a short message that would straddle its end. An image that ends inside a short message cannot go out
    // unchanged: E_FAIL before anything is sent.
    virtual ZQRESULT SendImageInChunks(const std::vector<uint8_t>& image, const ZQ::WString& outputPortName);
    // Sends the messages of a .syx file one by one (each framed again by SendSysEx).
    virtual ZQRESULT SendSyxFile(const std::vector<uint8_t>& file, const ZQ::WString& outputPortName);
    virtual ZQRESULT SendIdentityRequest(const ZQ::RCPtr<ZQ::LRefCountedObject>& outputPort);
    // Asks the device who it is and waits for the reply; the version lands in the probe record.
    virtual ZQRESULT QueryDeviceVersion(DeviceDefinitionEx& device,
                                        const ZQ::RCPtr<ZQ::LRefCountedObject>& inputPort,
                                        const ZQ::RCPtr<ZQ::LRefCountedObject>& outputPort);

    // Receiving side: forwards to the handler.
    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& source,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const ZQ::RCPtr<ZQ::LNotificationDistributor>& source,
                                        ZQ::NotificationID id) override;

    // The version a 37-byte identity reply carries, with its display text; false when the bytes are no
    // identity reply.
    [[nodiscard]] static bool DecodeIdentityReply(const signed char* bytes, int32_t count,
                                                  FirmwareVersion& version);
    // The display text of the version bytes 11 to 14 of an identity reply.
    [[nodiscard]] static ZQ::WString VersionTextFromReply(int32_t major, int32_t minor, int32_t patch,
                                                          int32_t build);
    // True when an installed driver's version text is at least the minimum, compared by numeric
    // components ("1.0.10" is newer than "1.0.5").
    [[nodiscard]] static bool IsDriverVersionRecentEnough(const ZQ::WString& version);

protected:
    LUpdateEngine();

    // Whether the installed driver is recent enough (its registry entries).
    [[nodiscard]] virtual bool CheckDriverVersion();
    // Makes a new MIDI object, bound to the reply handler, and tells whether both named ports are present.
    bool ReopenMidiCommAndCheck(const ZQ::WString& inputName, const ZQ::WString& outputName);
    // Identifies one device; the record gets its version, its mode and its reason.
    ZQRESULT ProbeDevice(DeviceDefinitionEx& device);
    ZQRESULT OnMidiDataCaptured(const ZQ::RCPtr<ZQ::LNotificationDistributor>& source,
                                const ZQ::RCPtr<ZQ::LNotification>& notification);

    [[nodiscard]] ZQ::RCPtr<ZQ::LMidiCommInterface> GetMidiComm();
    [[nodiscard]] uint16_t GetChunkSize() const { return mChunkSize.load(); }
    [[nodiscard]] uint16_t GetChunkPause() const { return mChunkPause.load(); }
    // A copy of the selected found device; false when none is selected.
    bool GetSelectedDevice(DeviceDefinitionEx& device);
    // Sets the selected found device's cannot-update reason (nothing when none is selected).
    void SetSelectedDeviceReason(int32_t reason);
    // Reads a whole file; false when the path has no folder or name, the file is not a regular file,
    // holds more than maxSize bytes (refused before anything is read) or cannot be read whole.
    static bool ReadWholeFile(const ZQ::WString& path, int32_t maxSize, std::vector<uint8_t>& bytes);
    // Reads the firmware file whole; false when it cannot be read, is empty (an empty image would leave
    // the device without firmware) or is larger than kMaxFirmwareImageSize.
    bool ReadFirmwareImage(std::vector<uint8_t>& image);
    // Sleeps for the chunk pause on the program's clock.
    void PauseAfterChunk() const;

    // The ends of the pieces an image of total bytes is cut into: the chunk size each, the last one
    // shorter when the chunk size does not divide the total.
    [[nodiscard]] std::vector<size_t> CutIntoPieces(size_t total) const;
    // Sends one piece, the image bytes from begin to end; false when it could not be sent.
    using PieceSender = std::function<bool(size_t begin, size_t end)>;
    // The common walk of every image sender: before each piece the abort request is tested, after each
    // the progress is posted and the chunk pause slept. E_FAIL when a piece could not be sent, E_ABORT
    // when an abort was requested (also during the last pause), else 0.
    ZQRESULT SendPieces(const std::vector<size_t>& pieceEnds, const PieceSender& sendPiece);
    // Ends an update from what sending the image gave: an abort (while pieces remained or after the last
    // one) leaves the device in update mode with the result aborted and gives E_ABORT; a failure gives the
    // result failed, the reason device access and state 4; otherwise the result done, the state staying
    // 8. The worker posts the one completion notification afterwards.
    ZQRESULT FinishUpdate(ZQRESULT sent);
    // Records a failed update: the result, the selected device's reason and the error state.
    void FailUpdate(int32_t reason);

private:
    // Binds OnMidiDataCaptured to the current MIDI object (under mEngineLock).
    ZQRESULT BindToMidiCommLocked();
    // Drops the binding to the current MIDI object, if any (under mEngineLock).
    void UnbindFromMidiCommLocked();

    mutable ZQ::Mutex mEngineLock;
    ZQ::Array<DeviceDefinitionEx> mFoundDevices;                 // guarded by mEngineLock
    ZQ::RCPtr<ZQ::LNotificationHandler<LUpdateEngine>> mHandler; // guarded by mEngineLock
    ZQ::RCPtr<ZQ::LMidiCommInterface> mMidiComm;                 // guarded by mEngineLock
    std::atomic<uint16_t> mChunkSize{kDefaultChunkSize};
    std::atomic<uint16_t> mChunkPause{kDefaultChunkPause};
    std::atomic<bool> mDriverUpToDate{false};

    ZQ::TrafficLight mIdentityReplySignal;
    mutable ZQ::Mutex mProbeLock;
    DeviceDefinitionEx mProbeRecord; // guarded by mProbeLock
    bool mAwaitingReply = false;     // guarded by mProbeLock: a reply is taken only while a query waits
};
