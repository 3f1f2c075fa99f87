#include "ZQFramework/Midi/MidiCapturePort.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Midi/MidiMessageLength.h"
#include "ZQFramework/Midi/MidiCaptureNotificationData.h"
#include "ZQFramework/Midi/MidiComm.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

namespace ZQ
{
namespace
{
constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint32_t kOpenFlags = Platform::kMidiCallbackFunction | Platform::kMidiIoStatus;
} // namespace

LMidiCapturePort::LMidiCapturePort(const RCPtr<LMidiComm>& owner, const WString& requestedName)
    : mOwner(owner), mRequestedName(requestedName)
{
    for (Slot& slot : mSlots)
    {
        slot.header.data = slot.buffer;
        slot.header.bufferLength = kBufferSize;
        slot.header.user = reinterpret_cast<uintptr_t>(&slot);
    }
}

LMidiCapturePort::~LMidiCapturePort()
{
    MutexLocker guard(mOwner->GetPortLock());
    Close();
}

Platform::MidiResult LMidiCapturePort::OpenDevice()
{
    Close();
    uint32_t id = 0;
    if (!LMidiComm::SelectDevice(true, mRequestedName, id, mDeviceName))
        return Platform::kMidiErrNoDriver;
    Platform::MidiInHandle handle{};
    const Platform::MidiResult opened = Platform::MidiInOpen(handle, id, &LMidiCapturePort::Callback,
                                                             reinterpret_cast<uintptr_t>(this), kOpenFlags);
    if (opened != Platform::kMidiOk)
        return opened;
    mHandle = handle;
    mClosing = false;
    const Platform::MidiResult queued = QueueAllBuffers();
    if (queued != Platform::kMidiOk)
        Close();
    return queued;
}

Platform::MidiResult LMidiCapturePort::Start()
{
    const Platform::MidiInHandle handle = mHandle.load();
    if (handle == Platform::MidiInHandle{})
        return Platform::kMidiErrInvalidHandle;
    return Platform::MidiInStart(handle);
}

bool LMidiCapturePort::IsDevicePresent() const
{
    const Platform::MidiInHandle handle = mHandle.load();
    if (handle == Platform::MidiInHandle{})
        return false;
    Platform::MidiInCaps caps;
    return Platform::MidiInCapabilities(handle, caps) == Platform::kMidiOk;
}

void LMidiCapturePort::Close()
{
    const Platform::MidiInHandle handle = mHandle.load();
    if (handle != Platform::MidiInHandle{})
    {
        mClosing = true;
        (void)Platform::MidiInStop(handle);
        // Gives every queued buffer back; the callback does not queue them again while closing.
        (void)Platform::MidiInReset(handle);
        UnprepareAll();
        (void)Platform::MidiInClose(handle);
        mHandle = Platform::MidiInHandle{};
    }
    // No callback runs for this port any more: the part of a message received so far goes undelivered.
    mPendingSysEx = nullptr;
}

ZQRESULT LMidiCapturePort::ReleaseInternalReferences()
{
    (void)mOwner->RemoveCapturePort(this);
    return LRefCountedObject::ReleaseInternalReferences();
}

Platform::MidiResult LMidiCapturePort::QueueAllBuffers()
{
    const Platform::MidiInHandle handle = mHandle.load();
    for (Slot& slot : mSlots)
    {
        slot.preparedFor = handle;
        Platform::MidiResult result = Platform::MidiInPrepareHeader(handle, &slot.header);
        if (result == Platform::kMidiOk)
            result = RequeueBuffer(&slot.header);
        if (result != Platform::kMidiOk)
        {
            UnprepareAll();
            return result;
        }
    }
    return Platform::kMidiOk;
}

Platform::MidiResult LMidiCapturePort::RequeueBuffer(Platform::MidiHeader* header)
{
    const Platform::MidiInHandle handle = mHandle.load();
    if (mClosing.load() || handle == Platform::MidiInHandle{})
        return Platform::kMidiErrHandleBusy;
    Slot* slot = nullptr;
    for (Slot& candidate : mSlots)
        if (header->user == reinterpret_cast<uintptr_t>(&candidate))
            slot = &candidate;
    if (slot == nullptr || slot->preparedFor.load() == Platform::MidiInHandle{})
        return Platform::kMidiErrError;
    header->flags.fetch_and(~Platform::kMidiHeaderDone);
    header->bytesRecorded = 0;
    const Platform::MidiResult prepared = Platform::MidiInPrepareHeader(handle, header);
    if (prepared != Platform::kMidiOk)
        return prepared;
    return Platform::MidiInAddBuffer(handle, header);
}

void LMidiCapturePort::UnprepareAll()
{
    for (Slot& slot : mSlots)
    {
        const Platform::MidiInHandle prepared = slot.preparedFor.exchange(Platform::MidiInHandle{});
        if (prepared != Platform::MidiInHandle{})
            (void)Platform::MidiInUnprepareHeader(prepared, &slot.header);
    }
}

void LMidiCapturePort::Callback(Platform::MidiInHandle, uint32_t message, uintptr_t instance,
                                uintptr_t param1, uintptr_t param2)
{
    if (instance == 0)
        return;
    reinterpret_cast<LMidiCapturePort*>(instance)->HandleMessage(message, param1, param2);
}

void LMidiCapturePort::HandleMessage(uint32_t message, uintptr_t param1, uintptr_t param2)
{
    switch (message)
    {
    case Platform::kMidiInData:
    case Platform::kMidiInMoreData:
    {
        uint8_t bytes[4];
        Platform::LittleEndian::StoreU32(bytes, static_cast<uint32_t>(param1));
        const RCPtr<LMidiCaptureNotificationData> record(
            new LMidiCaptureNotificationData(this, mRequestedName, static_cast<uint32_t>(param2)));
        if (record->Append(bytes, Platform::ShortMessageRow(bytes[0]).captured) == S_OK)
            QueueRecord(record);
        break;
    }
    case Platform::kMidiInLongData:
    {
        auto* header = reinterpret_cast<Platform::MidiHeader*>(param1);
        if (header == nullptr)
            break;
        // While closing, stop and reset hand back a partly filled buffer: its bytes are no complete
        // message, however short the chunk, and the message they began is dropped with the port's state.
        if (!mClosing.load())
        {
            const uint32_t count = header->bytesRecorded;
            const bool complete = count < kBufferSize || (count > 0 && header->data[count - 1] == kSysExEnd);
            AddSysExChunk(header->data, static_cast<int32_t>(count), complete);
        }
        (void)RequeueBuffer(header);
        break;
    }
    case Platform::kMidiInLongError:
    {
        auto* header = reinterpret_cast<Platform::MidiHeader*>(param1);
        // A broken message ends here: what came of it before must not join the next one.
        mPendingSysEx = nullptr;
        if (header != nullptr)
            (void)RequeueBuffer(header);
        break;
    }
    default:
        break;
    }
}

void LMidiCapturePort::AddSysExChunk(const uint8_t* data, int32_t count, bool complete)
{
    if (count <= 0)
        return;
    // A new start byte begins a new message; an unfinished one before it is dropped, not joined.
    if (data[0] == kSysExStart)
        mPendingSysEx = nullptr;

    const auto size = static_cast<uint32_t>(count);
    if (complete)
    {
        RCPtr<LMidiCaptureNotificationData> record = std::move(mPendingSysEx);
        if (record.IsNull())
        {
            if (data[0] != kSysExStart)
                return;
            record = RCPtr<LMidiCaptureNotificationData>(
                new LMidiCaptureNotificationData(this, mRequestedName, 0));
        }
        if (record->Append(data, size) == S_OK)
            QueueRecord(record);
        return;
    }
    if (mPendingSysEx.IsNull())
        mPendingSysEx =
            RCPtr<LMidiCaptureNotificationData>(new LMidiCaptureNotificationData(this, mRequestedName, 0));
    if (mPendingSysEx->Append(data, size) != S_OK)
        mPendingSysEx = nullptr;
}

void LMidiCapturePort::QueueRecord(const RCPtr<LMidiCaptureNotificationData>& record)
{
    mOwner->QueueForDelivery(record);
}
} // namespace ZQ
