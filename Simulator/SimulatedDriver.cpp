#include "Simulator/SimulatedDriver.h"

#include "Platform/Driver/DriverRequests.h"
#include "Platform/Driver/DriverWire.h"

#include <algorithm>
#include <cstring>

namespace Simulator
{
namespace Req = Platform::DriverRequests;
using Platform::DriverReply;
using Platform::DriverWire::GetU32;
using Platform::DriverWire::GetU64;

namespace
{
DriverReply Failed()
{
    return DriverReply{};
}

DriverReply Granted(const Platform::DriverRequest& request)
{
    DriverReply reply;
    reply.ok = true;
    reply.output = request.output;
    return reply;
}

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}
} // namespace

SimulatedDriver::SimulatedDriver(RequestLog& log) : mLog(log)
{
}

SimulatedDriver::~SimulatedDriver()
{
    Stop();
}

bool SimulatedDriver::Listen(const std::u16string& devicePath)
{
    return mEndpoint.Listen(Platform::DriverWire::SocketPathFor(devicePath));
}

void SimulatedDriver::Stop()
{
    mEndpoint.Stop();
}

void SimulatedDriver::SetReleasePolicy(ReleasePolicy policy, Platform::Duration interval)
{
    std::lock_guard lock(mLock);
    mPolicy = policy;
    mInterval = interval;
    mLastPacedRelease = Platform::Now();
    // Writes held so far follow the new policy from now on.
    ++mGeneration;
    for (auto& [writeId, write] : mHeld)
        if (write.arrived)
            ScheduleReleaseLocked(writeId, write);
}

ReleasePolicy SimulatedDriver::GetReleasePolicy() const
{
    std::lock_guard lock(mLock);
    return mPolicy;
}

void SimulatedDriver::FailAfter(uint32_t requestCode, uint32_t after)
{
    std::lock_guard lock(mLock);
    mFailures[requestCode] = {after, 0};
}

void SimulatedDriver::ClearFailures()
{
    std::lock_guard lock(mLock);
    mFailures.clear();
}

void SimulatedDriver::SetExclusive(bool exclusive)
{
    std::lock_guard lock(mLock);
    mExclusive = exclusive;
}

void SimulatedDriver::SetReadyMask(uint32_t mask)
{
    {
        std::lock_guard lock(mLock);
        mReadyMask = mask;
    }
    if (mask)
        SignalWakeEvents();
}

void SimulatedDriver::QueueInput(uint32_t port, std::vector<uint8_t> bytes)
{
    if (port >= Req::PortCount)
        return;
    {
        std::lock_guard lock(mLock);
        mInput[port].push_back(std::move(bytes));
    }
    SignalWakeEvents();
}

void SimulatedDriver::ReleaseAll()
{
    std::vector<uint32_t> ids;
    {
        std::lock_guard lock(mLock);
        for (const auto& [writeId, write] : mHeld)
            if (write.arrived)
                ids.push_back(writeId);
    }
    for (const uint32_t writeId : ids)
    {
        uint64_t generation = 0;
        {
            std::lock_guard lock(mLock);
            const auto found = mHeld.find(writeId);
            if (found == mHeld.end())
                continue;
            generation = found->second.generation;
        }
        ReleaseWrite(writeId, generation);
    }
}

std::vector<uint8_t> SimulatedDriver::Firmware() const
{
    std::lock_guard lock(mLock);
    return mFirmware;
}

size_t SimulatedDriver::FirmwareSize() const
{
    std::lock_guard lock(mLock);
    return mFirmware.size();
}

void SimulatedDriver::ClearFirmware()
{
    std::lock_guard lock(mLock);
    mFirmware.clear();
    mSessionBytes = 0;
}

bool SimulatedDriver::IsExclusive() const
{
    std::lock_guard lock(mLock);
    return mExclusive;
}

bool SimulatedDriver::IsUpdateControlOn() const
{
    std::lock_guard lock(mLock);
    return mUpdateControl;
}

size_t SimulatedDriver::OpenHandleCount() const
{
    std::lock_guard lock(mLock);
    return mHandles.size();
}

size_t SimulatedDriver::HeldWriteCount() const
{
    std::lock_guard lock(mLock);
    return mHeld.size();
}

void SimulatedDriver::SetUpdateControlHandler(std::function<void(bool, size_t)> handler)
{
    std::lock_guard lock(mLock);
    mUpdateControlHandler = std::move(handler);
}

void SimulatedDriver::ResetBehaviour()
{
    std::lock_guard lock(mLock);
    mPolicy = ReleasePolicy::Immediate;
    mInterval = {};
    mFailures.clear();
    mExclusive = true;
    mReadyMask = 0;
    mInput.clear();
    mUpdateControl = false;
    mFirmware.clear();
    mSessionBytes = 0;
    ++mGeneration;
    for (auto& [writeId, write] : mHeld)
        if (write.arrived)
            ScheduleReleaseLocked(writeId, write);
}

bool SimulatedDriver::CheckFailureLocked(uint32_t code)
{
    const auto found = mFailures.find(code);
    if (found == mFailures.end())
        return false;
    auto& [allowed, seen] = found->second;
    if (seen < allowed)
    {
        ++seen;
        return false;
    }
    return true;
}

bool SimulatedDriver::OnOpen(Platform::DriverConnectionId connection)
{
    std::lock_guard lock(mLock);
    if (mExclusive && !mHandles.empty())
    {
        mLog.Add("open", 0, false, "held exclusively");
        return false;
    }
    if (CheckFailureLocked(0))
    {
        mLog.Add("open", 0, false, "injected failure");
        return false;
    }
    mHandles[connection] = Handle{};
    mLog.Add("open", 0, true, "handle=" + std::to_string(connection));
    return true;
}

void SimulatedDriver::OnClose(Platform::DriverConnectionId connection)
{
    std::lock_guard lock(mLock);
    mHandles.erase(connection);
    std::erase_if(mHeld, [&](const auto& entry) { return entry.second.connection == connection; });
    mLog.Add("close", 0, true, "handle=" + std::to_string(connection));
}

DriverReply SimulatedDriver::OnRequest(Platform::DriverConnectionId connection,
                                       const Platform::DriverRequest& request)
{
    if (request.ioControlCode != Req::IoControlCode || request.input.size() < Req::HeaderSize)
    {
        mLog.Add("request", 0, false, "malformed ioctl=" + Hex(request.ioControlCode));
        return Failed();
    }
    Req::InterfaceId interfaceId;
    std::memcpy(interfaceId.data(), request.input.data(), interfaceId.size());
    const uint32_t code = GetU32(request.input.data() + 16);
    const uint32_t group = GetU32(request.input.data() + 20);

    std::function<void(bool, size_t)> handler;
    bool updateOn = false;
    size_t sessionBytes = 0;
    DriverReply reply;
    std::string detail;
    {
        std::lock_guard lock(mLock);
        const bool isUpdate = interfaceId == Req::UpdateControlInterface;
        const bool isPipe = interfaceId == Req::PipeInterface;
        const bool knownCode = isUpdate ? code == Req::UpdateControl : (isPipe && code != Req::UpdateControl);
        if (!knownCode || group != Req::GroupOf(code))
        {
            mLog.Add("request", code, false, "unknown interface, code or group " + std::to_string(group));
            return Failed();
        }
        if (CheckFailureLocked(code))
        {
            mLog.Add("request", code, false, "injected failure");
            return Failed();
        }
        reply = isUpdate ? UpdateControlLocked(request, detail)
                         : PipeRequestLocked(connection, code, request, detail);
        mLog.Add("request", code, reply.ok, detail);
        if (isUpdate && reply.ok)
        {
            handler = mUpdateControlHandler;
            updateOn = mUpdateControl;
            sessionBytes = mSessionBytes;
        }
    }
    if (handler)
        handler(updateOn, sessionBytes);
    return reply;
}

DriverReply SimulatedDriver::UpdateControlLocked(const Platform::DriverRequest& request, std::string& detail)
{
    if (request.output.size() < 4)
    {
        detail = "update control without value";
        return Failed();
    }
    const uint32_t value = GetU32(request.output.data());
    detail = "update control value=" + std::to_string(value);
    mUpdateControl = value != 0;
    if (mUpdateControl)
        mSessionBytes = 0;
    return Granted(request);
}

DriverReply SimulatedDriver::PipeRequestLocked(Platform::DriverConnectionId connection, uint32_t code,
                                               const Platform::DriverRequest& request, std::string& detail)
{
    auto& handle = mHandles[connection];
    const auto& out = request.output;
    switch (code)
    {
    case Req::RegisterWakeEvent:
    case Req::UnregisterWakeEvent:
    {
        if (out.size() < 8)
            return Failed();
        const auto event = static_cast<intptr_t>(GetU64(out.data()));
        detail = (code == Req::RegisterWakeEvent ? "register event=" : "unregister event=") + Hex(event);
        if (code == Req::RegisterWakeEvent)
            handle.wakeEvents.insert(event);
        else
            handle.wakeEvents.erase(event);
        return Granted(request);
    }
    case Req::OpenOutputPort:
    {
        if (out.size() < 4)
            return Failed();
        const uint32_t port = GetU32(out.data());
        detail = "open port=" + std::to_string(port);
        if (port >= Req::PortCount)
            return Failed();
        handle.openPorts |= 1u << port;
        return Granted(request);
    }
    case Req::CloseAllPorts:
    {
        detail = "close all ports";
        handle.openPorts = 0;
        // The program may free its buffers once this returns: let go of every write of this handle.
        std::erase_if(mHeld, [&](const auto& entry) { return entry.second.connection == connection; });
        DriverReply reply = Granted(request);
        reply.flags = Platform::DriverWire::DropWrites;
        return reply;
    }
    case Req::ReadyMask:
    {
        if (out.size() < 4)
            return Failed();
        uint32_t mask = mReadyMask;
        for (const auto& [port, queue] : mInput)
            if (!queue.empty())
                mask |= 1u << port;
        detail = "ready mask=" + Hex(mask);
        DriverReply reply = Granted(request);
        Platform::DriverWire::StoreU32(reply.output.data(), mask);
        reply.bytesReturned = 4;
        return reply;
    }
    case Req::Read:
    {
        if (request.input.size() < Req::ReadInputSize || out.size() < Req::ReadOutputSize)
            return Failed();
        const auto port = static_cast<uint32_t>(GetU64(request.input.data() + 24));
        const uint64_t room = GetU64(request.input.data() + 40);
        DriverReply reply = Granted(request);
        std::fill(reply.output.begin(), reply.output.end(), 0);
        uint32_t ended = 1;
        auto& queue = mInput[port % Req::PortCount];
        if (port < Req::PortCount && !queue.empty())
        {
            auto& message = queue.front();
            // One answer carries at most one wire buffer; the rest waits for the next read.
            const size_t count = static_cast<size_t>(
                std::min<uint64_t>({room, message.size(), Platform::DriverWire::MaxBufferSize}));
            reply.readData.assign(message.begin(), message.begin() + count);
            message.erase(message.begin(), message.begin() + count);
            ended = message.empty() ? 1 : 0;
            if (message.empty())
                queue.pop_front();
        }
        Platform::DriverWire::StoreU32(reply.output.data() + 8, static_cast<uint32_t>(reply.readData.size()));
        Platform::DriverWire::StoreU32(reply.output.data() + 12, ended);
        reply.flags = Platform::DriverWire::ReadData;
        reply.bytesReturned = Req::ReadOutputSize;
        detail = "read port=" + std::to_string(port) + " count=" + std::to_string(reply.readData.size());
        return reply;
    }
    case Req::Write:
    {
        if (out.size() < Req::WriteOutputSize)
            return Failed();
        const uint64_t port = GetU64(out.data());
        const uint64_t count = GetU64(out.data() + 16);
        detail = "write port=" + std::to_string(port) + " count=" + std::to_string(count);
        if (port >= Req::PortCount || !(handle.openPorts & (1u << port)) ||
            count > Platform::DriverWire::MaxWriteSize)
            return Failed();
        const uint32_t writeId = mNextWrite++;
        mHeld[writeId] = HeldWrite{connection, static_cast<uint32_t>(port), false, mGeneration};
        DriverReply reply = Granted(request);
        reply.flags = Platform::DriverWire::WriteAccepted;
        reply.writeId = writeId;
        return reply;
    }
    default:
        detail = "unknown pipe request";
        return Failed();
    }
}

void SimulatedDriver::OnWriteData(Platform::DriverConnectionId connection, uint32_t writeId,
                                  std::vector<uint8_t> bytes)
{
    std::lock_guard lock(mLock);
    const auto found = mHeld.find(writeId);
    if (found == mHeld.end() || found->second.connection != connection)
        return;
    if (mUpdateControl)
    {
        mFirmware.insert(mFirmware.end(), bytes.begin(), bytes.end());
        mSessionBytes += bytes.size();
    }
    mLog.Add("data", Req::Write, true,
             "port=" + std::to_string(found->second.port) + " count=" + std::to_string(bytes.size()) +
                 (mUpdateControl ? "" : " (update control off)"));
    found->second.arrived = true;
    ScheduleReleaseLocked(writeId, found->second);
}

void SimulatedDriver::ScheduleReleaseLocked(uint32_t writeId, HeldWrite& write)
{
    write.generation = mGeneration;
    const uint64_t generation = mGeneration;
    auto release = [this, writeId, generation] { ReleaseWrite(writeId, generation); };
    switch (mPolicy)
    {
    case ReleasePolicy::Immediate:
        mScheduler.PostAfter({}, release);
        break;
    case ReleasePolicy::Delayed:
        mScheduler.PostAfter(mInterval, release);
        break;
    case ReleasePolicy::Paced:
        mLastPacedRelease = std::max(mLastPacedRelease, Platform::Now()) + mInterval;
        mScheduler.Post(mLastPacedRelease, release);
        break;
    case ReleasePolicy::Never:
        break;
    }
}

void SimulatedDriver::ReleaseWrite(uint32_t writeId, uint64_t generation)
{
    Platform::DriverConnectionId connection = 0;
    {
        std::lock_guard lock(mLock);
        const auto found = mHeld.find(writeId);
        if (found == mHeld.end() || found->second.generation != generation)
            return;
        connection = found->second.connection;
        mHeld.erase(found);
        mLog.Add("release", Req::Write, true, "write=" + std::to_string(writeId));
    }
    mEndpoint.Release(connection, writeId);
}

void SimulatedDriver::SignalWakeEvents()
{
    std::vector<std::pair<Platform::DriverConnectionId, intptr_t>> targets;
    {
        std::lock_guard lock(mLock);
        for (const auto& [connection, handle] : mHandles)
            for (const intptr_t event : handle.wakeEvents)
                targets.emplace_back(connection, event);
    }
    for (const auto& [connection, event] : targets)
        mEndpoint.Signal(connection, event);
}
} // namespace Simulator
