#include "Platform/Midi/SocketMidiBackend.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiWire.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

namespace Platform
{
namespace
{
// A send that the peer does not take within this time fails instead of hanging the sender.
constexpr int kSendTimeoutSeconds = 5;

class SocketMidiConnection final : public IMidiConnection
{
public:
    explicit SocketMidiConnection(Io::UniqueFd fd) : mSocket(std::move(fd)), mFd(mSocket.Get())
    {
        timeval timeout{kSendTimeoutSeconds, 0};
        ::setsockopt(mFd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    }
    SocketMidiConnection(const SocketMidiConnection&) = delete;
    SocketMidiConnection& operator=(const SocketMidiConnection&) = delete;

    [[nodiscard]] int PollFd() const override { return mFd; }

    // The peer closes its end when it unpublishes the port; the hang-up shows at once, while frames it
    // sent before may still wait to be read.
    [[nodiscard]] bool HasHungUp() const override
    {
        pollfd descriptor{mFd, POLLRDHUP, 0};
        return ::poll(&descriptor, 1, 0) > 0 && (descriptor.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
    }

    bool Read(std::vector<MidiInputEvent>& events) override
    {
        std::vector<uint8_t> frame(MidiWire::kMaxFrame);
        for (;;)
        {
            const ssize_t got = ::recv(mFd, frame.data(), frame.size(), MSG_DONTWAIT);
            if (got == 0)
                return false;
            if (got < 0)
                return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
            Decode(frame.data(), static_cast<size_t>(got), events);
        }
    }

    [[nodiscard]] MidiResult SendShort(std::span<const uint8_t> bytes) override
    {
        const std::lock_guard lock(mSendLock);
        return SendFrame(MidiWire::ShortFrame(bytes));
    }

    [[nodiscard]] MidiResult SendLong(uint32_t sequence, std::span<const uint8_t> bytes,
                                      bool& confirmedNow) override
    {
        confirmedNow = false;
        const auto frames = MidiWire::LongFrames(sequence, bytes);
        const std::lock_guard lock(mSendLock);
        for (const auto& frame : frames)
            if (const MidiResult result = SendFrame(frame); result != kMidiOk)
                return result;
        return kMidiOk;
    }

private:
    static void Decode(const uint8_t* frame, size_t size, std::vector<MidiInputEvent>& events)
    {
        MidiInputEvent event;
        switch (frame[0])
        {
        case MidiWire::kFrameShort:
            if (size < 2 || size > 4)
                return;
            event.kind = MidiInputEvent::Kind::Short;
            event.bytes.assign(frame + 1, frame + size);
            break;
        case MidiWire::kFrameLong:
            if (size < MidiWire::kLongHeaderSize)
                return;
            event.kind = MidiInputEvent::Kind::LongPart;
            event.sequence = LittleEndian::GetU32(frame + 1);
            event.last = (frame[5] & MidiWire::kLongFlagLast) != 0;
            event.bytes.assign(frame + MidiWire::kLongHeaderSize, frame + size);
            break;
        case MidiWire::kFrameDone:
            if (size < 5)
                return;
            event.kind = MidiInputEvent::Kind::Done;
            event.sequence = LittleEndian::GetU32(frame + 1);
            break;
        case MidiWire::kFrameLongError:
            event.kind = MidiInputEvent::Kind::LongError;
            break;
        default:
            return;
        }
        events.push_back(std::move(event));
    }

    // Called with mSendLock held.
    MidiResult SendFrame(const std::vector<uint8_t>& frame)
    {
        for (;;)
        {
            if (::send(mFd, frame.data(), frame.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(frame.size()))
                return kMidiOk;
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? kMidiErrNotReady : kMidiErrNoDevice;
        }
    }

    const Io::UniqueFd mSocket;
    const int mFd;
    std::mutex mSendLock; // keeps the frames of one message together
};
} // namespace

void SocketMidiBackend::List(bool input, std::vector<MidiDeviceInfo>& devices)
{
    // A port whose peer died refuses connections; listed, it would stand beside the device's new port
    // under the same name.
    for (auto& port : MidiWire::ListPorts(MidiPortFolder(), input))
        if (!Io::IsStaleSocket(port.path))
            devices.push_back({std::move(port.name), std::move(port.path), this});
}

std::unique_ptr<IMidiConnection> SocketMidiBackend::Open(const MidiDeviceInfo& device, bool /*input*/,
                                                         MidiResult& result)
{
    std::error_code error;
    Io::UniqueFd fd = Io::ConnectUnix(device.address, Io::SocketType::SeqPacket, error);
    if (!fd)
    {
        result = kMidiErrNoDevice;
        return nullptr;
    }
    result = kMidiOk;
    return std::make_unique<SocketMidiConnection>(std::move(fd));
}
} // namespace Platform
