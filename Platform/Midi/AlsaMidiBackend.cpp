#include "Platform/Midi/AlsaMidiBackend.h"

#include "Platform/Midi/MidiWire.h"
#include "Platform/Text/Utf.h"

#include <alsa/asoundlib.h>
#include <cstdio>
#include <mutex>
#include <poll.h>
#include <unistd.h>

namespace Platform
{
namespace
{
constexpr unsigned kReadableCaps = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
constexpr unsigned kWritableCaps = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

class AlsaMidiConnection final : public IMidiConnection
{
public:
    AlsaMidiConnection(snd_seq_t* seq, int port, snd_midi_event_t* codec)
        : mSeq(seq), mPort(port), mCodec(codec)
    {
        pollfd descriptor{};
        if (snd_seq_poll_descriptors(mSeq, &descriptor, 1, POLLIN) == 1)
            mPollFd = descriptor.fd;
    }
    ~AlsaMidiConnection() override
    {
        snd_midi_event_free(mCodec);
        snd_seq_close(mSeq);
    }
    AlsaMidiConnection(const AlsaMidiConnection&) = delete;
    AlsaMidiConnection& operator=(const AlsaMidiConnection&) = delete;

    [[nodiscard]] int PollFd() const override { return mPollFd; }

    bool Read(std::vector<MidiInputEvent>& events) override
    {
        for (;;)
        {
            snd_seq_event_t* event = nullptr;
            const int got = snd_seq_event_input(mSeq, &event);
            if (got == -EAGAIN || got == -ENOSPC)
                return true;
            if (got < 0 || event == nullptr)
                return got != -ENODEV;
            if (event->type == SND_SEQ_EVENT_PORT_UNSUBSCRIBED)
                return false;
            MidiInputEvent item;
            if (event->type == SND_SEQ_EVENT_SYSEX)
            {
                const auto* bytes = static_cast<const uint8_t*>(event->data.ext.ptr);
                item.kind = MidiInputEvent::Kind::LongPart;
                item.bytes.assign(bytes, bytes + event->data.ext.len);
                item.last = !item.bytes.empty() && item.bytes.back() == 0xF7;
            }
            else
            {
                unsigned char bytes[8];
                const long length = snd_midi_event_decode(mCodec, bytes, sizeof(bytes), event);
                if (length <= 0)
                    continue;
                item.kind = MidiInputEvent::Kind::Short;
                item.bytes.assign(bytes, bytes + length);
            }
            events.push_back(std::move(item));
        }
    }

    [[nodiscard]] MidiResult SendShort(std::span<const uint8_t> bytes) override
    {
        const std::lock_guard lock(mSendLock);
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_midi_event_reset_encode(mCodec);
        if (snd_midi_event_encode(mCodec, bytes.data(), static_cast<long>(bytes.size()), &event) <= 0 ||
            event.type == SND_SEQ_EVENT_NONE)
            return kMidiErrInvalidParam;
        return Output(event);
    }

    [[nodiscard]] MidiResult SendLong(uint32_t /*sequence*/, std::span<const uint8_t> bytes,
                                      bool& confirmedNow) override
    {
        const std::lock_guard lock(mSendLock);
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_seq_ev_set_sysex(&event, static_cast<unsigned>(bytes.size()), const_cast<uint8_t*>(bytes.data()));
        const MidiResult result = Output(event);
        confirmedNow = result == kMidiOk;
        return result;
    }

private:
    // Called with mSendLock held.
    MidiResult Output(snd_seq_event_t& event)
    {
        snd_seq_ev_set_source(&event, mPort);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        return snd_seq_event_output_direct(mSeq, &event) < 0 ? kMidiErrNoDevice : kMidiOk;
    }

    snd_seq_t* const mSeq;
    const int mPort;
    snd_midi_event_t* const mCodec; // decoding on the dispatch thread, encoding under mSendLock
    int mPollFd = -1;
    std::mutex mSendLock;
};

snd_seq_t* OpenSequencer()
{
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        return nullptr;
    return seq;
}
} // namespace

bool AlsaMidiBackend::Available()
{
    return ::access("/dev/snd/seq", R_OK | W_OK) == 0;
}

void AlsaMidiBackend::List(bool input, std::vector<MidiDeviceInfo>& devices)
{
    if (!Available())
        return;
    snd_seq_t* seq = OpenSequencer();
    if (seq == nullptr)
        return;
    const int self = snd_seq_client_id(seq);
    const unsigned wanted = input ? kReadableCaps : kWritableCaps;
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    if (snd_seq_client_info_malloc(&client) < 0 || snd_seq_port_info_malloc(&port) < 0)
    {
        if (client != nullptr)
            snd_seq_client_info_free(client);
        snd_seq_close(seq);
        return;
    }
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0)
    {
        const int clientId = snd_seq_client_info_get_client(client);
        if (clientId == self || clientId == SND_SEQ_CLIENT_SYSTEM)
            continue;
        snd_seq_port_info_set_client(port, clientId);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0)
        {
            if ((snd_seq_port_info_get_capability(port) & wanted) != wanted ||
                (snd_seq_port_info_get_type(port) & SND_SEQ_PORT_TYPE_MIDI_GENERIC) == 0)
                continue;
            char address[32];
            std::snprintf(address, sizeof(address), "%d:%d", clientId, snd_seq_port_info_get_port(port));
            devices.push_back(
                {MidiWire::CutName(Platform::Utf8ToUtf16(snd_seq_port_info_get_name(port))), address, this});
        }
    }
    snd_seq_port_info_free(port);
    snd_seq_client_info_free(client);
    snd_seq_close(seq);
}

std::unique_ptr<IMidiConnection> AlsaMidiBackend::Open(const MidiDeviceInfo& device, bool input,
                                                       MidiResult& result)
{
    result = kMidiErrNoDevice;
    int clientId = 0;
    int portId = 0;
    if (std::sscanf(device.address.c_str(), "%d:%d", &clientId, &portId) != 2)
        return nullptr;
    snd_seq_t* seq = OpenSequencer();
    if (seq == nullptr)
        return nullptr;
    snd_seq_set_client_name(seq, "ZQ MIDI");
    const int own =
        snd_seq_create_simple_port(seq, input ? "in" : "out", input ? kWritableCaps : kReadableCaps,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    snd_midi_event_t* codec = nullptr;
    const bool connected = own >= 0 &&
                           (input ? snd_seq_connect_from(seq, own, clientId, portId)
                                  : snd_seq_connect_to(seq, own, clientId, portId)) >= 0 &&
                           snd_midi_event_new(256, &codec) >= 0;
    if (!connected)
    {
        snd_seq_close(seq);
        return nullptr;
    }
    snd_midi_event_no_status(codec, 1);
    result = kMidiOk;
    return std::make_unique<AlsaMidiConnection>(seq, own, codec);
}
} // namespace Platform
