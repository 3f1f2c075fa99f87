#pragma once

#include <array>
#include <cstdint>
#include <string>

// Finding the devices that the maker's USB audio driver serves, through the registry entries it writes
// below HKEY_LOCAL_MACHINE: "Software\Brevik\Audio\Drivers\<driver name>\<device key>\Instances\<instance>",
// where an instance key holds the device path ("LastPath") and the subkey "Attached". Also the common
// header of every driver request and the request that switches the driver's update handling.

using BrevikInstanceId = std::array<uint8_t, 16>;

// One found instance of a device model.
struct BrevikDriverDeviceInfo
{
    static constexpr size_t kMaxDriverNameLength = 39;

    std::u16string driverName; // at most kMaxDriverNameLength characters
    int32_t vendorId = 0;
    int32_t productId = 0;
    BrevikInstanceId instanceId{};
    bool attached = false;
};

// The driver's key below HKEY_LOCAL_MACHINE.
[[nodiscard]] std::u16string BrevikDriverKeyPath(const std::u16string& driverName);
// The key of one instance: driver key, device key, "Instances" and the instance id digits.
[[nodiscard]] std::u16string BrevikInstanceKeyPath(const BrevikDriverDeviceInfo& info);
// The 32 upper-case hexadecimal digits naming a device model's key.
[[nodiscard]] std::u16string BrevikDeviceKeyName(int32_t vendorId, int32_t productId);
// True for a device key name; the ids are read from it when given.
[[nodiscard]] bool ParseBrevikDeviceKeyName(const std::u16string& name, int32_t* vendorId,
                                            int32_t* productId);

// 16 bytes as 32 upper-case digits, high nibble first; and back (a character that is no digit counts as 0).
[[nodiscard]] std::u16string BrevikBytesToHex(const BrevikInstanceId& bytes);
[[nodiscard]] BrevikInstanceId BrevikHexToBytes(const std::u16string& text);

// The 24-byte input header of a driver request: interface id, request code, request group.
[[nodiscard]] std::array<uint8_t, 24> MakeBrevikRequestHeader(const std::array<uint8_t, 16>& interfaceId,
                                                              uint32_t code, uint32_t group);

// Fills at most capacity records (records may be null) with the instances of every device model of the
// driver, in registry order. count tells how many were filled, total how many instances exist.
void EnumerateDriverInstances(const std::u16string& driverName, BrevikDriverDeviceInfo* records,
                              uint32_t capacity, uint32_t& count, uint32_t& total);

// The attached state of an instance from its open "Attached" key: its default value read whole into 32
// bytes, of type REG_BINARY, not empty, and its last byte not 0. Anything else counts as detached.
[[nodiscard]] bool ReadBrevikAttachedState(intptr_t attachedKey);
// The device path of an instance ("LastPath" of its open key), read within its stored size and up to its
// first terminator; false when it is missing, no string, or longer than 259 characters.
[[nodiscard]] bool ReadBrevikLastPath(intptr_t instanceKey, std::u16string& path);

// Opens the device of an instance by the path its key holds ("LastPath"); the driver's handle, or
// Platform::InvalidDriverHandle (-1) when the key, the path or the device is missing. The attached state is
// not checked; the caller closes the handle with Platform::CloseDriverDevice.
[[nodiscard]] intptr_t OpenBrevikInstanceDevice(const BrevikDriverDeviceInfo& record);

// Results of FindDriverDevice.
inline constexpr int32_t kFindDriverDeviceFound = 0;
inline constexpr int32_t kFindDriverDeviceOutOfMemory = -1;
inline constexpr int32_t kFindDriverDeviceNotFound = -10;

// Looks for the first attached instance that matches (vendor or product -1: any; an all-zero instance id:
// any), reading the registry again every 250 ms until waitMilliseconds have passed.
[[nodiscard]] int32_t FindDriverDevice(uint32_t waitMilliseconds, BrevikDriverDeviceInfo& record,
                                       const std::u16string& driverName, int32_t vendorId, int32_t productId,
                                       const BrevikInstanceId& instanceId);

// Opens the instance's device, sends the update-control request with the value 1 (on) or 0 (off) and
// closes it again; true when the driver accepted the request. The attached state is not checked.
[[nodiscard]] bool SetDriverUpdateRequest(const BrevikDriverDeviceInfo& record, bool on);
