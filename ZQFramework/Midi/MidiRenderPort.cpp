#include "ZQFramework/Midi/MidiRenderPort.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Midi/MidiMessageLength.h"
#include "ZQFramework/Midi/MidiComm.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

#include <algorithm>

namespace ZQ
{
LMidiRenderPort::LMidiRenderPort(const RCPtr<LMidiComm>& owner, const WString& requestedName)
    : mOwner(owner), mRequestedName(requestedName)
{
    mLongMessageSignal.Set();
}

LMidiRenderPort::~LMidiRenderPort()
{
    MutexLocker guard(mOwner->GetPortLock());
    Close();
}

Platform::MidiResult LMidiRenderPort::OpenDevice()
{
    Close();
    uint32_t id = 0;
    if (!LMidiComm::SelectDevice(false, mRequestedName, id, mDeviceName))
        return Platform::kMidiErrNoDriver;
    Platform::MidiOutHandle handle{};
    const Platform::MidiResult opened =
        Platform::MidiOutOpen(handle, id, &LMidiRenderPort::Callback, reinterpret_cast<uintptr_t>(this),
                              Platform::kMidiCallbackFunction);
    if (opened != Platform::kMidiOk)
    {
        if (handle != Platform::MidiOutHandle{})
            (void)Platform::MidiOutClose(handle);
        return opened;
    }
    mHandle = handle;
    return Platform::kMidiOk;
}

bool LMidiRenderPort::IsDevicePresent() const
{
    const Platform::MidiOutHandle handle = mHandle.load();
    if (handle == Platform::MidiOutHandle{})
        return false;
    Platform::MidiOutCaps caps;
    return Platform::MidiOutCapabilities(handle, caps) == Platform::kMidiOk;
}

void LMidiRenderPort::Close()
{
    const Platform::MidiOutHandle handle = mHandle.exchange(Platform::MidiOutHandle{});
    if (handle == Platform::MidiOutHandle{})
        return;
    // Gives back every long message still waiting for its done, so none is read after the close.
    (void)Platform::MidiOutReset(handle);
    {
        const std::lock_guard guard(mMessagesLock);
        for (const auto& message : mUnconfirmed)
            (void)Platform::MidiOutUnprepareHeader(handle, &message->header);
        mUnconfirmed.clear();
    }
    (void)Platform::MidiOutClose(handle);
}

ZQRESULT LMidiRenderPort::ReleaseInternalReferences()
{
    (void)mOwner->RemoveRenderPort(this);
    return LRefCountedObject::ReleaseInternalReferences();
}

int32_t LMidiRenderPort::ShortMessageLength(uint8_t status)
{
    return Platform::ShortMessageRow(status).sent;
}

int32_t LMidiRenderPort::SendBytes(const uint8_t* data, uint32_t length)
{
    // A long message still in flight from another sender goes first; whatever the wait gives, sending
    // goes on.
    (void)mLongMessageSignal.Wait(kLongMessageTimeout);
    const uint8_t status = data[0];
    if (status >= 0x80 && status != 0xF0 && status != 0xF7)
        return SendShort(data, length);
    return SendLong(data, length);
}

int32_t LMidiRenderPort::SendShort(const uint8_t* data, uint32_t length)
{
    uint8_t bytes[4] = {};
    std::copy_n(data, std::min<uint32_t>(length, sizeof bytes), bytes);
    if (Platform::MidiOutShortMessage(mHandle.load(), Platform::LittleEndian::GetU32(bytes)) !=
        Platform::kMidiOk)
        return E_FAIL;
    return ShortMessageLength(data[0]);
}

int32_t LMidiRenderPort::SendLong(const uint8_t* data, uint32_t length)
{
    // One long message at a time: the next sender waits here until this one is done with its header.
    const std::lock_guard sending(mSendLock);
    CollectConfirmedLocked();

    auto message = std::make_unique<LongMessage>();
    message->bytes.assign(data, data + length);
    message->header.data = message->bytes.data();
    message->header.bufferLength = length;
    message->header.bytesRecorded = length;

    const Platform::MidiOutHandle handle = mHandle.load();
    if (Platform::MidiOutPrepareHeader(handle, &message->header) != Platform::kMidiOk)
        return E_FAIL;
    mLongMessageSignal.Reset();
    mCurrentHeader = &message->header;
    bool sent = Platform::MidiOutLongMessage(handle, &message->header) == Platform::kMidiOk;
    if (sent && mLongMessageSignal.Wait(kLongMessageTimeout) != kWaitSignalled)
        sent = false;
    mCurrentHeader = nullptr;

    if (Platform::MidiOutUnprepareHeader(handle, &message->header) == Platform::kMidiErrStillPlaying)
    {
        // Not confirmed yet: the device may still read the header, so the port keeps it until its done
        // (or the close).
        const std::lock_guard guard(mMessagesLock);
        mUnconfirmed.push_back(std::move(message));
    }
    mLongMessageSignal.Set();
    return sent ? static_cast<int32_t>(length) : E_FAIL;
}

void LMidiRenderPort::CollectConfirmedLocked()
{
    const Platform::MidiOutHandle handle = mHandle.load();
    const std::lock_guard guard(mMessagesLock);
    std::erase_if(mUnconfirmed,
                  [handle](const std::unique_ptr<LongMessage>& message)
                  {
                      if ((message->header.flags.load() & Platform::kMidiHeaderDone) == 0)
                          return false;
                      (void)Platform::MidiOutUnprepareHeader(handle, &message->header);
                      return true;
                  });
}

void LMidiRenderPort::Callback(Platform::MidiOutHandle, uint32_t message, uintptr_t instance,
                               uintptr_t param1, uintptr_t)
{
    if (message != Platform::kMidiOutDone || instance == 0)
        return;
    auto* port = reinterpret_cast<LMidiRenderPort*>(instance);
    // Only the done of the message being waited for ends the wait; a late one of an abandoned message
    // must not end the wait of the next.
    if (reinterpret_cast<Platform::MidiHeader*>(param1) == port->mCurrentHeader.load())
        port->mLongMessageSignal.Set();
}
} // namespace ZQ
