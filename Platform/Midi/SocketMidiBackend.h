#pragma once

#include "Platform/Midi/MidiBackend.h"

// Devices published as Unix sockets in MidiPortFolder() by a Platform::MidiPeer (see MidiPeer.h for the
// files and the wire format). Stale port files (left by a peer that died) are not listed. Internal to
// Platform/Midi.
namespace Platform
{
class SocketMidiBackend final : public IMidiBackend
{
public:
    void List(bool input, std::vector<MidiDeviceInfo>& devices) override;
    [[nodiscard]] std::unique_ptr<IMidiConnection> Open(const MidiDeviceInfo& device, bool input,
                                                        MidiResult& result) override;
};
} // namespace Platform
