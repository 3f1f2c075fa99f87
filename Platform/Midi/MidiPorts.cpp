#include "Platform/Midi/MidiPorts.h"

#include "Platform/Midi/MidiBackend.h"
#include "Platform/Midi/MidiService.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <set>
#include <unistd.h>
#include <utility>

namespace Platform
{
namespace
{
uintptr_t Raw(MidiInHandle handle)
{
    return static_cast<uintptr_t>(handle);
}
uintptr_t Raw(MidiOutHandle handle)
{
    return static_cast<uintptr_t>(handle);
}

void CopyName(const std::u16string& name, char16_t (&target)[kMidiDeviceNameLength])
{
    const size_t length = std::min(name.size(), kMidiDeviceNameLength - 1);
    std::copy_n(name.begin(), length, target);
    std::fill(target + length, target + kMidiDeviceNameLength, u'\0');
}

template <typename Caps>
MidiResult FillCaps(MidiResult result, const std::u16string& name, Caps& caps)
{
    if (result == kMidiOk)
    {
        caps = Caps{};
        CopyName(name, caps.name);
    }
    return result;
}
} // namespace

std::string MidiPortFolder()
{
    if (const char* folder = std::getenv("ZQ_MIDI_DIR"); folder != nullptr && *folder != '\0')
        return folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/zq-midi";
    return "/tmp/zq-midi-" + std::to_string(::getuid());
}

namespace
{
// Problems seen so far and those not yet taken; bounded, so that a folder full of broken ports cannot
// grow them without end.
constexpr size_t kMaxRememberedProblems = 256;

struct ProblemQueue
{
    std::mutex lock;
    std::set<std::string> seen;       // guarded by lock
    std::vector<std::string> pending; // guarded by lock
};

ProblemQueue& Problems()
{
    static ProblemQueue* const problems = new ProblemQueue;
    return *problems;
}
} // namespace

void ReportMidiPortProblem(const std::string& problem)
{
    ProblemQueue& problems = Problems();
    const std::lock_guard lock(problems.lock);
    if (problems.seen.size() < kMaxRememberedProblems && problems.seen.insert(problem).second)
        problems.pending.push_back(problem);
}

std::vector<std::string> TakeMidiPortProblems()
{
    ProblemQueue& problems = Problems();
    const std::lock_guard lock(problems.lock);
    return std::exchange(problems.pending, {});
}

uint32_t MidiInDeviceCount()
{
    return MidiService::Instance().Count(true);
}
uint32_t MidiOutDeviceCount()
{
    return MidiService::Instance().Count(false);
}

MidiResult MidiInCapabilities(uint32_t deviceId, MidiInCaps& caps)
{
    std::u16string name;
    return FillCaps(MidiService::Instance().DeviceName(true, deviceId, name), name, caps);
}

MidiResult MidiOutCapabilities(uint32_t deviceId, MidiOutCaps& caps)
{
    std::u16string name;
    return FillCaps(MidiService::Instance().DeviceName(false, deviceId, name), name, caps);
}

MidiResult MidiInCapabilities(MidiInHandle handle, MidiInCaps& caps)
{
    std::u16string name;
    return FillCaps(MidiService::Instance().HandleName(true, Raw(handle), name), name, caps);
}

MidiResult MidiOutCapabilities(MidiOutHandle handle, MidiOutCaps& caps)
{
    std::u16string name;
    return FillCaps(MidiService::Instance().HandleName(false, Raw(handle), name), name, caps);
}

MidiResult MidiInOpen(MidiInHandle& handle, uint32_t deviceId, MidiInCallback callback, uintptr_t instance,
                      uint32_t flags)
{
    uintptr_t raw = 0;
    const MidiResult result =
        MidiService::Instance().Open(true, deviceId, callback, nullptr, instance, flags, raw);
    handle = static_cast<MidiInHandle>(raw);
    return result;
}

MidiResult MidiInClose(MidiInHandle handle)
{
    return MidiService::Instance().Close(true, Raw(handle));
}
MidiResult MidiInStart(MidiInHandle handle)
{
    return MidiService::Instance().Start(Raw(handle));
}
MidiResult MidiInStop(MidiInHandle handle)
{
    return MidiService::Instance().Stop(Raw(handle));
}
MidiResult MidiInReset(MidiInHandle handle)
{
    return MidiService::Instance().ResetInput(Raw(handle));
}

MidiResult MidiInPrepareHeader(MidiInHandle handle, MidiHeader* header)
{
    return MidiService::Instance().Prepare(true, Raw(handle), header);
}

MidiResult MidiInUnprepareHeader(MidiInHandle handle, MidiHeader* header)
{
    return MidiService::Instance().Unprepare(true, Raw(handle), header);
}

MidiResult MidiInAddBuffer(MidiInHandle handle, MidiHeader* header)
{
    return MidiService::Instance().AddBuffer(Raw(handle), header);
}

MidiResult MidiOutOpen(MidiOutHandle& handle, uint32_t deviceId, MidiOutCallback callback, uintptr_t instance,
                       uint32_t flags)
{
    uintptr_t raw = 0;
    const MidiResult result =
        MidiService::Instance().Open(false, deviceId, nullptr, callback, instance, flags, raw);
    handle = static_cast<MidiOutHandle>(raw);
    return result;
}

MidiResult MidiOutClose(MidiOutHandle handle)
{
    return MidiService::Instance().Close(false, Raw(handle));
}
MidiResult MidiOutReset(MidiOutHandle handle)
{
    return MidiService::Instance().ResetOutput(Raw(handle));
}

MidiResult MidiOutShortMessage(MidiOutHandle handle, uint32_t message)
{
    return MidiService::Instance().SendShort(Raw(handle), message);
}

MidiResult MidiOutPrepareHeader(MidiOutHandle handle, MidiHeader* header)
{
    return MidiService::Instance().Prepare(false, Raw(handle), header);
}

MidiResult MidiOutUnprepareHeader(MidiOutHandle handle, MidiHeader* header)
{
    return MidiService::Instance().Unprepare(false, Raw(handle), header);
}

MidiResult MidiOutLongMessage(MidiOutHandle handle, MidiHeader* header)
{
    return MidiService::Instance().SendLong(Raw(handle), header);
}
} // namespace Platform
