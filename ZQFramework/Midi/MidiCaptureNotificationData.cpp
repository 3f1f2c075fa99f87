#include "ZQFramework/Midi/MidiCaptureNotificationData.h"

#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"

#include <cstring>
#include <limits>

namespace ZQ
{
namespace
{
// Records are made on the platform's dispatch thread and released on the delivery thread (or by
// clients), so the pool locks itself.
ReuseAllocator<LMidiCaptureNotificationData, 4>& RecordPool()
{
    return GlobalReuseAllocator<LMidiCaptureNotificationData, 4, true>();
}
} // namespace

LMidiCaptureNotificationData::LMidiCaptureNotificationData(const LRefCountedObject* source,
                                                           const WString& portName, uint32_t timeStamp)
    : mSource(source), mPortName(portName), mTimeStamp(timeStamp)
{
    (void)mBytes.SetCount(0);
}

LMidiCaptureNotificationData::~LMidiCaptureNotificationData() = default;

void* LMidiCaptureNotificationData::operator new(std::size_t size)
{
    return RecordPool().Allocate(size);
}

void LMidiCaptureNotificationData::operator delete(void* pointer)
{
    RecordPool().Free(pointer);
}

ZQRESULT LMidiCaptureNotificationData::Append(const uint8_t* bytes, uint32_t count)
{
    if (count == 0)
        return S_OK;
    const uint32_t oldCount = mBytes.GetCount();
    if (count > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) - oldCount)
        return E_FAIL;
    if (mBytes.SetCount(oldCount + count) < 0 || mBytes.GetCount() != oldCount + count)
        return E_FAIL;
    std::memcpy(mBytes.GetData() + oldCount, bytes, count);
    return S_OK;
}
} // namespace ZQ
