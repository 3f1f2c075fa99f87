#include "Panel/Engine/UpdateProcessor.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace
{
// Every option the program looks for.
const char16_t* const kOptions[] = {
    u"-ALWAYS_UPDATE",
    u"-RETURN_UPDATE_MODE_STATUS",
    u"-SILENT_IF_UPDATE_NOT_NEEDED",
    u"-SILENT",
    u"-START_UPDATE_AUTOMATICALLY",
    u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
    u"-FIRMWARE_IMAGE_NAME=",
    u"-DEBUG_CONSOLE",
    u"-DEBUG_CONSOLE:",
};

// Looks for an option; a value found must come from the line, and nothing found leaves none.
void Find(const ZQ::WString& commandLine, const ZQ::WString& option)
{
    ZQ::WString value;
    const bool found = FindOption(commandLine, option, value);
    if (value.GetLength() > commandLine.GetLength() || (!found && !value.IsEmpty()) ||
        (!value.IsEmpty() && commandLine.Find(value) < 0))
        __builtin_trap();
}
} // namespace

// Feeds arbitrary arguments (the bytes split at each NUL, as argv holds them) to the rebuilding of the
// command line and looks for every option in the result; the first argument is also looked for as an
// option of its own, in the line and in the raw text of the remaining bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> arguments{"q3300-splen-updater"};
    std::string current;
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == 0)
            arguments.push_back(std::exchange(current, {}));
        else
            current.push_back(static_cast<char>(data[i]));
    }
    arguments.push_back(current);
    std::vector<const char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    const ZQ::WString commandLine = BuildCommandLine(static_cast<int>(arguments.size()), argv.data());
    for (const char16_t* option : kOptions)
        Find(commandLine, ZQ::WString(option));

    ZQ::WString ownOption;
    ownOption.Assign(arguments[1].c_str());
    Find(commandLine, ownOption);
    std::string restText;
    for (size_t i = 2; i < arguments.size(); ++i)
        restText += (i > 2 ? " " : "") + arguments[i];
    ZQ::WString rest;
    rest.Assign(restText.c_str(), static_cast<int>(restText.size()));
    Find(rest, ownOption);
    return 0;
}
