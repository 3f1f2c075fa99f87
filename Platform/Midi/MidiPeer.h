#pragma once

#include "Platform/Clock/Clock.h"
#include "Platform/Io/PollLoop.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

// The other end of the socket MIDI ports: a device as a test or the simulator plays it. A peer publishes
// named ports in a folder (by default MidiPortFolder()), receives what the program sends on them and sends
// replies. From the program's view an "input port" is one it reads from (the peer writes into it) and an
// "output port" one it writes to (the peer reads from it).
//
// Socket files. Each published port is a listening SOCK_SEQPACKET Unix socket in the folder, named
//   in-<16 hex digits: CLOCK_MONOTONIC ns at publishing>-<8 hex: pid>-<8 hex: counter>
// (out- for output ports), so that sorting the names lists the ports in the order they were published.
// The name has one fixed length, so a port fits any folder of up to 68 bytes (a socket address holds a
// path of 107); publishing in a longer folder fails with Io::SocketError::PathTooLong. Beside the socket,
// the file of the same name with ".name" appended holds the port's name in UTF-8 (at most 31 UTF-16
// code units); it is written before the socket appears and removed after it is gone, and a socket
// without a readable name file is not listed. Two ports may carry the same name. Unpublishing removes
// both files and closes every connection (the program sees its device go away). A port left by a peer
// that died (a socket that refuses connections) is stale: the program does not list it, and publishing
// a port removes the stale ports of the same name and direction first; a live port of the same name is
// never touched.
//
// Wire format. The program connects once for every open of a port; every packet is one frame, its first
// byte the frame type, integers little-endian:
//   0x01 short message     [0x01, 1 to 3 MIDI bytes]                  both ways
//   0x02 long message part [0x02, u32 sequence, u8 flags, bytes...]   both ways; flags bit 0: last part.
//        A long message (system-exclusive bytes, as given) travels in parts of at most 32 KiB; the parts of
//        one message are never interleaved with other frames of the same sender. The program numbers its
//        long messages; the peer sends sequence 0.
//   0x03 done              [0x03, u32 sequence]                        peer to program, on output ports: the
//        long message with this sequence was received whole. Every long message is confirmed exactly once
//        unless the peer withholds it (see SetDoneMode).
//   0x04 long error        [0x04]                                      peer to program, on input ports: the
//        system-exclusive message in progress is broken; its buffer comes back as a long error.
// Frames of another type are ignored by both sides.
namespace Platform
{
struct MidiPeerMessage
{
    uint32_t port = 0;  // the output port it arrived on
    bool sysEx = false; // a long message (whole), else a short message
    std::vector<uint8_t> bytes;
};

enum class MidiPeerDoneMode
{
    Immediate, // confirm each long message as soon as it arrived whole (default)
    Delayed,   // confirm after the delay given to SetDoneMode (measured on Platform::Now())
    Withhold,  // never confirm, until ReleaseWithheldDones or a mode change
};

class MidiPeer
{
public:
    using PortId = uint32_t;
    using Handler = std::function<void(const MidiPeerMessage&)>;

    // Publishes into `folder` (created when missing); empty: MidiPortFolder() at construction.
    explicit MidiPeer(std::string folder = {});
    ~MidiPeer(); // unpublishes every port
    MidiPeer(const MidiPeer&) = delete;
    MidiPeer& operator=(const MidiPeer&) = delete;

    // Publish a port under `name` (cut to 31 UTF-16 code units); 0 when the port could not be made, with
    // `error` saying why (Io::SocketError::PathTooLong when the folder is too long for a port's socket).
    [[nodiscard]] PortId PublishInput(const std::u16string& name);
    [[nodiscard]] PortId PublishOutput(const std::u16string& name);
    [[nodiscard]] PortId PublishInput(const std::u16string& name, std::error_code& error);
    [[nodiscard]] PortId PublishOutput(const std::u16string& name, std::error_code& error);
    // Unplugs: removes the socket and hangs up its connections, so that the program's open handles on
    // the port report the device gone once this returns. Unknown ids are ignored.
    void Unpublish(PortId port);

    // Connections the program has open on a port (pending ones are accepted first).
    [[nodiscard]] size_t ConnectionCount(PortId port);
    // Waits (real time) until the port has at least `count` connections.
    [[nodiscard]] bool WaitForConnections(PortId port, size_t count, std::chrono::milliseconds timeout);

    // Send to every connection of an input port; the number of connections reached.
    size_t SendShort(PortId input, std::span<const uint8_t> bytes);
    size_t SendSysEx(PortId input, std::span<const uint8_t> bytes);
    size_t SendLongError(PortId input);

    // Received messages go to the handler (on the peer's thread) when one is set for the port, else into
    // a queue that Receive reads. A handler may call every function of the peer. Handlers run one at a
    // time on the peer's one thread, which also reads and confirms: a handler that waits long (a reply
    // delay) holds up every port of this peer, and a program's sends block until the peer reads again.
    void SetHandler(PortId output, Handler handler);
    // The next queued message of `output` (of any output port when 0), waiting up to `timeout`.
    [[nodiscard]] std::optional<MidiPeerMessage> Receive(PortId output, std::chrono::milliseconds timeout);

    // How long messages on `output` are confirmed from now on.
    void SetDoneMode(PortId output, MidiPeerDoneMode mode, Duration delay = Duration::zero());
    // Sends the confirmations withheld so far on `output`.
    void ReleaseWithheldDones(PortId output);
    // Long messages received whole on `output` so far (confirmed or not).
    [[nodiscard]] size_t LongMessageCount(PortId output);

    [[nodiscard]] const std::string& Folder() const { return mFolder; }

private:
    struct Connection;
    struct Port;

    struct Watched
    {
        PortId port;
        int fd;
        bool listening;
    };

    PortId Publish(bool input, const std::u16string& name, std::error_code& error);
    void RemoveStalePorts(bool input, const std::u16string& name) const;
    int PrepareWait(std::vector<pollfd>& watched);
    void OnReady(std::span<const pollfd> watched);
    void Wake();
    void AcceptPendingLocked(Port& port);
    bool ReadConnection(Port& port, Connection& connection, std::vector<MidiPeerMessage>& received);
    void SendDoneLocked(Connection& connection, uint32_t sequence);
    void FlushDueDonesLocked();
    size_t SendFrames(PortId input, const std::vector<std::vector<uint8_t>>& frames);
    void Dispatch(std::vector<MidiPeerMessage>& received);

    std::string mFolder;
    // guarded by mLock
    std::mutex mLock;
    std::condition_variable mReceived;
    std::map<PortId, std::unique_ptr<Port>> mPorts;
    std::deque<MidiPeerMessage> mQueue;
    PortId mNextId = 1;
    std::vector<Watched> mWatched; // what the last wait watched; the peer's thread only
    Io::PollLoop mLoop;            // the peer's thread; started last in the constructor
};
} // namespace Platform
