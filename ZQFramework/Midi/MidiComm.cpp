#include "ZQFramework/Midi/MidiComm.h"

#include "Platform/Midi/MidiPorts.h"
#include "ZQFramework/Midi/MidiCaptureNotificationData.h"
#include "ZQFramework/Midi/MidiCapturePort.h"
#include "ZQFramework/Midi/MidiRenderPort.h"
#include "ZQFramework/System/DebugConsole.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/System/ThreadPool.h"

#include <system_error>
#include <thread>
#include <utility>

namespace ZQ
{
namespace
{
constexpr int32_t kDeliveryWorkerCount = 1;
constexpr int32_t kDeliveryQueuePriority = 2; // highest
constexpr int32_t kDeliveryItemPriority = 0;  // normal

// Leading blanks, an optional sign and the decimal digits that follow; 0 when there are none.
int32_t ParseDecimal(const char16_t* text, int length)
{
    int i = 0;
    while (i < length && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int32_t value = 0;
    for (; i < length && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = value * 10 + (text[i] - u'0');
    return negative ? -value : value;
}

// Counts the devices present now (which also re-reads the list). What kept a port off the list goes to
// the debug output, so that a device missing for a reason of this machine's does not vanish silently.
uint32_t CountDevices(bool input)
{
    const uint32_t count = input ? Platform::MidiInDeviceCount() : Platform::MidiOutDeviceCount();
    for (const std::string& problem : Platform::TakeMidiPortProblems())
        DebugConsole::Out() << "MIDI: " << problem << '\n' << std::flush;
    return count;
}

// The names of the devices present now, in device id order; stops at the first device that cannot be
// asked (the list changed meanwhile).
WStringArray ReadDeviceNames(bool input)
{
    WStringArray names;
    const uint32_t count = CountDevices(input);
    WString name;
    for (uint32_t id = 0; id < count && LMidiComm::ReadDeviceName(input, id, name); ++id)
        (void)names.Add(name);
    return names;
}

template <class Port>
int32_t FindPort(const RCPtrArray<Port, 1, 0>& ports, const Port* port)
{
    for (uint32_t i = 0; i < ports.GetCount(); ++i)
        if (ports.GetAt(i).Get() == port)
            return static_cast<int32_t>(i);
    return -1;
}

template <class Port>
RCPtr<Port> FindPortByName(const RCPtrArray<Port, 1, 0>& ports, const WString& name)
{
    const WString lowerName = name.ToLower();
    for (uint32_t i = 0; i < ports.GetCount(); ++i)
        if (ports.GetAt(i)->GetRequestedName().ToLower() == lowerName)
            return ports.GetAt(i);
    return nullptr;
}

template <class Port>
ZQRESULT RemovePort(RCPtrArray<Port, 1, 0>& ports, const Port* port)
{
    const int32_t index = FindPort(ports, port);
    if (index < 0)
        return E_FAIL;
    // The list's reference stops being an internal one before it goes.
    LRefCountedObject::AdjustInternalRefCount(ports.GetAt(static_cast<uint32_t>(index)).Get(), -1);
    (void)ports.RemoveAt(static_cast<uint32_t>(index), 1);
    return S_OK;
}

template <class Port>
void AddPort(RCPtrArray<Port, 1, 0>& ports, const RCPtr<Port>& port)
{
    (void)ports.Add(port);
    LRefCountedObject::AdjustInternalRefCount(port.Get(), 1);
}

// What sets opening a capture port apart from opening a render port.
template <class Port>
struct PortOpening;

template <>
struct PortOpening<LMidiCapturePort>
{
    static constexpr bool kInput = true;
    // An open capture port is found by the name it was requested with.
    static const WString& LookupName(const WString& request, const WString&) { return request; }
    // A capture port captures once its device is open.
    static bool Start(LMidiCapturePort& port) { return port.Start() == Platform::kMidiOk; }
    static void GiveUp(LMidiCapturePort& port) { port.Close(); }
};

template <>
struct PortOpening<LMidiRenderPort>
{
    static constexpr bool kInput = false;
    // An open render port is found by the device's unique name.
    static const WString& LookupName(const WString&, const WString& uniqueName) { return uniqueName; }
    static bool Start(LMidiRenderPort&) { return true; }
    static void GiveUp(LMidiRenderPort&) {}
};

// Opens a port of the type the list holds: hands out the open port of a matching name, opening its device
// again when it went away, or makes, opens and lists a new one.
template <class Port>
ZQRESULT OpenPort(LMidiComm& comm, RCPtrArray<Port, 1, 0>& ports, const WString& name,
                  RCPtr<LRefCountedObject>& port)
{
    using Opening = PortOpening<Port>;
    MutexLocker guard(comm.GetPortLock());
    port = nullptr;
    const WStringArray names = LMidiComm::MakeUniqueNames(ReadDeviceNames(Opening::kInput));
    const LMidiComm::NameMatch match = LMidiComm::MatchName(name, names);
    if (match.count > 1)
        return E_INVALIDARG;

    if (match.count == 1)
    {
        const WString& lookupName =
            Opening::LookupName(name, names.GetAt(static_cast<uint32_t>(match.position)));
        if (const RCPtr<Port> open = FindPortByName(ports, lookupName))
        {
            // A device that went away may be back under a new id: open it again.
            if (open->IsDevicePresent() || (open->OpenDevice() == Platform::kMidiOk && Opening::Start(*open)))
            {
                port = open;
                return S_OK;
            }
            Opening::GiveUp(*open);
            return E_FAIL;
        }
    }

    if (name.IsEmpty())
        return E_FAIL;
    const RCPtr<Port> created(new Port(RCPtr<LMidiComm>(&comm), name));
    if (created->OpenDevice() != Platform::kMidiOk)
        return E_FAIL;
    AddPort(ports, created);
    if (!Opening::Start(*created))
    {
        Opening::GiveUp(*created);
        (void)RemovePort(ports, created.Get());
        return E_FAIL;
    }
    port = created;
    return S_OK;
}
} // namespace

RCPtr<LMidiComm> LMidiComm::Create()
{
    return RCPtr<LMidiComm>(new LMidiComm());
}

LMidiComm::LMidiComm() : mDeliveryPool(LThreadPool::Create(kDeliveryWorkerCount, kDeliveryQueuePriority))
{
}

LMidiComm::~LMidiComm()
{
    RCPtr<LThreadPool> pool = std::move(mDeliveryPool);
    if (pool.IsNull())
        return;
    if (mDeliveryThread.load() == std::this_thread::get_id())
    {
        // The last reference went on the pool's worker (a client let go of the MIDI object while handling
        // a message, or the work item it ran was the last holder). The pool must neither wait for nor be
        // destroyed on that thread: another thread stops it. Its Stop returns once this worker has ended,
        // after the reference held here went, so the pool is destroyed there too.
        try
        {
            std::thread([pool]() mutable { pool->Stop(); }).detach();
            return;
        }
        catch (const std::system_error&)
        {
            // No thread to spare: stop it here, which skips waiting for this very thread.
        }
    }
    // Anywhere else, the pool's queue thread included: it drops each work item after handing it to the
    // worker, so it holds the last reference when the worker finished first. Stop never waits for the
    // thread it runs on, and the pool's other threads are idle (a pending item would still hold this
    // object), so they end at once. The queue thread's run keeps the pool alive until it has returned.
    pool->Stop();
}

ZQRESULT LMidiComm::DoWork(RCPtr<LRefCountedObject>& parameters)
{
    mDeliveryThread.store(std::this_thread::get_id());
    const RCPtr<LMidiCaptureNotificationData> data(parameters);
    (void)DeliverCapturedData(data);
    return S_OK;
}

WString LMidiComm::ToString() const
{
    return WString(u"LMidiComm");
}

void LMidiComm::QueueForDelivery(const RCPtr<LMidiCaptureNotificationData>& data)
{
    mDeliveryPool->QueueWorkItem(RCPtr<LThreadWorker>(this), data, kDeliveryItemPriority);
}

void LMidiComm::GetInputDeviceNames(WStringArray& names)
{
    names = MakeUniqueNames(ReadDeviceNames(true));
}

void LMidiComm::GetOutputDeviceNames(WStringArray& names)
{
    names = MakeUniqueNames(ReadDeviceNames(false));
}

WStringArray LMidiComm::MakeUniqueNames(const WStringArray& deviceNames)
{
    WStringArray remaining = deviceNames;
    WStringArray unique;
    while (remaining.GetCount() > 0)
    {
        const WString name = remaining.GetAt(0);
        (void)remaining.RemoveAt(0, 1);
        int32_t duplicates = 0;
        for (uint32_t i = remaining.GetCount(); i-- > 0;)
        {
            if (remaining.GetAt(i) == name)
            {
                (void)remaining.RemoveAt(i, 1);
                ++duplicates;
            }
        }
        if (duplicates == 0)
        {
            (void)unique.Add(name);
            continue;
        }
        for (int32_t n = 1; n <= duplicates + 1; ++n)
            (void)unique.Add(name + WString::Format(u" (%d)", n));
    }
    return unique;
}

LMidiComm::NameMatch LMidiComm::MatchName(const WString& request, const WStringArray& uniqueNames)
{
    const WString lowerRequest = request.ToLower();
    NameMatch match;
    for (uint32_t i = 0; i < uniqueNames.GetCount(); ++i)
    {
        const WString lowerName = uniqueNames.GetAt(i).ToLower();
        if (lowerName.Find(lowerRequest) < 0)
            continue;
        if (lowerName == lowerRequest)
            return NameMatch{1, static_cast<int32_t>(i)};
        if (match.count++ == 0)
            match.position = static_cast<int32_t>(i);
    }
    return match;
}

void LMidiComm::SplitOrdinal(const WString& request, WString& baseName, int32_t& ordinal)
{
    const int length = request.GetLength();
    const char16_t* text = request.GetBuffer();
    for (const int digits : {1, 2})
    {
        const int suffix = digits + 3; // " (" digits ")"
        if (length < suffix)
            continue;
        const char16_t* tail = text + length - suffix;
        if (tail[0] == u' ' && tail[1] == u'(' && tail[suffix - 1] == u')')
        {
            ordinal = ParseDecimal(tail + 2, digits) - 1;
            baseName = request.Left(length - suffix);
            return;
        }
    }
    baseName = request;
    ordinal = 0;
}

bool LMidiComm::ReadDeviceName(bool input, uint32_t deviceId, WString& name)
{
    if (input)
    {
        Platform::MidiInCaps caps;
        if (Platform::MidiInCapabilities(deviceId, caps) != Platform::kMidiOk)
            return false;
        name = WString(caps.name);
        return true;
    }
    Platform::MidiOutCaps caps;
    if (Platform::MidiOutCapabilities(deviceId, caps) != Platform::kMidiOk)
        return false;
    name = WString(caps.name);
    return true;
}

bool LMidiComm::SelectDevice(bool input, const WString& requestedName, uint32_t& deviceId,
                             WString& deviceName)
{
    WString baseName;
    int32_t ordinal = 0;
    SplitOrdinal(requestedName, baseName, ordinal);
    const WString lowerBase = baseName.ToLower();

    const uint32_t count = CountDevices(input);
    int32_t qualifying = 0;
    for (uint32_t id = 0; id < count && ReadDeviceName(input, id, deviceName); ++id)
    {
        const WString lowerName = deviceName.ToLower();
        const int tail = lowerName.GetLength() - lowerBase.GetLength();
        if (tail < 0 || lowerName.Mid(tail) != lowerBase)
            continue;
        if (qualifying++ == ordinal)
        {
            deviceId = id;
            return true;
        }
    }
    return false;
}

ZQRESULT LMidiComm::OpenCapturePort(const WString& name, RCPtr<LRefCountedObject>& port)
{
    return OpenPort(*this, mCapturePorts, name, port);
}

ZQRESULT LMidiComm::OpenRenderPort(const WString& name, RCPtr<LRefCountedObject>& port)
{
    return OpenPort(*this, mRenderPorts, name, port);
}

ZQRESULT LMidiComm::RemoveCapturePort(const LMidiCapturePort* port)
{
    MutexLocker guard(mPortLock);
    return RemovePort(mCapturePorts, port);
}

ZQRESULT LMidiComm::RemoveRenderPort(const LMidiRenderPort* port)
{
    MutexLocker guard(mPortLock);
    return RemovePort(mRenderPorts, port);
}

int32_t LMidiComm::Send(const RCPtr<LRefCountedObject>& port, const ConstRCPtr<LIBuffer>& buffer)
{
    if (buffer.IsNull())
        return SendBytes(port, nullptr, 0);
    return SendBytes(port, static_cast<const uint8_t*>(buffer->GetData()), buffer->GetSize());
}

int32_t LMidiComm::Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes)
{
    return SendBytes(port, reinterpret_cast<const uint8_t*>(bytes.GetData()), bytes.GetCount());
}

int32_t LMidiComm::SendBytes(const RCPtr<LRefCountedObject>& port, const uint8_t* data, uint32_t length)
{
    const RCPtr<LMidiRenderPort> renderPort(port);
    if (renderPort.IsNull() || length == 0 || data == nullptr)
        return E_INVALIDARG;
    return renderPort->SendBytes(data, length);
}
} // namespace ZQ
