#include "ZQFramework/Midi/MidiCommInterface.h"

#include "ZQFramework/Midi/MidiCaptureNotificationData.h"
#include "ZQFramework/Midi/MidiComm.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationReceiver.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

namespace ZQ
{
RCPtr<LMidiCommInterface> LMidiCommInterface::Create()
{
    return RCPtr<LMidiCommInterface>(LMidiComm::Create());
}

LMidiCommInterface::LMidiCommInterface() = default;

LMidiCommInterface::~LMidiCommInterface() = default;

RCPtr<LIMidiFilter> LMidiCommInterface::GetFilter(MidiClientKey clientKey)
{
    MutexLocker guard(mFilterLock);
    for (uint32_t i = 0; i < mFilters.GetCount(); ++i)
    {
        const MidiFilterEntry& entry = mFilters.GetAt(i);
        if (entry.mClientKey != clientKey || entry.mFilter.IsNull())
            continue;
        const ConstRCPtr<LRefCountedObject> copy = entry.mFilter->CreateCopy();
        const ConstRCPtr<LIMidiFilter> typed(copy);
        return RCPtr<LIMidiFilter>(typed);
    }
    return nullptr;
}

ZQRESULT LMidiCommInterface::SetFilter(MidiClientKey clientKey, const ConstRCPtr<LIMidiFilter>& filter)
{
    // The copy is made before the lock: CreateCopy is the client's code.
    ConstRCPtr<LIMidiFilter> copy;
    if (!filter.IsNull())
    {
        const ConstRCPtr<LRefCountedObject> made = filter->CreateCopy();
        copy = ConstRCPtr<LIMidiFilter>(made);
    }
    MutexLocker guard(mFilterLock);
    for (uint32_t i = 0; i < mFilters.GetCount(); ++i)
    {
        MidiFilterEntry& entry = mFilters.GetAt(i);
        if (entry.mClientKey != clientKey)
            continue;
        if (filter.IsNull())
            (void)mFilters.RemoveAt(i, 1);
        else
            entry.mFilter = copy;
        return S_OK;
    }
    if (!filter.IsNull())
        (void)mFilters.Add(MidiFilterEntry{clientKey, copy});
    return S_OK;
}

bool LMidiCommInterface::FilterAccepts(const LNotificationClientPool& pool, int32_t index,
                                       const LMidiCaptureNotificationData& data)
{
    const RCPtr<LNotificationReceiver> client = pool.GetClientAt(static_cast<uint32_t>(index));
    if (client.IsNull())
        return true;
    const MidiClientKey key = GetClientKey(client.Get());
    MutexLocker guard(mFilterLock);
    for (uint32_t i = 0; i < mFilters.GetCount(); ++i)
    {
        const MidiFilterEntry& entry = mFilters.GetAt(i);
        if (entry.mClientKey != key)
            continue;
        return entry.mFilter.IsNull() || entry.mFilter->Accept(data.GetData(), data.GetCount());
    }
    return true;
}

ZQRESULT LMidiCommInterface::DeliverCapturedData(const RCPtr<LMidiCaptureNotificationData>& data)
{
    const NotificationID id = LNotification::GetIDFromName(kMidiDataCapturedNotificationName);
    const RCPtr<LNotificationClientPool> pool = GetClientPool(id);
    if (pool.IsNull() || pool->GetCount() == 0)
        return S_FALSE;

    const RCPtr<LNotificationDistributor> self(this);
    RCPtr<LNotification> notification;
    int32_t index = static_cast<int32_t>(pool->GetCount()) - 1;
    while (index >= 0)
    {
        const auto count = static_cast<int32_t>(pool->GetCount());
        if (index >= count)
        {
            // Entries went away meanwhile: go on from the new end.
            index = count - 1;
            continue;
        }
        if (!data.IsNull() && !FilterAccepts(*pool, index, *data))
        {
            --index;
            continue;
        }
        if (notification.IsNull())
        {
            notification = LNotification::Create(kMidiDataCapturedNotificationName, data);
            if (notification.IsNull())
                break;
        }
        index = pool->NotifyClientAt(self, index, notification) - 1;
    }
    return S_OK;
}
} // namespace ZQ
