#include "Panel/Engine/UpdateEngine.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Feeds arbitrary bytes to the engine's reader of the device's identity reply (any MIDI device on the
// port may send anything): only a reply of the accepted form is taken, its version is the bytes as sent,
// and its text is one of the known ones.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the given size, so that the sanitizer sees any read past its end.
    const std::vector<signed char> bytes(data, data + size);
    const auto count = static_cast<int32_t>(size > INT32_MAX ? INT32_MAX : size);
    LUpdateEngine::FirmwareVersion version;
    const bool accepted = LUpdateEngine::DecodeIdentityReply(bytes.data(), count, version);
    const bool expected =
        size == 37 && data[0] == 0xF0 && data[1] == 0x7E && data[3] == 0x06 && data[4] == 0x02;
    if (accepted != expected)
        __builtin_trap();
    if (!accepted)
        return 0;
    const auto component = [&](size_t i) { return static_cast<uint32_t>(static_cast<int32_t>(bytes[i])); };
    if (version.mMajor != component(11) || version.mMinor != component(12) ||
        version.mPatch != component(13) || version.mBuild != component(14))
        __builtin_trap();
    const char16_t* const known[] = {u"1.0", u"1.1", u"1.1.1", u"1.2", u"1.3", u"1.5", u"Unknown"};
    bool isKnown = false;
    for (const char16_t* text : known)
        isKnown = isKnown || version.mText == ZQ::WString(text);
    if (!isKnown)
        __builtin_trap();
    return 0;
}
