#pragma once

#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/Midi/IMidiFilter.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/CountedBuffer.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
class LNotificationReceiver;

// Name of the notification that carries each captured message (parameter: LMidiCaptureNotificationData).
inline constexpr const char16_t* kMidiDataCapturedNotificationName = u"NID_MIDI_DATA_CAPTURED";

// The MIDI object as its users see it: opens input (capture) and output (render) ports by device name,
// sends on render ports and delivers what capture ports receive to the clients registered with this
// distributor for "NID_MIDI_DATA_CAPTURED", each through its optional filter. Ports are handed out as
// counted objects: hold one to keep the port open, pass it back to Send, release it to close it.
class LMidiCommInterface : public LNotificationDistributor
{
public:
    // One filter table entry: a registered client's key and its filter.
    struct MidiFilterEntry
    {
        MidiClientKey mClientKey = 0;
        ConstRCPtr<LIMidiFilter> mFilter;
    };

    // A new MIDI object over the machine's MIDI ports.
    [[nodiscard]] static RCPtr<LMidiCommInterface> Create();

    // The key under which SetFilter files a client's filter.
    [[nodiscard]] static MidiClientKey GetClientKey(const LNotificationReceiver* client)
    {
        return reinterpret_cast<MidiClientKey>(client);
    }

    // Opens (or reuses) the input port of the device name names. A name that is a device's unique name
    // (duplicates numbered " (1)", " (2)", ...) selects it exactly; a part of one selects the device whose
    // name ends with it. 0 with port set; E_INVALIDARG when the name matches several devices; E_FAIL when
    // nothing could be opened (port null).
    virtual ZQRESULT OpenCapturePort(const WString& name, RCPtr<LRefCountedObject>& port) = 0;
    // The same for an output port.
    virtual ZQRESULT OpenRenderPort(const WString& name, RCPtr<LRefCountedObject>& port) = 0;

    // Sends the buffer's bytes on a render port. A buffer that starts with a status byte other than F0 or
    // F7 goes out as one short message and the result is its length; anything else goes out as one long
    // message and the call waits (up to 10000 ms) until the device confirmed it; the result is then the
    // byte count. E_INVALIDARG when port is not a render port or there is nothing to send; E_FAIL when the
    // port failed or the long message was not confirmed in time.
    virtual int32_t Send(const RCPtr<LRefCountedObject>& port, const ConstRCPtr<LIBuffer>& buffer) = 0;
    virtual int32_t Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes) = 0;

    // A copy of the client's filter, or null.
    [[nodiscard]] virtual RCPtr<LIMidiFilter> GetFilter(MidiClientKey clientKey);
    // Stores a copy of filter for the client; null removes the client's entry. 0.
    virtual ZQRESULT SetFilter(MidiClientKey clientKey, const ConstRCPtr<LIMidiFilter>& filter);
    // Delivers one record as "NID_MIDI_DATA_CAPTURED" to every registered client whose filter accepts it,
    // the most recently registered first. 1 when nobody is registered, else 0. Runs on the delivery thread.
    virtual ZQRESULT DeliverCapturedData(const RCPtr<LMidiCaptureNotificationData>& data);

protected:
    LMidiCommInterface();
    ~LMidiCommInterface() override;

    // True when the filter of client accepts the record (also when it has none).
    [[nodiscard]] bool FilterAccepts(const LNotificationClientPool& pool, int32_t index,
                                     const LMidiCaptureNotificationData& data);

    Mutex mFilterLock;
    Array<MidiFilterEntry> mFilters; // guarded by mFilterLock
};
} // namespace ZQ
