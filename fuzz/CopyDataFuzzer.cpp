#include "Platform/Window/CopyData.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

// Feeds arbitrary bytes to the hand-over between two instances as the second one's copy-data (any
// process can send them) and takes the command line from them as the first instance does: the text ends
// at the first NUL or with the bytes, never past them, and converts to the program's wide text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the given size, so that the sanitizer sees any read past its end.
    const std::basic_string<uint8_t> bytes(data, size);
    const std::string text = Platform::Window::CopyDataText(std::span(bytes.data(), bytes.size()));
    if (text.size() > size || text.find('\0') != std::string::npos ||
        std::memcmp(text.data(), bytes.data(), text.size()) != 0 ||
        (text.size() < size && data[text.size()] != 0))
        __builtin_trap();

    ZQ::WString commandLine;
    commandLine.Assign(text.c_str(), static_cast<int>(text.size()));
    if (commandLine.GetLength() > static_cast<int>(text.size()))
        __builtin_trap();
    (void)commandLine.ToUpper();
    return 0;
}
