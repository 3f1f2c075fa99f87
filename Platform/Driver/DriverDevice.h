#pragma once

#include <cstdint>
#include <vector>

namespace Platform
{
// Identifies one open handle on the device side; never reused within a process.
using DriverConnectionId = uint64_t;

// One request as the device side receives it: the caller's input buffer and the current contents of its
// output buffer.
struct DriverRequest
{
    uint32_t ioControlCode = 0;
    std::vector<uint8_t> input;
    std::vector<uint8_t> output;
};

// The device's answer. `output` is copied back into the caller's output buffer; `flags` are
// DriverWire::ReplyFlags; `writeId` names an accepted write; `readData` goes to a read request's buffer.
struct DriverReply
{
    bool ok = false;
    uint32_t bytesReturned = 0;
    std::vector<uint8_t> output;
    uint32_t flags = 0;
    uint32_t writeId = 0;
    std::vector<uint8_t> readData;
};

// The behaviour behind a device socket (the simulated driver implements it). DriverEndpoint calls these
// on its own thread, one at a time; they must not stop the endpoint.
class IDriverDevice
{
public:
    virtual ~IDriverDevice() = default;

    // A program opens the device; false refuses the open.
    virtual bool OnOpen(DriverConnectionId connection) = 0;
    // An opened handle ends: closed by the program, disconnected, or the endpoint stopped.
    virtual void OnClose(DriverConnectionId connection) = 0;
    virtual DriverReply OnRequest(DriverConnectionId connection, const DriverRequest& request) = 0;
    // The bytes of a write that OnRequest accepted under writeId, read from the program's buffer.
    virtual void OnWriteData(DriverConnectionId connection, uint32_t writeId, std::vector<uint8_t> bytes) = 0;
};
} // namespace Platform
