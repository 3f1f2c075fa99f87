#pragma once

#include "Platform/Midi/MidiBackend.h"

// Ports of the ALSA sequencer, listed only where /dev/snd/seq exists. Each open device gets a sequencer
// client of its own with one port subscribed to the device's port; a sent long message counts as done once
// the sequencer took it. Internal to Platform/Midi.
namespace Platform
{
class AlsaMidiBackend final : public IMidiBackend
{
public:
    [[nodiscard]] static bool Available();

    void List(bool input, std::vector<MidiDeviceInfo>& devices) override;
    [[nodiscard]] std::unique_ptr<IMidiConnection> Open(const MidiDeviceInfo& device, bool input,
                                                        MidiResult& result) override;
};
} // namespace Platform
