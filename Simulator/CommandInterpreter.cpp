#include "Simulator/CommandInterpreter.h"

#include "Platform/Registry/RegistryValues.h"
#include "Platform/Text/Utf.h"
#include "Simulator/Mixer.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <vector>

namespace Simulator
{
namespace
{
// The longest delay or interval taken: a day, far within what the clock's durations hold.
constexpr uint64_t MaxMilliseconds = 24ull * 60 * 60 * 1000;

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Splits off the first word; the rest is trimmed.
std::pair<std::string, std::string> SplitWord(const std::string& text)
{
    const std::string trimmed = Trim(text);
    const auto space = trimmed.find_first_of(" \t");
    if (space == std::string::npos)
        return {trimmed, {}};
    return {trimmed.substr(0, space), Trim(trimmed.substr(space))};
}

std::optional<uint64_t> ParseNumber(const std::string& text)
{
    const std::string trimmed = Trim(text);
    int base = 10;
    size_t start = 0;
    if (trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X'))
    {
        base = 16;
        start = 2;
    }
    uint64_t value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] = std::from_chars(trimmed.data() + start, end, value, base);
    if (trimmed.empty() || error != std::errc{} || stop != end)
        return std::nullopt;
    return value;
}

std::optional<std::vector<uint8_t>> ParseBytes(const std::string& text)
{
    std::string digits;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            digits += c;
    if (digits.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2)
    {
        uint8_t byte = 0;
        const auto [stop, error] = std::from_chars(digits.data() + i, digits.data() + i + 2, byte, 16);
        if (error != std::errc{} || stop != digits.data() + i + 2)
            return std::nullopt;
        bytes.push_back(byte);
    }
    return bytes;
}

std::optional<Version> ParseVersion(const std::string& text)
{
    Version version{};
    std::stringstream parts(Trim(text));
    std::string part;
    size_t count = 0;
    while (std::getline(parts, part, '.'))
    {
        const auto value = ParseNumber(part);
        if (!value || *value > 255 || count == 4)
            return std::nullopt;
        version[count++] = static_cast<uint8_t>(*value);
    }
    if (count != 4)
        return std::nullopt;
    return version;
}

std::string ToHex(const std::vector<uint8_t>& bytes, size_t offset = 0, size_t count = SIZE_MAX)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = offset; i < bytes.size() && i - offset < count; ++i)
    {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

uint32_t Crc32(const std::vector<uint8_t>& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const uint8_t byte : bytes)
    {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string Milliseconds(Platform::Duration duration)
{
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

const char* PolicyName(ReleasePolicy policy)
{
    switch (policy)
    {
    case ReleasePolicy::Immediate:
        return "immediate";
    case ReleasePolicy::Delayed:
        return "delayed";
    case ReleasePolicy::Paced:
        return "paced";
    case ReleasePolicy::Never:
        return "never";
    }
    return "?";
}

std::optional<std::u16string> TextOrNone(const std::string& argument)
{
    if (argument == "none")
        return std::nullopt;
    return Platform::Utf8ToUtf16(argument);
}

const char* const HelpText =
    "OK status | plug | unplug | mode normal|update | version A.B.C.D | new-version A.B.C.D | "
    "reply-delay MS | reply raw BYTES | reply default | driver-version TEXT|none | product-code TEXT|none | "
    "instances N | attached BYTES|none|follow | lastpath TEXT | "
    "release immediate|delayed MS|paced MS|never|now | fail CODE|open after N | fail clear | "
    "exclusive on|off | ready-mask N | input PORT BYTES | reboot-delay MS | image-size N | "
    "log | log clear | firmware | firmware hex [OFFSET [COUNT]] | firmware clear | reset | quit";
} // namespace

std::string CommandInterpreter::Execute(const std::string& line)
{
    const auto [command, argument] = SplitWord(line);
    const auto number = ParseNumber(argument);
    const bool isDuration = number && *number <= MaxMilliseconds;
    const auto milliseconds = [&] { return std::chrono::milliseconds(static_cast<int64_t>(*number)); };

    if (command == "help")
        return HelpText;
    if (command == "status")
        return Status();
    if (command == "plug")
    {
        const std::string problem = mMixer.Plug();
        return problem.empty() ? "OK plugged" : "ERR plugged, but " + problem;
    }
    if (command == "unplug")
        return mMixer.Unplug(), "OK unplugged";
    if (command == "mode" && (argument == "normal" || argument == "update"))
        return mMixer.SetMode(argument == "normal" ? DeviceMode::Normal : DeviceMode::Update),
               "OK mode " + argument;
    if ((command == "version" || command == "new-version") && ParseVersion(argument))
    {
        const Version version = *ParseVersion(argument);
        command == "version" ? mMixer.SetVersion(version) : mMixer.SetNewVersion(version);
        return "OK " + command + " " + Mixer::VersionText(version);
    }
    if (command == "reply-delay" && isDuration)
        return mMixer.SetReplyDelay(milliseconds()), "OK reply-delay " + argument;
    if (command == "reply" && argument == "default")
        return mMixer.SetRawReply(std::nullopt), "OK reply default";
    if (command == "reply" && SplitWord(argument).first == "raw")
    {
        auto bytes = ParseBytes(SplitWord(argument).second);
        if (!bytes || bytes->empty())
            return "ERR reply raw needs hex bytes";
        const size_t size = bytes->size();
        mMixer.SetRawReply(std::move(bytes));
        return "OK reply raw " + std::to_string(size) + " bytes";
    }
    if (command == "driver-version" && !argument.empty())
        return mMixer.SetDriverVersion(TextOrNone(argument)), "OK driver-version " + argument;
    if (command == "product-code" && !argument.empty())
        return mMixer.SetProductCode(TextOrNone(argument)), "OK product-code " + argument;
    if (command == "instances" && number && *number <= 64)
        return mMixer.SetInstanceCount(static_cast<uint32_t>(*number)), "OK instances " + argument;
    if (command == "attached" && (argument == "none" || argument == "follow"))
    {
        mMixer.SetAttached(argument == "none" ? AttachedMode::Missing : AttachedMode::FollowPresence);
        return "OK attached " + argument;
    }
    if (command == "attached" && ParseBytes(argument))
        return mMixer.SetAttached(AttachedMode::Fixed, *ParseBytes(argument)), "OK attached " + argument;
    if (command == "lastpath" && !argument.empty())
        return mMixer.SetLastPath(Platform::Utf8ToUtf16(argument)), "OK lastpath " + argument;
    if (command == "release")
        return Release(argument);
    if (command == "fail")
        return Fail(argument);
    if (command == "exclusive" && (argument == "on" || argument == "off"))
        return mMixer.Driver().SetExclusive(argument == "on"), "OK exclusive " + argument;
    if (command == "ready-mask" && number && *number <= 0xFFFFFFFFu)
        return mMixer.Driver().SetReadyMask(static_cast<uint32_t>(*number)), "OK ready-mask " + argument;
    if (command == "input")
    {
        const auto [portText, bytesText] = SplitWord(argument);
        const auto port = ParseNumber(portText);
        auto bytes = ParseBytes(bytesText);
        if (!port || *port >= 32 || !bytes || bytes->empty())
            return "ERR input needs a port below 32 and hex bytes";
        mMixer.Driver().QueueInput(static_cast<uint32_t>(*port), std::move(*bytes));
        return "OK input " + portText;
    }
    if (command == "reboot-delay" && isDuration)
        return mMixer.SetRebootDelay(milliseconds()), "OK reboot-delay " + argument;
    if (command == "image-size" && number)
        return mMixer.SetImageSize(static_cast<size_t>(*number)), "OK image-size " + argument;
    if (command == "log")
        return Log(argument);
    if (command == "firmware")
        return Firmware(argument);
    if (command == "reset")
        return mMixer.Reset(), "OK reset";
    if (command == "quit")
    {
        mQuit = true;
        return "OK quit";
    }
    if (command.empty())
        return "ERR empty command";
    return "ERR bad command or argument: " + Trim(line);
}

std::string CommandInterpreter::Status() const
{
    const MixerSettings settings = mMixer.Settings();
    std::string status = "OK plugged=" + std::string(mMixer.IsPlugged() ? "1" : "0");
    status += " mode=" + std::string(settings.mode == DeviceMode::Normal ? "normal" : "update");
    status += " version=" + Mixer::VersionText(settings.version);
    status += " new-version=" + Mixer::VersionText(settings.newVersion);
    status += " reply-delay=" + Milliseconds(settings.replyDelay);
    status += " driver-version=" +
              (settings.driverVersion ? Platform::Utf16ToUtf8(*settings.driverVersion) : "none");
    status += " instances=" + std::to_string(settings.instanceCount);
    status += " release=" + std::string(PolicyName(mMixer.Driver().GetReleasePolicy()));
    status += " exclusive=" + std::string(mMixer.Driver().IsExclusive() ? "on" : "off");
    status += " update-control=" + std::string(mMixer.Driver().IsUpdateControlOn() ? "1" : "0");
    status += " handles=" + std::to_string(mMixer.Driver().OpenHandleCount());
    status += " held=" + std::to_string(mMixer.Driver().HeldWriteCount());
    status += " firmware=" + std::to_string(mMixer.Driver().FirmwareSize());
    status += " reboots=" + std::to_string(mMixer.RebootCount());
    return status;
}

std::string CommandInterpreter::Release(const std::string& argument)
{
    const auto [policy, rest] = SplitWord(argument);
    const auto interval = ParseNumber(rest);
    auto& driver = mMixer.Driver();
    if (policy == "immediate" && rest.empty())
        driver.SetReleasePolicy(ReleasePolicy::Immediate);
    else if (policy == "never" && rest.empty())
        driver.SetReleasePolicy(ReleasePolicy::Never);
    else if (policy == "now" && rest.empty())
        driver.ReleaseAll();
    else if ((policy == "delayed" || policy == "paced") && interval && *interval <= MaxMilliseconds)
        driver.SetReleasePolicy(policy == "delayed" ? ReleasePolicy::Delayed : ReleasePolicy::Paced,
                                std::chrono::milliseconds(static_cast<int64_t>(*interval)));
    else
        return "ERR release immediate|delayed MS|paced MS|never|now";
    return "OK release " + argument;
}

std::string CommandInterpreter::Fail(const std::string& argument)
{
    if (argument == "clear")
    {
        mMixer.Driver().ClearFailures();
        return "OK fail clear";
    }
    std::stringstream words(argument);
    std::string codeText, after, countText, extra;
    words >> codeText >> after >> countText >> extra;
    const auto code = codeText == "open" ? std::optional<uint64_t>(0) : ParseNumber(codeText);
    const auto count = ParseNumber(countText);
    if (!code || *code > 0xFFFFFFFFu || after != "after" || !count || *count > 0xFFFFFFFFu || !extra.empty())
        return "ERR fail CODE|open after N, or fail clear";
    mMixer.Driver().FailAfter(static_cast<uint32_t>(*code), static_cast<uint32_t>(*count));
    return "OK fail " + argument;
}

std::string CommandInterpreter::Log(const std::string& argument)
{
    if (argument == "clear")
    {
        mMixer.Log().Clear();
        return "OK log clear";
    }
    if (!argument.empty())
        return "ERR log or log clear";
    const auto entries = mMixer.Log().Entries();
    const auto start = mMixer.Log().Start();
    std::string reply = "OK " + std::to_string(entries.size());
    for (const auto& entry : entries)
        reply += " | " + entry.ToString(start);
    return reply;
}

std::string CommandInterpreter::Firmware(const std::string& argument)
{
    const auto [word, rest] = SplitWord(argument);
    if (word == "clear" && rest.empty())
    {
        mMixer.Driver().ClearFirmware();
        return "OK firmware clear";
    }
    const auto firmware = mMixer.Driver().Firmware();
    if (argument.empty())
    {
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08X", Crc32(firmware));
        return "OK " + std::to_string(firmware.size()) + " " + crc;
    }
    if (word != "hex")
        return "ERR firmware, firmware hex [OFFSET [COUNT]] or firmware clear";
    const auto [offsetText, countText] = SplitWord(rest);
    const auto offset = offsetText.empty() ? std::optional<uint64_t>(0) : ParseNumber(offsetText);
    const auto count = countText.empty() ? std::optional<uint64_t>(SIZE_MAX) : ParseNumber(countText);
    if (!offset || !count)
        return "ERR firmware hex [OFFSET [COUNT]]";
    return "OK " + ToHex(firmware, static_cast<size_t>(*offset), static_cast<size_t>(*count));
}
} // namespace Simulator
