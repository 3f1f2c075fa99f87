#include "Platform/Midi/MidiWire.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Feeds arbitrary bytes to the readers of the socket ports' wire and files (a peer, or whatever else
// publishes in the port folder, may send and write anything): as a received packet, as a port's name file
// and as a file name in the folder. A packet read must lie within the bytes and write back to them; a
// name read stays within the length every name has.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Platform::MidiWire;
    // A copy of exactly the given size, so that the sanitizer sees any read past its end.
    const std::vector<uint8_t> bytes(data, data + size);

    if (const auto frame = ReadFrame(bytes))
    {
        const std::vector<uint8_t> part(frame->bytes.begin(), frame->bytes.end());
        std::vector<uint8_t> again;
        switch (frame->type)
        {
        case kFrameShort:
            again = ShortFrame(part);
            break;
        case kFrameLong:
            again = LongFrames(frame->sequence, part).front();
            again[5] = bytes[5];
            break;
        case kFrameDone:
            again = DoneFrame(frame->sequence);
            again.insert(again.end(), bytes.begin() + static_cast<std::ptrdiff_t>(again.size()), bytes.end());
            break;
        default:
            again = bytes;
            break;
        }
        // A long part above the largest one is more than a frame and never comes in one packet.
        if (again != bytes && !(frame->type == kFrameLong && part.size() > kMaxLongPart))
            __builtin_trap();
    }

    if (const auto name = NameFromContents(bytes))
    {
        const std::string contents = NameFileContents(*name);
        const auto* written = reinterpret_cast<const uint8_t*>(contents.data());
        if (name->size() > kMaxNameUnits || NameFromContents(std::span(written, contents.size())) != name)
            __builtin_trap();
    }

    const std::string fileName(bytes.begin(), bytes.end());
    if ((IsPortFileName(fileName, true) || IsPortFileName(fileName, false)) &&
        fileName.size() > kPortFileNameLength)
        __builtin_trap();
    return 0;
}
