#include "Platform/Midi/MidiService.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Clock/Clock.h"
#include "Platform/Midi/AlsaMidiBackend.h"
#include "Platform/Midi/MidiMessageLength.h"
#include "Platform/Midi/MidiWire.h"
#include "Platform/Midi/SocketMidiBackend.h"

#include <algorithm>
#include <future>

namespace Platform
{
namespace
{
// System-exclusive bytes that wait for a queued buffer are kept up to this amount, then dropped.
constexpr size_t kMaxBacklogBytes = 1024 * 1024;

bool IsRealTime(uint8_t status)
{
    return status >= 0xF8;
}

uintptr_t PackShort(const std::vector<uint8_t>& bytes)
{
    uint8_t packed[4] = {};
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), 4), packed);
    return LittleEndian::GetU32(packed);
}

void MarkDone(MidiHeader& header)
{
    header.flags.store((header.flags.load() | kMidiHeaderDone) & ~kMidiHeaderInQueue);
}

// Whether a header may be queued (as an input buffer or a long message out): it has room, is prepared and
// is not queued already.
MidiResult CheckQueueable(const MidiHeader* header)
{
    if (header == nullptr || header->data == nullptr || header->bufferLength == 0)
        return kMidiErrInvalidParam;
    const uint32_t flags = header->flags.load();
    if ((flags & kMidiHeaderPrepared) == 0)
        return kMidiErrUnprepared;
    if ((flags & kMidiHeaderInQueue) != 0)
        return kMidiErrStillPlaying;
    return kMidiOk;
}
} // namespace

// Something read from an input device, waiting for its turn (and, for system-exclusive bytes, for room).
struct MidiService::Pending
{
    MidiInputEvent event;
    uint32_t stamp = 0;
    size_t offset = 0; // of event.bytes already put into buffers
};

struct MidiService::Device
{
    uintptr_t handle = 0;
    bool input = false;
    std::u16string name;
    std::shared_ptr<IMidiConnection> connection;
    MidiInCallback inCallback = nullptr;
    MidiOutCallback outCallback = nullptr;
    uintptr_t instance = 0;
    bool gone = false;

    // input
    bool started = false;
    uint32_t startTick = 0;
    std::deque<MidiHeader*> buffers; // queued, the front one filling
    uint32_t fill = 0;               // bytes in the front buffer
    std::deque<Pending> backlog;
    size_t backlogBytes = 0;
    bool pumpWanted = false;

    // output: long messages waiting for their done, in the order sent
    std::deque<std::pair<uint32_t, MidiHeader*>> inFlight;
};

MidiService& MidiService::Instance()
{
    // Never destroyed: the dispatch thread and callbacks may run until the process exits.
    static MidiService* const instance = new MidiService();
    return *instance;
}

MidiService::MidiService()
{
    mBackends.push_back(std::make_unique<SocketMidiBackend>());
    mBackends.push_back(std::make_unique<AlsaMidiBackend>());
    (void)mLoop.Start([this](std::vector<pollfd>& watched) { return PrepareWait(watched); },
                      [this](std::span<const pollfd> watched) { OnReady(watched); });
}

std::vector<MidiDeviceInfo>& MidiService::ListLocked(bool input)
{
    return input ? mInputs : mOutputs;
}

uint32_t MidiService::Count(bool input)
{
    std::vector<MidiDeviceInfo> devices;
    for (const auto& backend : mBackends)
        backend->List(input, devices);
    const std::lock_guard lock(mLock);
    (input ? mInputsListed : mOutputsListed) = true;
    ListLocked(input) = std::move(devices);
    return static_cast<uint32_t>(ListLocked(input).size());
}

MidiResult MidiService::DeviceName(bool input, uint32_t deviceId, std::u16string& name)
{
    bool listed = false;
    {
        const std::lock_guard lock(mLock);
        listed = input ? mInputsListed : mOutputsListed;
    }
    if (!listed)
        (void)Count(input);
    const std::lock_guard lock(mLock);
    const auto& devices = ListLocked(input);
    if (deviceId >= devices.size())
        return kMidiErrBadDeviceId;
    name = devices[deviceId].name;
    return kMidiOk;
}

MidiService::Device* MidiService::FindLocked(bool input, uintptr_t handle)
{
    const auto found = mDevices.find(handle);
    if (found == mDevices.end() || found->second->input != input)
        return nullptr;
    return found->second.get();
}

bool MidiService::GoneLocked(const Device& device)
{
    return device.gone || device.connection->HasHungUp();
}

MidiResult MidiService::HandleName(bool input, uintptr_t handle, std::u16string& name)
{
    const std::lock_guard lock(mLock);
    const Device* device = FindLocked(input, handle);
    if (device == nullptr)
        return kMidiErrInvalidHandle;
    if (GoneLocked(*device))
        return kMidiErrNoDevice;
    name = device->name;
    return kMidiOk;
}

MidiResult MidiService::Open(bool input, uint32_t deviceId, MidiInCallback inCallback,
                             MidiOutCallback outCallback, uintptr_t instance, uint32_t flags,
                             uintptr_t& handle)
{
    handle = 0;
    const uint32_t callbackType = flags & 0x70000;
    const uint32_t allowedRest = input ? kMidiIoStatus : 0;
    if ((callbackType != kMidiCallbackNull && callbackType != kMidiCallbackFunction) ||
        (flags & ~0x70000u & ~allowedRest) != 0)
        return kMidiErrInvalidFlag;
    const bool withCallback = callbackType == kMidiCallbackFunction;
    if (withCallback && (input ? inCallback == nullptr : outCallback == nullptr))
        return kMidiErrInvalidParam;

    std::u16string probe;
    if (const MidiResult result = DeviceName(input, deviceId, probe); result != kMidiOk)
        return result;
    MidiDeviceInfo info;
    {
        const std::lock_guard lock(mLock);
        const auto& devices = ListLocked(input);
        if (deviceId >= devices.size())
            return kMidiErrBadDeviceId;
        info = devices[deviceId];
    }
    MidiResult result = kMidiErrNoDevice;
    std::unique_ptr<IMidiConnection> connection = info.backend->Open(info, input, result);
    if (!connection)
        return result == kMidiOk ? kMidiErrNoDevice : result;

    auto device = std::make_unique<Device>();
    device->input = input;
    device->name = info.name;
    device->connection = std::move(connection);
    device->inCallback = withCallback ? inCallback : nullptr;
    device->outCallback = withCallback ? outCallback : nullptr;
    device->instance = instance;
    uintptr_t opened = 0;
    {
        const std::lock_guard lock(mLock);
        opened = mNextHandle++;
        device->handle = opened;
        mDevices.emplace(opened, std::move(device));
    }
    Wake(); // the dispatch thread starts reading the new device
    (void)RunOnDispatch(
        [this, opened, input]
        {
            Deliver({{opened, input ? kMidiInOpened : kMidiOutOpened, 0, 0}});
            return kMidiOk;
        });
    handle = opened;
    return kMidiOk;
}

MidiResult MidiService::Close(bool input, uintptr_t handle)
{
    return RunOnDispatch(
        [this, input, handle]
        {
            Deliveries closed;
            {
                const std::lock_guard lock(mLock);
                const Device* device = FindLocked(input, handle);
                if (device == nullptr)
                    return kMidiErrInvalidHandle;
                if (input ? !device->buffers.empty() : !device->inFlight.empty())
                    return kMidiErrStillPlaying;
                closed.push_back({handle, input ? kMidiInClosed : kMidiOutClosed, 0, 0});
            }
            Deliver(closed);
            std::unique_ptr<Device> removed;
            {
                const std::lock_guard lock(mLock);
                const auto found = mDevices.find(handle);
                if (found != mDevices.end())
                {
                    removed = std::move(found->second);
                    mDevices.erase(found);
                }
            }
            // The connection closes here, outside the lock (a sender may still hold it for a moment).
            return kMidiOk;
        });
}

MidiResult MidiService::Prepare(bool input, uintptr_t handle, MidiHeader* header)
{
    const std::lock_guard lock(mLock);
    if (FindLocked(input, handle) == nullptr)
        return kMidiErrInvalidHandle;
    if (header == nullptr || header->data == nullptr || header->bufferLength == 0)
        return kMidiErrInvalidParam;
    header->flags.store(header->flags.load() | kMidiHeaderPrepared);
    return kMidiOk;
}

MidiResult MidiService::Unprepare(bool input, uintptr_t handle, MidiHeader* header)
{
    const std::lock_guard lock(mLock);
    if (FindLocked(input, handle) == nullptr)
        return kMidiErrInvalidHandle;
    if (header == nullptr)
        return kMidiErrInvalidParam;
    const uint32_t flags = header->flags.load();
    if ((flags & kMidiHeaderInQueue) != 0)
        return kMidiErrStillPlaying;
    header->flags.store(flags & ~kMidiHeaderPrepared);
    return kMidiOk;
}

MidiResult MidiService::Start(uintptr_t handle)
{
    const std::lock_guard lock(mLock);
    Device* device = FindLocked(true, handle);
    if (device == nullptr)
        return kMidiErrInvalidHandle;
    if (GoneLocked(*device))
        return kMidiErrNoDevice;
    if (!device->started)
    {
        device->started = true;
        device->startTick = GetTickCount();
    }
    return kMidiOk;
}

MidiResult MidiService::Stop(uintptr_t handle)
{
    return StopInput(handle, false);
}

MidiResult MidiService::ResetInput(uintptr_t handle)
{
    return StopInput(handle, true);
}

MidiResult MidiService::StopInput(uintptr_t handle, bool returnAll)
{
    return RunOnDispatch(
        [this, handle, returnAll]
        {
            Deliveries deliveries;
            {
                const std::lock_guard lock(mLock);
                Device* device = FindLocked(true, handle);
                if (device == nullptr)
                    return kMidiErrInvalidHandle;
                device->started = false;
                device->backlog.clear();
                device->backlogBytes = 0;
                const uint32_t stamp = GetTickCount() - device->startTick;
                if (!returnAll && device->fill > 0 && !device->buffers.empty())
                    ReturnFrontLocked(*device, kMidiInLongData, stamp, deliveries);
                while (returnAll && !device->buffers.empty())
                    ReturnFrontLocked(*device, kMidiInLongData, stamp, deliveries);
            }
            Deliver(deliveries);
            return kMidiOk;
        });
}

MidiResult MidiService::AddBuffer(uintptr_t handle, MidiHeader* header)
{
    {
        const std::lock_guard lock(mLock);
        Device* device = FindLocked(true, handle);
        if (device == nullptr)
            return kMidiErrInvalidHandle;
        if (const MidiResult queueable = CheckQueueable(header); queueable != kMidiOk)
            return queueable;
        const uint32_t flags = header->flags.load();
        header->bytesRecorded = 0;
        header->flags.store((flags | kMidiHeaderInQueue) & ~kMidiHeaderDone);
        device->buffers.push_back(header);
        device->pumpWanted = true;
    }
    if (!mLoop.IsLoopThread())
        Wake();
    return kMidiOk;
}

MidiResult MidiService::ResetOutput(uintptr_t handle)
{
    return RunOnDispatch(
        [this, handle]
        {
            Deliveries deliveries;
            {
                const std::lock_guard lock(mLock);
                Device* device = FindLocked(false, handle);
                if (device == nullptr)
                    return kMidiErrInvalidHandle;
                for (const auto& [sequence, header] : device->inFlight)
                {
                    MarkDone(*header);
                    deliveries.push_back({handle, kMidiOutDone, reinterpret_cast<uintptr_t>(header), 0});
                }
                device->inFlight.clear();
            }
            Deliver(deliveries);
            return kMidiOk;
        });
}

MidiResult MidiService::SendShort(uintptr_t handle, uint32_t message)
{
    std::shared_ptr<IMidiConnection> connection;
    {
        const std::lock_guard lock(mLock);
        Device* device = FindLocked(false, handle);
        if (device == nullptr)
            return kMidiErrInvalidHandle;
        if (GoneLocked(*device))
            return kMidiErrNoDevice;
        connection = device->connection;
    }
    uint8_t bytes[4];
    LittleEndian::StoreU32(bytes, static_cast<uint32_t>(message));
    const size_t length = ShortMessageLength(bytes[0]);
    if (length == 0)
        return kMidiErrInvalidParam;
    return connection->SendShort(std::span<const uint8_t>(bytes, length));
}

MidiResult MidiService::SendLong(uintptr_t handle, MidiHeader* header)
{
    std::shared_ptr<IMidiConnection> connection;
    uint32_t sequence = 0;
    {
        const std::lock_guard lock(mLock);
        Device* device = FindLocked(false, handle);
        if (device == nullptr)
            return kMidiErrInvalidHandle;
        if (const MidiResult queueable = CheckQueueable(header); queueable != kMidiOk)
            return queueable;
        const uint32_t flags = header->flags.load();
        if (GoneLocked(*device))
            return kMidiErrNoDevice;
        sequence = ++mNextSequence;
        header->flags.store((flags | kMidiHeaderInQueue) & ~kMidiHeaderDone);
        device->inFlight.emplace_back(sequence, header);
        connection = device->connection;
    }
    bool confirmedNow = false;
    const MidiResult result = connection->SendLong(
        sequence, std::span<const uint8_t>(header->data, header->bufferLength), confirmedNow);
    if (result != kMidiOk)
    {
        const std::lock_guard lock(mLock);
        if (Device* device = FindLocked(false, handle))
        {
            auto& inFlight = device->inFlight;
            const auto found =
                std::find_if(inFlight.begin(), inFlight.end(),
                             [sequence](const auto& entry) { return entry.first == sequence; });
            if (found != inFlight.end())
            {
                inFlight.erase(found);
                header->flags.store(header->flags.load() & ~kMidiHeaderInQueue);
            }
        }
        return result;
    }
    if (confirmedNow)
    {
        Post(
            [this, handle, sequence]
            {
                Deliveries deliveries;
                {
                    const std::lock_guard lock(mLock);
                    if (Device* device = FindLocked(false, handle))
                        ConfirmLocked(*device, sequence, deliveries);
                }
                Deliver(deliveries);
            });
    }
    return kMidiOk;
}

void MidiService::Wake()
{
    mLoop.Wake();
}

void MidiService::Post(std::function<void()> work)
{
    {
        const std::lock_guard lock(mLock);
        mCommands.push_back(std::move(work));
    }
    Wake();
}

MidiResult MidiService::RunOnDispatch(const std::function<MidiResult()>& work)
{
    if (mLoop.IsLoopThread())
        return work();
    std::promise<MidiResult> done;
    std::future<MidiResult> result = done.get_future();
    Post([&work, &done] { done.set_value(work()); });
    return result.get();
}

int MidiService::PrepareWait(std::vector<pollfd>& watched)
{
    mWatched.clear();
    bool pumpWanted = false;
    const std::lock_guard lock(mLock);
    for (const auto& [handle, device] : mDevices)
    {
        pumpWanted = pumpWanted || device->pumpWanted;
        const int fd = device->gone ? -1 : device->connection->PollFd();
        if (fd < 0)
            continue;
        watched.push_back(pollfd{fd, POLLIN, 0});
        mWatched.push_back(handle);
    }
    pumpWanted = pumpWanted || !mCommands.empty();
    return pumpWanted ? 0 : -1;
}

void MidiService::OnReady(std::span<const pollfd> watched)
{
    RunCommands();
    for (size_t i = 0; i < watched.size(); ++i)
        if (watched[i].revents != 0)
            ReadDevice(mWatched[i]);
    PumpAll();
}

void MidiService::RunCommands()
{
    std::deque<std::function<void()>> commands;
    {
        const std::lock_guard lock(mLock);
        commands.swap(mCommands);
    }
    for (auto& command : commands)
        command();
}

void MidiService::ReadDevice(uintptr_t handle)
{
    std::shared_ptr<IMidiConnection> connection;
    {
        const std::lock_guard lock(mLock);
        const auto found = mDevices.find(handle);
        if (found == mDevices.end() || found->second->gone)
            return;
        connection = found->second->connection;
    }
    std::vector<MidiInputEvent> events;
    const bool alive = connection->Read(events);
    Deliveries deliveries;
    {
        const std::lock_guard lock(mLock);
        const auto found = mDevices.find(handle);
        if (found == mDevices.end())
            return;
        Device& device = *found->second;
        device.gone = !alive;
        const uint32_t stamp = GetTickCount() - device.startTick;
        for (auto& event : events)
        {
            if (!device.input)
            {
                if (event.kind == MidiInputEvent::Kind::Done)
                    ConfirmLocked(device, event.sequence, deliveries);
                continue;
            }
            if (!device.started || event.kind == MidiInputEvent::Kind::Done)
                continue;
            if (event.kind == MidiInputEvent::Kind::LongPart)
            {
                if (device.backlogBytes + event.bytes.size() > kMaxBacklogBytes)
                    continue;
                device.backlogBytes += event.bytes.size();
            }
            device.backlog.push_back({std::move(event), stamp, 0});
            device.pumpWanted = true;
        }
    }
    Deliver(deliveries);
}

void MidiService::ConfirmLocked(Device& device, uint32_t sequence, Deliveries& deliveries)
{
    auto& inFlight = device.inFlight;
    const auto found = std::find_if(inFlight.begin(), inFlight.end(),
                                    [sequence](const auto& entry) { return entry.first == sequence; });
    if (found == inFlight.end())
        return; // already given back by a reset
    MidiHeader* header = found->second;
    inFlight.erase(found);
    MarkDone(*header);
    deliveries.push_back({device.handle, kMidiOutDone, reinterpret_cast<uintptr_t>(header), 0});
}

void MidiService::PumpAll()
{
    Deliveries deliveries;
    {
        const std::lock_guard lock(mLock);
        for (auto& [handle, device] : mDevices)
        {
            if (!device->pumpWanted)
                continue;
            device->pumpWanted = false;
            PumpLocked(*device, deliveries);
        }
    }
    Deliver(deliveries);
}

void MidiService::ReturnFrontLocked(Device& device, uint32_t message, uint32_t stamp, Deliveries& deliveries)
{
    MidiHeader* header = device.buffers.front();
    device.buffers.pop_front();
    header->bytesRecorded = device.fill;
    device.fill = 0;
    MarkDone(*header);
    deliveries.push_back({device.handle, message, reinterpret_cast<uintptr_t>(header), stamp});
}

// Cuts what arrived into callbacks, in arrival order: short messages as they are, system-exclusive bytes
// into the queued buffers. Stops at system-exclusive bytes that find no buffer; AddBuffer resumes it.
void MidiService::PumpLocked(Device& device, Deliveries& deliveries)
{
    while (!device.backlog.empty())
    {
        Pending& pending = device.backlog.front();
        const MidiInputEvent& event = pending.event;
        if (event.kind == MidiInputEvent::Kind::Short)
        {
            const uint8_t status = event.bytes.front();
            // A new status byte ends a system-exclusive message left open; real-time bytes may interleave.
            if (!IsRealTime(status) && device.fill > 0 && !device.buffers.empty())
                ReturnFrontLocked(device, kMidiInLongData, pending.stamp, deliveries);
            deliveries.push_back({device.handle, status < 0x80 ? kMidiInError : kMidiInData,
                                  PackShort(event.bytes), pending.stamp});
            device.backlog.pop_front();
            continue;
        }
        if (event.kind == MidiInputEvent::Kind::LongError)
        {
            if (!device.buffers.empty())
                ReturnFrontLocked(device, kMidiInLongError, pending.stamp, deliveries);
            device.backlog.pop_front();
            continue;
        }
        if (pending.offset < event.bytes.size())
        {
            if (device.buffers.empty())
                return;
            MidiHeader& header = *device.buffers.front();
            bool ended = false;
            while (pending.offset < event.bytes.size() && device.fill < header.bufferLength && !ended)
            {
                const uint8_t byte = event.bytes[pending.offset++];
                header.data[device.fill++] = byte;
                ended = byte == 0xF7;
            }
            if (ended || device.fill == header.bufferLength)
                ReturnFrontLocked(device, kMidiInLongData, pending.stamp, deliveries);
            if (pending.offset < event.bytes.size())
                continue;
        }
        // All bytes placed: a message that ended without F7 still gives its buffer back.
        if (event.last && device.fill > 0 && !device.buffers.empty())
            ReturnFrontLocked(device, kMidiInLongData, pending.stamp, deliveries);
        device.backlogBytes -= event.bytes.size();
        device.backlog.pop_front();
    }
}

void MidiService::Deliver(const Deliveries& deliveries)
{
    for (const Delivery& delivery : deliveries)
    {
        MidiInCallback inCallback = nullptr;
        MidiOutCallback outCallback = nullptr;
        uintptr_t instance = 0;
        {
            const std::lock_guard lock(mLock);
            const auto found = mDevices.find(delivery.handle);
            if (found == mDevices.end())
                continue; // closed meanwhile (by an earlier callback)
            inCallback = found->second->inCallback;
            outCallback = found->second->outCallback;
            instance = found->second->instance;
        }
        if (inCallback != nullptr)
            inCallback(static_cast<MidiInHandle>(delivery.handle), delivery.message, instance,
                       delivery.param1, delivery.param2);
        else if (outCallback != nullptr)
            outCallback(static_cast<MidiOutHandle>(delivery.handle), delivery.message, instance,
                        delivery.param1, delivery.param2);
    }
}
} // namespace Platform
