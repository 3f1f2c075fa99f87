#pragma once

#include "Simulator/Forward.h"

#include <atomic>
#include <string>

namespace Simulator
{
// The simulator's control language: one command per line, one reply line, "OK ..." or "ERR ...".
// Commands (numbers in decimal or 0x hex, durations in milliseconds, bytes as hex pairs, spaces allowed):
//   status | help | plug | unplug | mode normal|update | version A.B.C.D | new-version A.B.C.D
//   reply-delay MS | reply raw BYTES | reply default | driver-version TEXT|none | product-code TEXT|none
//   instances N | attached BYTES|none|follow | lastpath TEXT
//   release immediate|delayed MS|paced MS|never|now | fail CODE|open after N | fail clear
//   exclusive on|off | ready-mask N | input PORT BYTES | reboot-delay MS | image-size N
//   log | log clear | firmware | firmware hex [OFFSET [COUNT]] | firmware clear | reset | quit
// "log" answers "OK <count>" and the entries, each after " | "; "firmware" answers "OK <size> <crc32>".
// Owned by the control server (or a test); it drives the mixer it was given.
class CommandInterpreter
{
public:
    explicit CommandInterpreter(Mixer& mixer) : mMixer(mixer) {}

    [[nodiscard]] std::string Execute(const std::string& line);
    // Set once "quit" was executed.
    [[nodiscard]] bool QuitRequested() const { return mQuit.load(); }

private:
    std::string Status() const;
    std::string Log(const std::string& argument);
    std::string Firmware(const std::string& argument);
    std::string Release(const std::string& argument);
    std::string Fail(const std::string& argument);

    Mixer& mMixer;
    std::atomic<bool> mQuit{false};
};
} // namespace Simulator
