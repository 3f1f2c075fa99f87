#pragma once

#include "Panel/Engine/BrevikDriverDiscovery.h"

#include <cstdint>
#include <memory>

class PrivateMidi;

// Receives the messages of an input port of the pipe, on the pipe's reader thread.
class PrivateMidiInputReceiver
{
public:
    virtual void OnData(uint32_t port, const uint8_t* data, uint32_t length, uint32_t valueLow,
                        uint32_t valueHigh, uint32_t flag, PrivateMidi& pipe) = 0;

protected:
    ~PrivateMidiInputReceiver() = default;
};

// The pipe to the device through the maker's driver: 32 output and 32 input ports carried by driver
// requests. Output bytes go to the driver in buffer slots that stay owned here until the driver releases
// them; a reader thread, woken by the driver's event or every 5 seconds, polls the input side. The device
// is opened (and reopened after a detach) while its instance is attached; ports must be opened again by
// the user after a detach. Owned by the update that sends through it.
class PrivateMidi
{
public:
    static constexpr uint32_t kPortCount = 32;
    static constexpr uint32_t kSlotCount = 16;

    // Results; 0 is success.
    static constexpr int32_t kBadPortOrNoSlot = -1;
    static constexpr int32_t kDeviceNotOpen = -2;
    static constexpr int32_t kPortNotOpen = -3;
    static constexpr int32_t kPortAlreadyOpen = -4;
    static constexpr int32_t kOpenFailed = -5;
    static constexpr int32_t kCloseFailed = -6;
    static constexpr int32_t kWriteFailed = -8;

    explicit PrivateMidi(const BrevikDriverDeviceInfo& record);
    virtual ~PrivateMidi();
    PrivateMidi(const PrivateMidi&) = delete;
    PrivateMidi& operator=(const PrivateMidi&) = delete;

    [[nodiscard]] int32_t OpenPort(uint32_t port);
    // Hands the bytes to the driver in one buffer slot and returns without waiting for the driver.
    [[nodiscard]] int32_t Send(uint32_t port, const uint8_t* bytes, uint32_t length);
    // Waits (up to 2 s per port) for the buffers in flight, closes every port and asks the driver to do so.
    int32_t CloseAllPorts();

    [[nodiscard]] bool IsDeviceOpen() const;

    struct MemberData;

private:
    std::unique_ptr<MemberData> mData;
};
