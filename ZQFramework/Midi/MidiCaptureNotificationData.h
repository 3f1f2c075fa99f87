#pragma once

#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/ArrayBuffer.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstddef>
#include <cstdint>

namespace ZQ
{
// One captured MIDI message, the parameter of "NID_MIDI_DATA_CAPTURED": a channel or system message of
// 1 to 3 bytes (status first), or a whole system-exclusive message from F0 through F7. Made on the
// capture callback thread, read by clients on the delivery thread; not changed once queued for delivery.
// Records come from a process-wide pool and go back to it.
class LMidiCaptureNotificationData : public LRefCountedObject
{
public:
    using Bytes = ArrayBufferM<signed char, 4, 1, 0, 1, 8>;

    LMidiCaptureNotificationData(const LRefCountedObject* source, const WString& portName,
                                 uint32_t timeStamp);
    ~LMidiCaptureNotificationData() override;

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // The capture port that received the message; not a counted reference, compare it only.
    [[nodiscard]] const LRefCountedObject* GetSource() const { return mSource; }
    // The requested name of that port.
    [[nodiscard]] const WString& GetPortName() const { return mPortName; }
    // Milliseconds since input started, as reported with a short message; 0 for system-exclusive ones.
    [[nodiscard]] uint32_t GetTimeStamp() const { return mTimeStamp; }

    [[nodiscard]] const signed char* GetData() const { return mBytes.GetData(); }
    [[nodiscard]] int32_t GetCount() const { return static_cast<int32_t>(mBytes.GetCount()); }
    [[nodiscard]] const Bytes& GetBytes() const { return mBytes; }

    // Appends count bytes; E_FAIL when they do not fit.
    ZQRESULT Append(const uint8_t* bytes, uint32_t count);

private:
    const LRefCountedObject* mSource;
    WString mPortName;
    uint32_t mTimeStamp;
    Bytes mBytes;
};
} // namespace ZQ
