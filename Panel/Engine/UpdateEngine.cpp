#include "Panel/Engine/UpdateEngine.h"

#include "Panel/Engine/AudioDriverInterface.h"
#include "Platform/Clock/Clock.h"
#include "Platform/Midi/MidiMessageLength.h"
#include "ZQFramework/Midi/MidiCaptureNotificationData.h"
#include "ZQFramework/Midi/MidiCommInterface.h"
#include "ZQFramework/Midi/MidiDeviceStatusChecker.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/System/RegistryKey.h"
#include "ZQFramework/System/Sync/EventCore.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/File.h"
#include "ZQFramework/Utilities/Storage/VariantEx.h"

#include <algorithm>
#include <chrono>
#include <utility>

using namespace ZQ;

namespace
{
constexpr uint8_t kIdentityRequest[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
constexpr int32_t kIdentityReplyLength = 37;
constexpr const char16_t* kUnknownVersionText = u"Unknown";

// The bytes as the MIDI object sends them.
Array<signed char> ToSendable(const uint8_t* bytes, size_t count)
{
    Array<signed char> sendable;
    (void)sendable.SetCount(static_cast<uint32_t>(count));
    if (count > 0)
        std::copy(bytes, bytes + count, reinterpret_cast<uint8_t*>(sendable.GetData()));
    return sendable;
}

double Progress(size_t done, size_t total)
{
    return total == 0 ? 1.0 : std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
}

// True for a byte that makes the MIDI layer send a buffer beginning with it as one short message.
bool StartsShortMessage(uint8_t byte)
{
    return byte >= 0x80 && byte != 0xF0 && byte != 0xF7;
}

// One buffer handed to the MIDI layer: image bytes from begin to end.
struct MidiSend
{
    size_t begin;
    size_t end;
};

// One piece of an image sent over MIDI: its end in the image and the buffers that carry it unchanged.
struct MidiPiece
{
    size_t end;
    std::vector<MidiSend> sends;
};

// Cuts an image into pieces of the chunk size and each piece into buffers that the MIDI layer sends
// without losing or adding a byte: a run that begins with a data byte, F0 or F7 goes out whole as a long
// message; a short message goes out alone with exactly its length on the wire. A short message that straddles
// the end of a piece makes the piece longer. False when the image ends inside a short message.
bool PlanMidiPieces(const std::vector<uint8_t>& image, size_t chunk, std::vector<MidiPiece>& plan)
{
    plan.clear();
    size_t position = 0;
    while (position < image.size())
    {
        MidiPiece piece{std::min(position + chunk, image.size()), {}};
        for (size_t cursor = position; cursor < piece.end;)
        {
            if (!StartsShortMessage(image[cursor]))
            {
                piece.sends.push_back({cursor, piece.end});
                break;
            }
            const auto length = Platform::ShortMessageLength(image[cursor]);
            if (length > image.size() - cursor)
                return false;
            piece.sends.push_back({cursor, cursor + length});
            cursor += length;
            piece.end = std::max(piece.end, cursor);
        }
        position = piece.end;
        plan.push_back(std::move(piece));
    }
    return true;
}

// The numeric components of a version text: each component's leading decimal digits. False when a
// component has none.
bool ParseVersionComponents(const WString& text, Array<uint64_t>& components)
{
    const WString trimmed = text.Trim();
    const int32_t length = trimmed.GetLength();
    int32_t position = 0;
    while (position <= length)
    {
        uint64_t value = 0;
        int32_t digits = 0;
        while (position < length && trimmed.GetAt(position) >= u'0' && trimmed.GetAt(position) <= u'9')
        {
            value = std::min<uint64_t>(value * 10 + (trimmed.GetAt(position) - u'0'), UINT32_MAX);
            ++position;
            ++digits;
        }
        if (digits == 0)
            return false;
        (void)components.Add(value);
        while (position < length && trimmed.GetAt(position) != u'.')
            ++position;
        ++position; // past the dot, or past the end
    }
    return true;
}
} // namespace

LUpdateEngine::LUpdateEngine() = default;

LUpdateEngine::~LUpdateEngine()
{
    // Let go of the MIDI object outside the lock: its delivery thread may be waiting for it.
    RCPtr<LMidiCommInterface> midi;
    {
        const MutexLocker lock(mEngineLock);
        midi = std::move(mMidiComm);
        mMidiComm = nullptr;
    }
}

RCPtr<LUpdateEngine> LUpdateEngine::Create()
{
    return RCPtr<LUpdateEngine>(new LUpdateEngine());
}

RCPtr<LMidiCommInterface> LUpdateEngine::GetMidiComm()
{
    const MutexLocker lock(mEngineLock);
    return mMidiComm;
}

ZQRESULT LUpdateEngine::BindToMidiCommLocked()
{
    if (mHandler.IsNull() || mMidiComm.IsNull())
        return E_FAIL;
    const RCPtr<LNotificationDistributor> source(mMidiComm);
    return mHandler->AddCallback(&LUpdateEngine::OnMidiDataCaptured, source,
                                 kMidiDataCapturedNotificationName);
}

void LUpdateEngine::UnbindFromMidiCommLocked()
{
    if (mHandler.IsNull() || mMidiComm.IsNull() ||
        !mHandler->HasCallback(mMidiComm.Get(), kMidiDataCapturedNotificationName))
        return;
    const RCPtr<LNotificationDistributor> source(mMidiComm);
    (void)UnregisterFromDistributor(source, kMidiDataCapturedNotificationName);
    (void)mHandler->RemoveCallback(source.Get(), kMidiDataCapturedNotificationName);
}

ZQRESULT LUpdateEngine::Initialize(const WString& commandLine)
{
    const ZQRESULT result = LUpdateEngineInterface::Initialize(commandLine);
    const bool upToDate = CheckDriverVersion();
    mDriverUpToDate.store(upToDate);
    if (!upToDate)
    {
        SetState(kStateError);
        SetUpdateResult(kResultDone);
    }
    mChunkSize.store(kDefaultChunkSize);
    mChunkPause.store(kDefaultChunkPause);

    RCPtr<LMidiCommInterface> fresh = LMidiCommInterface::Create();
    RCPtr<LMidiCommInterface> old;
    ZQRESULT bound = E_FAIL;
    {
        const MutexLocker lock(mEngineLock);
        UnbindFromMidiCommLocked();
        mHandler = LNotificationHandler<LUpdateEngine>::Create(this);
        old = std::exchange(mMidiComm, fresh);
        bound = BindToMidiCommLocked();
    }
    old = nullptr;
    return Failed(bound) ? E_FAIL : result;
}

bool LUpdateEngine::IsDriverVersionRecentEnough(const WString& version)
{
    Array<uint64_t> installed;
    Array<uint64_t> minimum;
    if (!ParseVersionComponents(version, installed) ||
        !ParseVersionComponents(AudioDriverInterface::kMinimumDriverVersion, minimum))
        return false;
    const uint32_t count = std::max(installed.GetCount(), minimum.GetCount());
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint64_t a = i < installed.GetCount() ? installed.GetAt(i) : 0;
        const uint64_t b = i < minimum.GetCount() ? minimum.GetAt(i) : 0;
        if (a != b)
            return a > b;
    }
    return true;
}

bool LUpdateEngine::CheckDriverVersion()
{
    const WString driverKey = WString(AudioDriverInterface::kDriversKey) + WString(u"\\") +
                              WString(AudioDriverInterface::kDriverId);
    VariantEx productCode;
    if (Failed(LRegistryKey::Create(LRegistryKey::kLocalMachine, driverKey, 0)
                   ->QueryValue(AudioDriverInterface::kProductCodeValue, productCode)))
        return false;
    const WString code =
        productCode.GetKind() == Variant::KindText ? WString(productCode.GetNarrowText()) : WString();
    // A native process: there is no 32-bit view to step out of.
    const WString uninstallKey = WString(AudioDriverInterface::kUninstallKey) + WString(u"\\") + code;
    VariantEx displayVersion;
    if (Failed(LRegistryKey::Create(LRegistryKey::kLocalMachine, uninstallKey, 0)
                   ->QueryValue(AudioDriverInterface::kDisplayVersionValue, displayVersion)))
        return false;
    const WString text = displayVersion.GetKind() == Variant::KindText
                             ? WString(displayVersion.GetNarrowText())
                             : displayVersion.ToString();
    return IsDriverVersionRecentEnough(text);
}

ZQRESULT LUpdateEngine::GetFoundDevices(Array<DeviceDefinition>& devices)
{
    (void)devices.SetCount(0);
    const MutexLocker lock(mEngineLock);
    for (uint32_t i = 0; i < mFoundDevices.GetCount(); ++i)
        (void)devices.Add(static_cast<const DeviceDefinition&>(mFoundDevices.GetAt(i)));
    return S_OK;
}

uint32_t LUpdateEngine::GetFoundDeviceCount()
{
    const MutexLocker lock(mEngineLock);
    return mFoundDevices.GetCount();
}

bool LUpdateEngine::IsDeviceInUpdateMode(uint32_t index)
{
    const MutexLocker lock(mEngineLock);
    return index < mFoundDevices.GetCount() && mFoundDevices.GetAt(index).mInUpdateMode;
}

ZQRESULT LUpdateEngine::GetDeviceStatus(uint32_t index, int32_t& reason)
{
    if (!mDriverUpToDate.load())
    {
        reason = kReasonDriverTooOld;
        return S_OK;
    }
    const MutexLocker lock(mEngineLock);
    if (index >= mFoundDevices.GetCount())
    {
        reason = kReasonNone;
        return E_FAIL;
    }
    reason = mFoundDevices.GetAt(index).mCannotUpdateReason;
    return S_OK;
}

ZQRESULT LUpdateEngine::GetDeviceVersion(uint32_t index, FirmwareVersion& version)
{
    const MutexLocker lock(mEngineLock);
    if (index >= mFoundDevices.GetCount())
        return E_FAIL;
    version = mFoundDevices.GetAt(index).mVersion;
    return S_OK;
}

bool LUpdateEngine::GetSelectedDevice(DeviceDefinitionEx& device)
{
    const int32_t index = GetSelectedDeviceIndex();
    const MutexLocker lock(mEngineLock);
    if (index < 0 || static_cast<uint32_t>(index) >= mFoundDevices.GetCount())
        return false;
    device = mFoundDevices.GetAt(static_cast<uint32_t>(index));
    return true;
}

void LUpdateEngine::SetSelectedDeviceReason(int32_t reason)
{
    const int32_t index = GetSelectedDeviceIndex();
    const MutexLocker lock(mEngineLock);
    if (index >= 0 && static_cast<uint32_t>(index) < mFoundDevices.GetCount())
        mFoundDevices.GetAt(static_cast<uint32_t>(index)).mCannotUpdateReason = reason;
}

ZQRESULT LUpdateEngine::GetSelectedDeviceExtraA(int32_t& value)
{
    DeviceDefinitionEx device;
    if (!GetSelectedDevice(device))
        return E_FAIL;
    value = device.mExtraA;
    return S_OK;
}

ZQRESULT LUpdateEngine::GetSelectedDeviceExtraB(int32_t& value)
{
    DeviceDefinitionEx device;
    if (!GetSelectedDevice(device))
        return E_FAIL;
    value = device.mExtraB;
    return S_OK;
}

void LUpdateEngine::SetChunkDelay(uint16_t milliseconds)
{
    mChunkPause.store(milliseconds);
}

bool LUpdateEngine::IsUpdateNeeded()
{
    if (GetFirmwareFileState() <= kFilePathOnly || GetState() <= kStateDevicesFound)
        return false;
    const int32_t index = GetSelectedDeviceIndex();
    if (index < 0 || static_cast<uint32_t>(index) >= GetFoundDeviceCount())
        return false;
    FirmwareVersion device;
    if (Failed(GetDeviceVersion(static_cast<uint32_t>(index), device)))
        return false;
    FirmwareVersion file;
    (void)GetFirmwareFileVersion(file);
    return IsVersionLower(device, file, true);
}

ZQRESULT LUpdateEngine::RequestAbort()
{
    if (GetState() != kStateUpdating)
        return E_FAIL;
    mAbortRequested.store(1);
    return S_OK;
}

ZQRESULT LUpdateEngine::ScanAllDefinitions()
{
    {
        const MutexLocker lock(mEngineLock);
        (void)mFoundDevices.SetCount(0);
    }
    const Array<DeviceDefinition> definitions = GetDeviceDefinitions();
    for (uint32_t i = 0; i < definitions.GetCount(); ++i)
    {
        DeviceDefinitionEx device(definitions.GetAt(i));
        if (Succeeded(ProbeDevice(device)))
        {
            const MutexLocker lock(mEngineLock);
            (void)mFoundDevices.Add(device);
        }
    }
    return S_OK;
}

ZQRESULT LUpdateEngine::ProbeSelectedDevice()
{
    const int32_t state = GetState();
    const int32_t index = GetSelectedDeviceIndex();
    const bool selected = static_cast<uint32_t>(index) < GetFoundDeviceCount();
    if (!((state > kStateDevicesFound && selected) || state == kStateEnteringUpdateMode))
        return E_FAIL;
    DeviceDefinitionEx device;
    if (!GetSelectedDevice(device))
        return E_FAIL;
    const ZQRESULT probed = ProbeDevice(device);
    const bool entering = GetState() == kStateEnteringUpdateMode;
    if (Succeeded(probed) || !entering)
    {
        // A failed probe while entering update mode leaves everything as it was.
        if (Failed(probed))
            device.mCannotUpdateReason = kReasonDeviceAccess;
        const MutexLocker lock(mEngineLock);
        if (static_cast<uint32_t>(index) < mFoundDevices.GetCount())
            mFoundDevices.GetAt(static_cast<uint32_t>(index)) = device;
    }
    if (Succeeded(probed))
        SetState(device.mInUpdateMode ? kStateUpdateMode
                                      : (entering ? kStateEnteringUpdateMode : kStateNormalMode));
    else if (!entering)
        SetState(kStateError);
    return S_OK;
}

ZQRESULT LUpdateEngine::EnterUpdateMode()
{
    const int32_t state = GetState();
    if (state == kStateUpdateMode)
        return S_FALSE;
    if (state != kStateNormalMode && state != kStateEnteringUpdateMode)
        return E_FAIL;
    SetState(kStateEnteringUpdateMode);
    DeviceDefinitionEx device;
    const RCPtr<LMidiCommInterface> midi = GetMidiComm();
    if (GetSelectedDevice(device) && midi)
    {
        // Opening and closing the normal-mode ports is all this engine does; the user switches the device.
        RCPtr<LRefCountedObject> input;
        RCPtr<LRefCountedObject> output;
        (void)midi->OpenCapturePort(device.mInputPortName, input);
        (void)midi->OpenRenderPort(device.mOutputPortName, output);
    }
    return S_OK;
}

bool LUpdateEngine::ReopenMidiCommAndCheck(const WString& inputName, const WString& outputName)
{
    RCPtr<LMidiCommInterface> fresh = LMidiCommInterface::Create();
    RCPtr<LMidiCommInterface> old;
    {
        const MutexLocker lock(mEngineLock);
        UnbindFromMidiCommLocked();
        old = std::exchange(mMidiComm, fresh);
        (void)BindToMidiCommLocked();
    }
    old = nullptr;
    if (fresh.IsNull())
        return false;
    const RCPtr<LMidiDeviceStatusChecker> checker = LMidiDeviceStatusChecker::Create(fresh);
    checker->AddInputDevice(inputName);
    checker->AddOutputDevice(outputName);
    return checker->Check();
}

ZQRESULT LUpdateEngine::ProbeDevice(DeviceDefinitionEx& device)
{
    if (ReopenMidiCommAndCheck(device.mInputPortName, device.mOutputPortName))
    {
        device.mInUpdateMode = false;
        device.mCannotUpdateReason = kReasonNone;
        {
            const MutexLocker lock(mProbeLock);
            mProbeRecord = device;
        }
        ZQRESULT result = E_FAIL;
        {
            const RCPtr<LMidiCommInterface> midi = GetMidiComm();
            RCPtr<LRefCountedObject> input;
            RCPtr<LRefCountedObject> output;
            if (midi)
            {
                (void)midi->OpenCapturePort(device.mInputPortName, input);
                (void)midi->OpenRenderPort(device.mOutputPortName, output);
            }
            result = QueryDeviceVersion(device, input, output);
            const MutexLocker lock(mProbeLock);
            device = mProbeRecord;
        }
        if (Succeeded(result))
            return result;
    }
    if (ReopenMidiCommAndCheck(device.mInputPortNameUpdateMode, device.mOutputPortNameUpdateMode))
    {
        device.mVersion.mText = kUnknownVersionText;
        device.mInUpdateMode = true;
        device.mCannotUpdateReason = kReasonNone;
        return S_OK;
    }
    return E_FAIL;
}

ZQRESULT LUpdateEngine::SendIdentityRequest(const RCPtr<LRefCountedObject>& outputPort)
{
    const RCPtr<LMidiCommInterface> midi = GetMidiComm();
    if (outputPort.IsNull() || midi.IsNull())
        return E_FAIL;
    return midi->Send(outputPort, ToSendable(kIdentityRequest, sizeof kIdentityRequest));
}

ZQRESULT LUpdateEngine::QueryDeviceVersion(DeviceDefinitionEx& /*device*/,
                                           const RCPtr<LRefCountedObject>& /*inputPort*/,
                                           const RCPtr<LRefCountedObject>& outputPort)
{
    // The input port only has to be open so that the MIDI object captures the reply; the reply handler
    // writes the probe record while this query waits, and never after it has given up.
    {
        const MutexLocker lock(mProbeLock);
        mAwaitingReply = true;
        mIdentityReplySignal.Reset();
    }
    if (Succeeded(SendIdentityRequest(outputPort)))
        (void)mIdentityReplySignal.Wait(kIdentityReplyTimeout);
    const MutexLocker lock(mProbeLock);
    if (!mAwaitingReply)
        return S_OK; // the reply came, perhaps just as the wait ended
    mAwaitingReply = false;
    return E_FAIL;
}

ZQRESULT LUpdateEngine::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                            const RCPtr<LNotification>& notification)
{
    const MutexLocker lock(mEngineLock);
    if (mHandler.IsNull())
        return S_OK;
    return mHandler->Dispatch(source, notification);
}

ZQRESULT LUpdateEngine::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                   NotificationID id)
{
    {
        const MutexLocker lock(mEngineLock);
        if (mHandler)
            (void)mHandler->RemoveCallback(source.Get(), id);
    }
    return LNotificationClient::RemoveNotificationCallback(source, id);
}

ZQRESULT LUpdateEngine::OnMidiDataCaptured(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>& notification)
{
    {
        const MutexLocker lock(mEngineLock);
        if (mMidiComm.IsNull() || source.Get() != static_cast<LNotificationDistributor*>(mMidiComm.Get()))
            return S_OK;
    }
    if (notification.IsNull())
        return S_OK;
    const RCPtr<LMidiCaptureNotificationData> data(notification->GetParam());
    FirmwareVersion version;
    if (data.IsNull() || !DecodeIdentityReply(data->GetData(), data->GetCount(), version))
        return S_OK;
    const MutexLocker lock(mProbeLock);
    if (!mAwaitingReply)
        return S_OK;
    mProbeRecord.mVersion = version;
    mAwaitingReply = false;
    mIdentityReplySignal.Set();
    return S_OK;
}

bool LUpdateEngine::DecodeIdentityReply(const signed char* bytes, int32_t count, FirmwareVersion& version)
{
    if (bytes == nullptr || count != kIdentityReplyLength)
        return false;
    const auto byte = [&](int32_t i) { return static_cast<uint8_t>(bytes[i]); };
    if (byte(0) != 0xF0 || byte(1) != 0x7E || byte(3) != 0x06 || byte(4) != 0x02)
        return false;
    // The components are the bytes sign-extended, as the device reports them.
    version.mMajor = static_cast<uint32_t>(static_cast<int32_t>(bytes[11]));
    version.mMinor = static_cast<uint32_t>(static_cast<int32_t>(bytes[12]));
    version.mPatch = static_cast<uint32_t>(static_cast<int32_t>(bytes[13]));
    version.mBuild = static_cast<uint32_t>(static_cast<int32_t>(bytes[14]));
    version.mText = VersionTextFromReply(bytes[11], bytes[12], bytes[13], bytes[14]);
    return true;
}

WString LUpdateEngine::VersionTextFromReply(int32_t major, int32_t minor, int32_t patch, int32_t build)
{
    if (major == 1 && minor == 1)
    {
        if (patch == 0)
            return build >= 0 && build <= 7 ? WString(u"1.0")
                   : build >= 8             ? WString(u"1.1")
                                            : kUnknownVersionText;
        if (patch >= 1 && patch <= 4)
            return u"1.1";
        if (patch == 5)
            return build >= 0 && build <= 4 ? WString(u"1.1")
                   : build >= 5             ? WString(u"1.1.1")
                                            : kUnknownVersionText;
        if (patch == 6 || patch == 7)
            return u"1.2";
        if (patch == 8 && build == 0)
            return u"1.2";
        if (patch == 9 && build >= 1 && build <= 3)
            return u"1.3";
    }
    if (major == 1 && minor == 2 && patch == 0 && build == 1)
        return u"1.5";
    return kUnknownVersionText;
}

ZQRESULT LUpdateEngine::SendSysEx(const std::vector<uint8_t>& bytes, const RCPtr<LRefCountedObject>& port)
{
    const RCPtr<LMidiCommInterface> midi = GetMidiComm();
    if (port.IsNull() || midi.IsNull())
        return E_FAIL;
    std::vector<uint8_t> framed;
    framed.reserve(bytes.size() + 2);
    framed.push_back(0xF0);
    framed.insert(framed.end(), bytes.begin(), bytes.end());
    framed.push_back(0xF7);
    return midi->Send(port, ToSendable(framed.data(), framed.size()));
}

ZQRESULT LUpdateEngine::ReservedSendOperation(int32_t /*a*/, int32_t /*b*/, int32_t /*c*/)
{
    return S_OK;
}

void LUpdateEngine::PauseAfterChunk() const
{
    Platform::SleepFor(std::chrono::milliseconds(GetChunkPause()));
}

std::vector<size_t> LUpdateEngine::CutIntoPieces(size_t total) const
{
    const size_t chunk = std::max<size_t>(GetChunkSize(), 1);
    std::vector<size_t> ends;
    ends.reserve(total / chunk + 1);
    for (size_t end = chunk; end - chunk < total; end += chunk)
        ends.push_back(std::min(end, total));
    return ends;
}

ZQRESULT LUpdateEngine::SendPieces(const std::vector<size_t>& pieceEnds, const PieceSender& sendPiece)
{
    const size_t total = pieceEnds.empty() ? 0 : pieceEnds.back();
    size_t position = 0;
    for (const size_t end : pieceEnds)
    {
        if (IsAbortRequested())
            break;
        if (end > position && !sendPiece(position, end))
            return E_FAIL;
        position = end;
        PostProgress(0, Progress(position, total), true, -1, false, WString());
        PauseAfterChunk();
    }
    return IsAbortRequested() ? E_ABORT : S_OK;
}

ZQRESULT LUpdateEngine::SendImageInChunks(const std::vector<uint8_t>& image, const WString& outputPortName)
{
    const RCPtr<LMidiCommInterface> midi = GetMidiComm();
    RCPtr<LRefCountedObject> port;
    if (midi.IsNull() || Failed(midi->OpenRenderPort(outputPortName, port)) || port.IsNull())
        return E_FAIL;
    std::vector<MidiPiece> plan;
    if (!PlanMidiPieces(image, std::max<size_t>(GetChunkSize(), 1), plan))
        return E_FAIL;
    std::vector<size_t> ends;
    ends.reserve(plan.size());
    for (const auto& piece : plan)
        ends.push_back(piece.end);
    size_t next = 0;
    return SendPieces(
        ends,
        [&](size_t, size_t)
        {
            for (const MidiSend& send : plan[next++].sends)
            {
                if (midi->Send(port, ToSendable(image.data() + send.begin, send.end - send.begin)) < 0)
                    return false;
            }
            return true;
        });
}

ZQRESULT LUpdateEngine::SendSyxFile(const std::vector<uint8_t>& file, const WString& outputPortName)
{
    const RCPtr<LMidiCommInterface> midi = GetMidiComm();
    RCPtr<LRefCountedObject> port;
    if (midi.IsNull() || Failed(midi->OpenRenderPort(outputPortName, port)) || port.IsNull())
        return E_FAIL;
    std::vector<uint8_t> message;
    for (size_t i = 0; i < file.size() && !IsAbortRequested(); ++i)
    {
        const uint8_t byte = file[i];
        if (byte == 0xF7 || byte == 0x0D)
        {
            if (message.empty() || SendSysEx(message, port) < 0)
                return E_FAIL;
            PostProgress(0, Progress(i, file.size()), true, -1, false, WString());
            message.clear();
            PauseAfterChunk();
        }
        else if (byte != 0xF0)
        {
            message.push_back(byte);
        }
    }
    return IsAbortRequested() ? E_ABORT : S_OK;
}

bool LUpdateEngine::ReadWholeFile(const WString& path, int32_t maxSize, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    const WString folder = File::GetFolderFromPath(path);
    const WString name = File::GetFileNameFromPath(path);
    if (folder.IsEmpty() || name.IsEmpty())
        return false;
    try
    {
        File file;
        if (Failed(file.Open(folder, name, File::kRead)))
            return false;
        // The size is checked before anything is allocated, so that a file far too large is refused
        // without being held in memory.
        const int32_t length = file.GetLength();
        if (length < 0 || length > maxSize)
            return false;
        bytes.resize(static_cast<size_t>(length));
        size_t done = 0;
        while (done < bytes.size())
        {
            const int32_t read = file.Read(bytes.data() + done, static_cast<uint32_t>(bytes.size() - done),
                                           done == 0 ? 0 : -1);
            if (read <= 0)
                break;
            done += static_cast<size_t>(read);
        }
        // A file that shrank while it was read is not sent as if it were whole.
        return done == bytes.size();
    }
    catch (...)
    {
        return false;
    }
}

bool LUpdateEngine::ReadFirmwareImage(std::vector<uint8_t>& image)
{
    WString path;
    (void)GetFirmwareFilePath(path);
    return ReadWholeFile(path, kMaxFirmwareImageSize, image) && !image.empty();
}

void LUpdateEngine::FailUpdate(int32_t reason)
{
    SetUpdateResult(kResultFailed);
    SetSelectedDeviceReason(reason);
    SetState(kStateError);
}

ZQRESULT LUpdateEngine::FinishUpdate(ZQRESULT sent)
{
    // An abort leaves the device in update mode, ready for another try, whether it stopped the pieces or
    // came after the last one.
    if (sent == E_ABORT || (Succeeded(sent) && IsAbortRequested()))
    {
        SetUpdateResult(kResultAborted);
        SetState(kStateUpdateMode);
        return E_ABORT;
    }
    if (Failed(sent))
    {
        FailUpdate(kReasonDeviceAccess);
        return sent;
    }
    SetUpdateResult(kResultDone);
    return sent;
}

ZQRESULT LUpdateEngine::PerformUpdate()
{
    SetUpdateResult(kResultRunning);
    DeviceDefinitionEx device;
    const bool selected = GetSelectedDevice(device);
    const RCPtr<LMidiCommInterface> midi = GetMidiComm();
    std::vector<uint8_t> image;
    {
        RCPtr<LRefCountedObject> input;
        RCPtr<LRefCountedObject> output;
        if (selected && midi)
        {
            (void)midi->OpenCapturePort(device.mInputPortNameUpdateMode, input);
            (void)midi->OpenRenderPort(device.mOutputPortNameUpdateMode, output);
        }
        if (input.IsNull() || output.IsNull())
        {
            FailUpdate(kReasonDeviceAccess);
            return E_FAIL;
        }
        if (!ReadFirmwareImage(image))
        {
            FailUpdate(kReasonFileAccess);
            return E_FAIL;
        }
    }
    return FinishUpdate(SendImageInChunks(image, device.mOutputPortNameUpdateMode));
}
