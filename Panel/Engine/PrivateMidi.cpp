#include "Panel/Engine/PrivateMidi.h"

#include "Panel/Engine/AudioDriverInterface.h"
#include "Panel/Engine/BrevikDriverDevice.h"
#include "Panel/Engine/BrevikMutex.h"
#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Clock/Clock.h"
#include "Platform/Driver/DriverEvent.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{
namespace Driver = AudioDriverInterface;
using Platform::LittleEndian::GetU32;
using Platform::LittleEndian::StoreU32;
using Platform::LittleEndian::StoreU64;

// A full set of slots in flight is looked at again every millisecond, this many times.
constexpr uint32_t kSlotRetries = 499;
// Closing waits for a port's buffers in flight this long, looking every 10 ms.
constexpr uint32_t kCloseWaitMilliseconds = 2000;
constexpr uint32_t kCloseLookMilliseconds = 10;
// The reader looks for input at least this often.
constexpr uint32_t kReaderWakeMilliseconds = 5000;

// The driver flips a slot's first byte from its own thread, so that byte is always read and written
// atomically here.
uint8_t LoadFirstByte(const uint8_t* data)
{
    return std::atomic_ref<uint8_t>(*const_cast<uint8_t*>(data)).load(std::memory_order_acquire);
}

void StoreFirstByte(uint8_t* data, uint8_t value)
{
    std::atomic_ref<uint8_t>(*data).store(value, std::memory_order_release);
}

// A buffer handed to the driver: unused without data, in flight while its first byte differs from its
// guard, free when they are equal.
struct OutputSlot
{
    uint8_t* data = nullptr; // from malloc
    uint32_t capacity = 0;
    uint8_t guard = 0;

    [[nodiscard]] bool IsUnused() const { return data == nullptr; }
    [[nodiscard]] bool IsFree() const { return data != nullptr && LoadFirstByte(data) == guard; }
    [[nodiscard]] bool IsInFlight() const { return data != nullptr && LoadFirstByte(data) != guard; }
    void MakeFree() { guard = LoadFirstByte(data); }
};

struct OutputPort
{
    std::atomic<bool> open{false};
    BrevikMutex lock; // guards slots
    std::array<OutputSlot, PrivateMidi::kSlotCount> slots;
};

struct InputPort
{
    std::atomic<bool> open{false};
    BrevikMutex lock;                             // guards the fields below
    PrivateMidiInputReceiver* receiver = nullptr; // not owned
    uint8_t* buffer = nullptr;                    // not owned
    uint32_t size = 0;
    uint32_t position = 0;
};
} // namespace

struct PrivateMidi::MemberData final : BrevikDeviceAttachedStateCallbackReceiver
{
    MemberData(PrivateMidi& pipe, const BrevikDriverDeviceInfo& record)
        : device(std::make_unique<BrevikDriverDevice>(record)), owner(pipe)
    {
    }

    void OnAttachedStateChanged(bool attached, BrevikDriverDevice& changed) override;

    bool PipeRequest(uint32_t code, uint32_t group, uint8_t* output, uint32_t outputSize,
                     const uint8_t* extraInput = nullptr, uint32_t extraSize = 0);
    bool WakeEventRequest(uint32_t code);
    [[nodiscard]] int TakeSlot(OutputPort& port, const uint8_t* bytes, uint32_t length);
    void WaitForSlotsInFlight(OutputPort& port);
    void RunReader();
    void ReadReadyPorts();
    bool ReadPort(uint32_t port);

    BrevikMutex lock; // serialises attach and detach handling
    std::unique_ptr<BrevikDriverDevice> device;
    PrivateMidi& owner;
    std::array<OutputPort, kPortCount> outputs;
    std::array<InputPort, kPortCount> inputs;
    Platform::DriverEvent wake; // manual reset; the driver signals it when input is ready
    std::atomic<bool> stop{false};
    uint32_t readyMask = 0; // used by the reader thread only
    std::thread reader;
};

PrivateMidi::PrivateMidi(const BrevikDriverDeviceInfo& record)
    : mData(std::make_unique<MemberData>(*this, record))
{
    mData->reader = std::thread([data = mData.get()] { data->RunReader(); });
    mData->device->SetAttachedCallback(mData.get());
}

PrivateMidi::~PrivateMidi()
{
    // No attach or detach callback may run into a pipe that is going away.
    mData->device->SetAttachedCallback(nullptr);
    CloseAllPorts();
    mData->stop = true;
    mData->wake.Set();
    if (mData->reader.joinable())
        mData->reader.join();
    if (mData->device->IsOpen())
        mData->WakeEventRequest(Driver::kUnregisterWakeEvent);
    // The driver lets go of every buffer once its handle is closed, so the blocks are freed only then.
    mData->device.reset();
    for (auto& port : mData->outputs)
    {
        for (auto& slot : port.slots)
            std::free(slot.data);
    }
}

bool PrivateMidi::IsDeviceOpen() const
{
    return mData->device->IsOpen();
}

int32_t PrivateMidi::OpenPort(uint32_t port)
{
    if (!mData->device->IsOpen())
        return kDeviceNotOpen;
    if (port >= kPortCount)
        return kBadPortOrNoSlot;
    OutputPort& output = mData->outputs[port];
    if (output.open)
        return kPortAlreadyOpen;
    uint8_t argument[4];
    StoreU32(argument, port);
    if (!mData->PipeRequest(Driver::kOpenOutputPort, Driver::kControlGroup, argument, sizeof argument))
        return kOpenFailed;
    bool wasOpen = false;
    return output.open.compare_exchange_strong(wasOpen, true) ? 0 : kPortAlreadyOpen;
}

int32_t PrivateMidi::Send(uint32_t port, const uint8_t* bytes, uint32_t length)
{
    if (!mData->device->IsOpen())
        return kDeviceNotOpen;
    if (port >= kPortCount)
        return kBadPortOrNoSlot;
    OutputPort& output = mData->outputs[port];
    if (!output.open)
        return kPortNotOpen;
    const int index = mData->TakeSlot(output, bytes, length);
    if (index < 0)
        return kBadPortOrNoSlot;
    uint8_t* block = nullptr;
    {
        ZQ::MutexLocker locker(output.lock);
        block = output.slots[index].data;
    }
    uint8_t argument[24]; // port, buffer address, byte count
    StoreU64(argument, port);
    StoreU64(argument + 8, reinterpret_cast<uintptr_t>(block));
    StoreU64(argument + 16, length);
    if (!mData->PipeRequest(Driver::kWrite, Driver::kControlGroup, argument, sizeof argument))
    {
        ZQ::MutexLocker locker(output.lock);
        output.slots[index].MakeFree();
        return kWriteFailed;
    }
    return 0;
}

int32_t PrivateMidi::CloseAllPorts()
{
    int32_t result = 0;
    if (!mData->device->IsOpen())
    {
        result = kDeviceNotOpen;
    }
    else
    {
        for (auto& port : mData->outputs)
        {
            if (port.open)
                mData->WaitForSlotsInFlight(port);
        }
        for (auto& port : mData->inputs)
        {
            ZQ::MutexLocker locker(port.lock);
            port.open = false;
        }
        uint8_t argument[4];
        StoreU32(argument, 1);
        result = mData->PipeRequest(Driver::kCloseAllPorts, Driver::kControlGroup, argument, sizeof argument)
                     ? 0
                     : kCloseFailed;
    }
    for (auto& port : mData->inputs)
        port.open = false;
    for (auto& port : mData->outputs)
    {
        port.open = false;
        // A closed handle or a successful close request means the driver has dropped every write it held:
        // those slots will never be released by it, so they are free again. After a failed close request
        // the driver may still read them, and they stay in flight.
        if (result == kCloseFailed)
            continue;
        ZQ::MutexLocker locker(port.lock);
        for (auto& slot : port.slots)
        {
            if (!slot.IsUnused())
                slot.MakeFree();
        }
    }
    return result;
}

void PrivateMidi::MemberData::OnAttachedStateChanged(bool attached, BrevikDriverDevice& changed)
{
    ZQ::MutexLocker locker(lock);
    if (!attached)
    {
        owner.CloseAllPorts();
        return;
    }
    if (!changed.IsOpen() && changed.Open())
        WakeEventRequest(Driver::kRegisterWakeEvent);
}

bool PrivateMidi::MemberData::PipeRequest(uint32_t code, uint32_t group, uint8_t* output, uint32_t outputSize,
                                          const uint8_t* extraInput, uint32_t extraSize)
{
    std::array<uint8_t, Driver::kRequestHeaderSize + 24> input{};
    const auto header = MakeBrevikRequestHeader(Driver::kPipeInterface, code, group);
    std::copy(header.begin(), header.end(), input.begin());
    extraSize = std::min<uint32_t>(extraSize, 24);
    if (extraInput != nullptr)
        std::copy(extraInput, extraInput + extraSize, input.begin() + Driver::kRequestHeaderSize);
    uint32_t returned = 0;
    return device->Control(Driver::kIoControlCode, input.data(), Driver::kRequestHeaderSize + extraSize,
                           output, outputSize, &returned);
}

bool PrivateMidi::MemberData::WakeEventRequest(uint32_t code)
{
    // The whole handle goes in the 8-byte slot: event handles do not fit in 32 bits.
    uint8_t argument[8];
    StoreU64(argument, static_cast<uint64_t>(wake.Handle()));
    return PipeRequest(code, Driver::kControlGroup, argument, sizeof argument);
}

int PrivateMidi::MemberData::TakeSlot(OutputPort& port, const uint8_t* bytes, uint32_t length)
{
    const uint32_t size = std::max<uint32_t>(length, 1);
    for (uint32_t retries = 0;; ++retries)
    {
        {
            ZQ::MutexLocker locker(port.lock);
            auto& slots = port.slots;
            int chosen = -1;
            // The smallest free slot that fits; else the first unused one; else the smallest free one,
            // given a block of the size needed.
            for (int i = 0; i < static_cast<int>(slots.size()); ++i)
            {
                if (slots[i].IsFree() && slots[i].capacity >= size &&
                    (chosen < 0 || slots[i].capacity < slots[chosen].capacity))
                    chosen = i;
            }
            bool needsBlock = false;
            if (chosen < 0)
            {
                const auto unused =
                    std::find_if(slots.begin(), slots.end(), [](auto& s) { return s.IsUnused(); });
                if (unused != slots.end())
                    chosen = static_cast<int>(unused - slots.begin());
                needsBlock = chosen >= 0;
            }
            if (chosen < 0)
            {
                for (int i = 0; i < static_cast<int>(slots.size()); ++i)
                {
                    if (slots[i].IsFree() && (chosen < 0 || slots[i].capacity < slots[chosen].capacity))
                        chosen = i;
                }
                needsBlock = chosen >= 0;
            }
            if (chosen >= 0)
            {
                OutputSlot& slot = slots[chosen];
                if (needsBlock)
                {
                    auto* block = static_cast<uint8_t*>(std::malloc(size));
                    if (block == nullptr)
                        return -1;
                    std::memset(block, 0, size);
                    std::free(slot.data);
                    slot.data = block;
                    slot.capacity = size;
                }
                if (length > 0)
                {
                    StoreFirstByte(slot.data, bytes[0]);
                    std::memcpy(slot.data + 1, bytes + 1, length - 1);
                }
                slot.guard = static_cast<uint8_t>(~LoadFirstByte(slot.data));
                return chosen;
            }
        }
        if (retries >= kSlotRetries)
            return -1;
        Platform::SleepFor(std::chrono::milliseconds(1));
    }
}

void PrivateMidi::MemberData::WaitForSlotsInFlight(OutputPort& port)
{
    for (uint32_t waited = 0;; waited += kCloseLookMilliseconds)
    {
        {
            ZQ::MutexLocker locker(port.lock);
            if (std::none_of(port.slots.begin(), port.slots.end(), [](auto& s) { return s.IsInFlight(); }))
                return;
        }
        if (waited >= kCloseWaitMilliseconds)
            return;
        Platform::SleepFor(std::chrono::milliseconds(kCloseLookMilliseconds));
    }
}

void PrivateMidi::MemberData::RunReader()
{
    while (!stop)
    {
        wake.Reset();
        if (device->IsOpen())
            ReadReadyPorts();
        if (stop)
            break;
        (void)wake.Wait(kReaderWakeMilliseconds);
    }
}

void PrivateMidi::MemberData::ReadReadyPorts()
{
    for (;;)
    {
        uint8_t mask[4] = {};
        if (PipeRequest(Driver::kReadyMask, Driver::kInputGroup, mask, sizeof mask))
            readyMask = GetU32(mask);
        bool readSomething = false;
        for (uint32_t port = 0; port < kPortCount; ++port)
        {
            if ((readyMask >> port) & 1)
                readSomething = ReadPort(port) || readSomething;
        }
        if (!readSomething || stop)
            return;
    }
}

bool PrivateMidi::MemberData::ReadPort(uint32_t port)
{
    InputPort& input = inputs[port];
    ZQ::MutexLocker locker(input.lock);
    if (!input.open || input.receiver == nullptr || input.buffer == nullptr || input.position >= input.size)
        return false;
    const uint32_t room = input.size - input.position;
    uint8_t where[24];
    StoreU64(where, port);
    StoreU64(where + 8, reinterpret_cast<uintptr_t>(input.buffer + input.position));
    StoreU64(where + 16, room);
    uint8_t answer[16] = {};
    if (!PipeRequest(Driver::kRead, Driver::kInputGroup, answer, sizeof answer, where, sizeof where))
    {
        input.position = 0;
        return false;
    }
    // The driver's count is never trusted beyond the room it was given.
    const uint32_t count = std::min(GetU32(answer + 8), room);
    const uint32_t flag = GetU32(answer + 12);
    input.position += count;
    const bool complete =
        flag != 0 || count == 0 || input.buffer[input.position - 1] == 0xF7 || input.position == input.size;
    if (complete)
    {
        const uint32_t gathered = input.position;
        input.position = 0;
        input.receiver->OnData(port, input.buffer, gathered, GetU32(answer), GetU32(answer + 4), flag, owner);
    }
    return count > 0;
}
