#include "Platform/Midi/SocketMidiBackend.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiWire.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <string>
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
            Decode(std::span(frame.data(), static_cast<size_t>(got)), events);
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
    static void Decode(std::span<const uint8_t> packet, std::vector<MidiInputEvent>& events)
    {
        const auto frame = MidiWire::ReadFrame(packet);
        if (!frame)
            return;
        MidiInputEvent event;
        event.sequence = frame->sequence;
        event.last = frame->last;
        event.bytes.assign(frame->bytes.begin(), frame->bytes.end());
        switch (frame->type)
        {
        case MidiWire::kFrameShort:
            event.kind = MidiInputEvent::Kind::Short;
            break;
        case MidiWire::kFrameLong:
            event.kind = MidiInputEvent::Kind::LongPart;
            break;
        case MidiWire::kFrameDone:
            event.kind = MidiInputEvent::Kind::Done;
            break;
        default:
            event.kind = MidiInputEvent::Kind::LongError;
            break;
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
    const std::string folder = MidiPortFolder();
    std::vector<std::string> problems;
    if (!MidiWire::FolderHoldsPorts(folder))
        problems.push_back("the MIDI port folder " + folder + " is too long for a port's socket (" +
                           std::to_string(Io::kMaxSocketPathLength) +
                           " bytes at most); no port can appear there");
    // A port whose peer died refuses connections; listed, it would stand beside the device's new port
    // under the same name.
    for (auto& port : MidiWire::ListPorts(folder, input, &problems))
        if (!Io::IsStaleSocket(port.path))
            devices.push_back({std::move(port.name), std::move(port.path), this});
    for (const auto& problem : problems)
        ReportMidiPortProblem(problem);
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
