#pragma once

#include "Platform/Midi/MidiConnection.h"
#include "Platform/Midi/MidiPorts.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the port layer asks of a place that MIDI devices come from (socket ports, the ALSA sequencer).
// Internal to Platform/Midi.
namespace Platform
{
class IMidiBackend;

struct MidiDeviceInfo
{
    std::u16string name; // at most 31 code units
    std::string address; // where the backend finds the device
    IMidiBackend* backend = nullptr;
};

class IMidiBackend
{
public:
    virtual ~IMidiBackend() = default;
    // Appends the devices present now, in a stable order.
    virtual void List(bool input, std::vector<MidiDeviceInfo>& devices) = 0;
    [[nodiscard]] virtual std::unique_ptr<IMidiConnection> Open(const MidiDeviceInfo& device, bool input,
                                                                MidiResult& result) = 0;
};

// Keeps a problem a backend met while listing for TakeMidiPortProblems (once for each distinct text).
void ReportMidiPortProblem(const std::string& problem);
} // namespace Platform
