#pragma once

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/TypeName.h"
#include "ZQFramework/System/Sync/ScopedLock.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ZQ
{

// A first-in, first-out queue of counted pointers to T, kept in a ring that grows without limit. Items
// may be added from any thread; one consumer takes them out. Every operation runs under the lock of type
// L (Lock/Unlock) that the owner lends and keeps alive; with a null lock the queue takes none.
//
// The ring's size, as GetRingSize reports it, starts at the capacity given and widens by one slot when an
// item arrives at a full ring (one slot always stays empty, so a full ring differs from an empty one).
// The slots behind it live in a pointer array that doubles when the items fill it, so a growing backlog
// costs constant time per item on average; slots without an item hold null. The count of waiting items
// is an atomic written under the lock, so that GetCount takes none.
template <class T, uint32_t G, class L>
class RCPtrQueue
{
public:
    // capacity null slots (0, or at least 2).
    RCPtrQueue(L* lock, uint32_t capacity) : mRing(capacity, capacity), mRingSize(capacity), mLock(lock) {}
    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;

    // Appends item; the queue takes a reference. Returns 0.
    ZQRESULT Enqueue(const ConstRCPtr<T>& item) { return Enqueue(RCPtr<T>(item)); }

    // Appends item with the reference it holds, which is taken before the lock. Returns 0.
    ZQRESULT Enqueue(RCPtr<T>&& item)
    {
        const ScopedLock<L> guard(mLock);
        EnqueueLocked(std::move(item));
        return S_OK;
    }

    // Appends item, with the reference it holds, when accept() (asked under the lock, so that it may read
    // what the lock guards) returns true; item is left as it was otherwise. Returns whether it was added.
    template <class Accept>
    bool EnqueueIf(RCPtr<T>&& item, Accept accept)
    {
        const ScopedLock<L> guard(mLock);
        if (!accept())
            return false;
        EnqueueLocked(std::move(item));
        return true;
    }

    // Removes and returns the oldest item, with the reference the queue held. Throws when empty.
    [[nodiscard]] RCPtr<T> Dequeue()
    {
        const ScopedLock<L> guard(mLock);
        if (Count() < 1)
        {
            throw Exception<std::runtime_error>("Runtime Error : ZQ::RCPtrQueue<" + TypeName<T>() + "," +
                                                std::to_string(G) + "," + TypeName<L>() +
                                                ">::Dequeue : zqframework\\utilities\\Storage/RCPtrQueue"
                                                " : Line 110");
        }
        return DequeueLocked();
    }

    // Removes every waiting item and appends it to out, oldest first, with the reference the queue held:
    // one lock for the lot. Returns how many.
    uint32_t DequeueAll(std::vector<RCPtr<T>>& out)
    {
        const ScopedLock<L> guard(mLock);
        const uint32_t count = Count();
        out.reserve(out.size() + count);
        for (uint32_t i = 0; i < count; ++i)
            out.push_back(DequeueLocked());
        return count;
    }

    // Puts items[first] onwards back in front of the waiting items, in their order, with the references
    // they hold; items keeps null pointers in their place.
    void RequeueFront(std::vector<RCPtr<T>>& items, size_t first)
    {
        const ScopedLock<L> guard(mLock);
        std::vector<RCPtr<T>> waiting;
        waiting.reserve(Count());
        while (Count() > 0)
            waiting.push_back(DequeueLocked());
        for (size_t i = first; i < items.size(); ++i)
            EnqueueLocked(std::move(items[i]));
        for (RCPtr<T>& item : waiting)
            EnqueueLocked(std::move(item));
    }

    // The number of items waiting; no lock is taken.
    [[nodiscard]] uint32_t GetCount() const { return mCount.load(std::memory_order_acquire); }

    // The number of slots in the ring, for diagnostics.
    [[nodiscard]] uint32_t GetRingSize() const
    {
        const ScopedLock<L> guard(mLock);
        return mRingSize;
    }

private:
    [[nodiscard]] uint32_t Count() const { return mCount.load(std::memory_order_relaxed); }

    void EnqueueLocked(RCPtr<T>&& item)
    {
        const uint32_t count = Count();
        if (mRingSize == 0)
        {
            mRingSize = 2;
        }
        if (mRingSize == count + 1)
        {
            ++mRingSize;
        }
        if (count == mRing.GetCount())
        {
            Grow();
        }
        mRing.GetAt(mWrite) = std::move(item);
        mWrite = NextSlot(mWrite);
        mCount.store(count + 1, std::memory_order_release);
    }

    // Called with at least one item waiting.
    RCPtr<T> DequeueLocked()
    {
        RCPtr<T> result = std::move(mRing.GetAt(mRead));
        mRead = NextSlot(mRead);
        mCount.store(Count() - 1, std::memory_order_release);
        return result;
    }

    uint32_t NextSlot(uint32_t slot) const { return slot + 1 == mRing.GetCount() ? 0 : slot + 1; }

    // Called with every slot of the array holding an item (mWrite == mRead): doubles the array. The
    // items from mRead to the end stay; the ones that wrapped to the front move up behind them, as raw
    // pointers, so the references move with them and no count changes.
    void Grow()
    {
        const uint32_t slots = mRing.GetCount();
        if (slots > UINT32_MAX / 2)
        {
            throw Exception<std::bad_alloc>();
        }
        (void)mRing.SetCount(std::max(2u, slots * 2));
        if (mWrite != 0)
        {
            void* data = mRing.GetData();
            auto* raw = static_cast<T**>(data);
            std::memcpy(raw + slots, raw, mWrite * sizeof(T*));
            std::memset(static_cast<void*>(raw), 0, mWrite * sizeof(T*));
        }
        mWrite += slots;
    }

    // All fields are guarded by *mLock; mCount is written only under it and may be read without it.
    RCPtrArray<T, G, G> mRing;
    uint32_t mRingSize; // the ring's size as reported: the capacity given, widened one slot at a time
    std::atomic<uint32_t> mCount{0}; // items waiting
    uint32_t mWrite = 0;             // the slot the next item goes into
    uint32_t mRead = 0;              // the slot of the oldest item
    L* mLock;                        // not owned
};

} // namespace ZQ
