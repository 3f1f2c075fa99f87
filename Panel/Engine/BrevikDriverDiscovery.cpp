#include "Panel/Engine/BrevikDriverDiscovery.h"

#include "Panel/Engine/AudioDriverInterface.h"
#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Clock/Clock.h"
#include "Platform/Driver/Driver.h"
#include "Platform/Registry/Registry.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <vector>

namespace
{
using AudioDriverInterface::kAttachedValue;
using AudioDriverInterface::kDriversKey;
using AudioDriverInterface::kInstancesKey;
using AudioDriverInterface::kLastPathValue;
constexpr uint32_t kAccess = Platform::RegKeyRead | Platform::RegWow64_32Key;
constexpr uint32_t kLastPathBytes = 520;
constexpr uint32_t kAttachedBytes = 32;
constexpr uint32_t kPollMilliseconds = 250;
constexpr uint32_t kInitialRoom = 8;

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return 0;
}

void AppendHex(std::u16string& text, uint8_t byte)
{
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 15];
}

// Reads a 32-bit little-endian value from 8 hexadecimal digits, two per byte.
int32_t IdFromDigits(const std::u16string& digits)
{
    uint8_t bytes[4];
    for (size_t i = 0; i < sizeof bytes; ++i)
        bytes[i] = static_cast<uint8_t>(HexValue(digits[2 * i]) * 16 + HexValue(digits[2 * i + 1]));
    return static_cast<int32_t>(Platform::LittleEndian::GetU32(bytes));
}

std::u16string DigitsOf(uint32_t value)
{
    uint8_t bytes[4];
    Platform::LittleEndian::StoreU32(bytes, value);
    std::u16string text;
    for (const uint8_t byte : bytes)
        AppendHex(text, byte);
    return text;
}

// Closes a registry key when the scope ends.
class KeyCloser
{
public:
    explicit KeyCloser(Platform::RegKey key) : mKey(key) {}
    ~KeyCloser() { Platform::RegistryCloseKey(mKey); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    Platform::RegKey mKey;
};

bool ReadAttachedOf(Platform::RegKey instancesKey, const std::u16string& instanceName)
{
    Platform::RegKey attached = 0;
    if (Platform::RegistryOpenKey(instancesKey, instanceName + u"\\" + kAttachedValue, kAccess, &attached) !=
        Platform::RegSuccess)
        return false;
    KeyCloser closer(attached);
    return ReadBrevikAttachedState(attached);
}

void EnumerateInstancesOf(Platform::RegKey deviceKey, const std::u16string& driverName, int32_t vendorId,
                          int32_t productId, BrevikDriverDeviceInfo* records, uint32_t capacity,
                          uint32_t& count, uint32_t& total)
{
    Platform::RegKey instances = 0;
    if (Platform::RegistryOpenKey(deviceKey, kInstancesKey, kAccess, &instances) != Platform::RegSuccess)
        return;
    KeyCloser closer(instances);
    std::u16string name;
    for (uint32_t index = 0; Platform::RegistryEnumKey(instances, index, &name) == Platform::RegSuccess;
         ++index)
    {
        if (name.size() != 32)
            continue;
        ++total;
        if (records == nullptr || total > capacity)
            continue;
        BrevikDriverDeviceInfo& record = records[count++];
        record.driverName = driverName.substr(0, BrevikDriverDeviceInfo::kMaxDriverNameLength);
        record.vendorId = vendorId;
        record.productId = productId;
        record.instanceId = BrevikHexToBytes(name);
        record.attached = ReadAttachedOf(instances, name);
    }
}

bool Matches(const BrevikDriverDeviceInfo& record, int32_t vendorId, int32_t productId,
             const BrevikInstanceId& instanceId)
{
    const bool anyInstance =
        std::all_of(instanceId.begin(), instanceId.end(), [](uint8_t b) { return b == 0; });
    return record.attached && (vendorId == -1 || record.vendorId == vendorId) &&
           (productId == -1 || record.productId == productId) &&
           (anyInstance || record.instanceId == instanceId);
}
} // namespace

std::u16string BrevikDriverKeyPath(const std::u16string& driverName)
{
    return std::u16string(kDriversKey) + u"\\" + driverName;
}

std::u16string BrevikDeviceKeyName(int32_t vendorId, int32_t productId)
{
    return DigitsOf(0x04030201u) + DigitsOf(static_cast<uint32_t>(vendorId)) +
           DigitsOf(static_cast<uint32_t>(productId)) + DigitsOf(0xADFBCADEu);
}

std::u16string BrevikInstanceKeyPath(const BrevikDriverDeviceInfo& info)
{
    return BrevikDriverKeyPath(info.driverName) + u"\\" + BrevikDeviceKeyName(info.vendorId, info.productId) +
           u"\\" + kInstancesKey + u"\\" + BrevikBytesToHex(info.instanceId);
}

bool ParseBrevikDeviceKeyName(const std::u16string& name, int32_t* vendorId, int32_t* productId)
{
    if (name.size() != 32 || name.compare(0, 8, u"01020304") != 0 || name.compare(24, 8, u"DECAFBAD") != 0)
        return false;
    if (vendorId)
        *vendorId = IdFromDigits(name.substr(8, 8));
    if (productId)
        *productId = IdFromDigits(name.substr(16, 8));
    return true;
}

std::u16string BrevikBytesToHex(const BrevikInstanceId& bytes)
{
    std::u16string text;
    text.reserve(32);
    for (const uint8_t byte : bytes)
        AppendHex(text, byte);
    return text;
}

BrevikInstanceId BrevikHexToBytes(const std::u16string& text)
{
    BrevikInstanceId bytes{};
    for (size_t i = 0; i < bytes.size() && 2 * i + 1 < text.size(); ++i)
        bytes[i] = static_cast<uint8_t>(HexValue(text[2 * i]) * 16 + HexValue(text[2 * i + 1]));
    return bytes;
}

std::array<uint8_t, 24> MakeBrevikRequestHeader(const std::array<uint8_t, 16>& interfaceId, uint32_t code,
                                                uint32_t group)
{
    std::array<uint8_t, 24> header{};
    std::copy(interfaceId.begin(), interfaceId.end(), header.begin());
    Platform::LittleEndian::StoreU32(header.data() + 16, code);
    Platform::LittleEndian::StoreU32(header.data() + 20, group);
    return header;
}

bool ReadBrevikAttachedState(intptr_t attachedKey)
{
    uint8_t bytes[kAttachedBytes] = {};
    uint32_t type = 0;
    uint32_t size = sizeof bytes;
    if (Platform::RegistryQueryValue(attachedKey, u"", &type, bytes, &size) != Platform::RegSuccess)
        return false;
    return type == Platform::RegBinary && size > 0 && size <= sizeof bytes && bytes[size - 1] != 0;
}

bool ReadBrevikLastPath(intptr_t instanceKey, std::u16string& path)
{
    uint8_t bytes[kLastPathBytes] = {};
    uint32_t type = 0;
    uint32_t size = sizeof bytes;
    if (Platform::RegistryQueryValue(instanceKey, kLastPathValue, &type, bytes, &size) !=
        Platform::RegSuccess)
        return false;
    if (type != Platform::RegSz && type != Platform::RegExpandSz)
        return false;
    // Only the bytes the value holds count, and only up to its first terminator.
    path.clear();
    for (uint32_t i = 0; i + 1 < std::min<uint32_t>(size, sizeof bytes); i += 2)
    {
        const auto unit = static_cast<char16_t>(Platform::LittleEndian::GetU16(bytes + i));
        if (unit == 0)
            break;
        path += unit;
    }
    return !path.empty();
}

void EnumerateDriverInstances(const std::u16string& driverName, BrevikDriverDeviceInfo* records,
                              uint32_t capacity, uint32_t& count, uint32_t& total)
{
    count = 0;
    total = 0;
    Platform::RegKey driverKey = 0;
    if (Platform::RegistryOpenKey(Platform::RegLocalMachine, BrevikDriverKeyPath(driverName), kAccess,
                                  &driverKey) != Platform::RegSuccess)
        return;
    KeyCloser closer(driverKey);
    std::u16string name;
    for (uint32_t index = 0; Platform::RegistryEnumKey(driverKey, index, &name) == Platform::RegSuccess;
         ++index)
    {
        int32_t vendorId = 0;
        int32_t productId = 0;
        if (name.size() > 255 || !ParseBrevikDeviceKeyName(name, &vendorId, &productId))
            continue;
        Platform::RegKey deviceKey = 0;
        if (Platform::RegistryOpenKey(driverKey, name, kAccess, &deviceKey) != Platform::RegSuccess)
            continue;
        KeyCloser deviceCloser(deviceKey);
        EnumerateInstancesOf(deviceKey, driverName, vendorId, productId, records, capacity, count, total);
    }
}

int32_t FindDriverDevice(uint32_t waitMilliseconds, BrevikDriverDeviceInfo& record,
                         const std::u16string& driverName, int32_t vendorId, int32_t productId,
                         const BrevikInstanceId& instanceId)
{
    std::vector<BrevikDriverDeviceInfo> records;
    uint32_t room = kInitialRoom;
    uint32_t waitLeft = waitMilliseconds;
    for (;;)
    {
        try
        {
            records.resize(room);
        }
        catch (const std::bad_alloc&)
        {
            return kFindDriverDeviceOutOfMemory;
        }
        uint32_t count = 0;
        uint32_t total = 0;
        EnumerateDriverInstances(driverName, records.data(), room, count, total);
        for (uint32_t i = 0; i < count; ++i)
        {
            if (Matches(records[i], vendorId, productId, instanceId))
            {
                record = records[i];
                return kFindDriverDeviceFound;
            }
        }
        if (total > room)
        {
            room = total;
            continue;
        }
        if (waitLeft == 0)
            return kFindDriverDeviceNotFound;
        const uint32_t pause = std::min(waitLeft, kPollMilliseconds);
        Platform::SleepFor(std::chrono::milliseconds(pause));
        waitLeft -= pause;
    }
}

intptr_t OpenBrevikInstanceDevice(const BrevikDriverDeviceInfo& record)
{
    std::u16string path;
    {
        Platform::RegKey instanceKey = 0;
        if (Platform::RegistryOpenKey(Platform::RegLocalMachine, BrevikInstanceKeyPath(record), kAccess,
                                      &instanceKey) != Platform::RegSuccess)
            return Platform::InvalidDriverHandle;
        KeyCloser closer(instanceKey);
        if (!ReadBrevikLastPath(instanceKey, path))
            return Platform::InvalidDriverHandle;
    }
    return Platform::OpenDriverDevice(path);
}

bool SetDriverUpdateRequest(const BrevikDriverDeviceInfo& record, bool on)
{
    const Platform::DriverHandle handle = OpenBrevikInstanceDevice(record);
    if (handle == Platform::InvalidDriverHandle)
        return false;
    const auto header =
        MakeBrevikRequestHeader(AudioDriverInterface::kUpdateControlInterface,
                                AudioDriverInterface::kUpdateControl, AudioDriverInterface::kControlGroup);
    uint8_t value[4] = {};
    Platform::LittleEndian::StoreU32(value, on ? AudioDriverInterface::kUpdateControlOn
                                               : AudioDriverInterface::kUpdateControlOff);
    uint32_t returned = 0;
    const bool accepted =
        Platform::DriverIoControl(handle, AudioDriverInterface::kIoControlCode, header.data(),
                                  static_cast<uint32_t>(header.size()), value, sizeof value, &returned);
    Platform::CloseDriverDevice(handle);
    return accepted;
}
