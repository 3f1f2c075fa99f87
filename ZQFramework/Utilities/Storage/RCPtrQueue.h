#pragma once

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/TypeName.h"
#include "ZQFramework/System/Sync/ScopedLock.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace ZQ
{

// A first-in, first-out queue of counted pointers to T, kept in a ring over a pointer array that grows
// without limit: when the ring is full the next item widens it by one slot, and it never shrinks. Items
// may be added from any thread; one consumer takes them out. Every operation runs under the lock of type
// L (Lock/Unlock) that the owner lends and keeps alive; with a null lock the queue takes none.
//
// One slot always stays empty, so a full ring differs from an empty one; slots without an item hold null.
template <class T, uint32_t G, class L>
class RCPtrQueue
{
public:
    // capacity null slots (0, or at least 2).
    RCPtrQueue(L* lock, uint32_t capacity) : mRing(capacity, capacity), mLock(lock) {}
    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;

    // Appends item; the queue takes a reference. Returns 0.
    ZQRESULT Enqueue(const ConstRCPtr<T>& item)
    {
        const ScopedLock<L> guard(mLock);
        if (mRing.GetCount() == 0)
        {
            mRing.SetCount(2);
            mWrite = 0;
            mRead = 0;
        }
        if (mRing.GetCount() == CountLocked() + 1)
        {
            Widen();
        }
        mRing.GetAt(mWrite) = item;
        mWrite = NextSlot(mWrite);
        return S_OK;
    }

    // Removes and returns the oldest item, with the reference the queue held. Throws when empty.
    [[nodiscard]] RCPtr<T> Dequeue()
    {
        const ScopedLock<L> guard(mLock);
        if (CountLocked() < 1)
        {
            throw Exception<std::runtime_error>("Runtime Error : ZQ::RCPtrQueue<" + TypeName<T>() + "," +
                                                std::to_string(G) + "," + TypeName<L>() +
                                                ">::Dequeue : zqframework\\utilities\\Storage/RCPtrQueue"
                                                " : Line 110");
        }
        RCPtr<T> result = std::move(mRing.GetAt(mRead));
        mRead = NextSlot(mRead);
        return result;
    }

    // The number of items waiting.
    [[nodiscard]] uint32_t GetCount() const
    {
        const ScopedLock<L> guard(mLock);
        return CountLocked();
    }

    // The number of slots in the ring, for diagnostics.
    [[nodiscard]] uint32_t GetRingSize() const
    {
        const ScopedLock<L> guard(mLock);
        return mRing.GetCount();
    }

private:
    uint32_t CountLocked() const
    {
        const uint32_t size = mRing.GetCount();
        if (size == 0)
        {
            return 0;
        }
        return mWrite >= mRead ? mWrite - mRead : mWrite + size - mRead;
    }

    uint32_t NextSlot(uint32_t slot) const { return slot + 1 == mRing.GetCount() ? 0 : slot + 1; }

    // Called with the ring full: mWrite is its one empty slot and mRead the slot behind it. Adds one slot,
    // after which the ring holds the same items in the same order and two empty slots, one at mWrite.
    // Of the two runs of items on either side of the empty slot, the shorter one moves: none when the
    // items do not wrap, otherwise the run from mRead to the end of the array (the gap opens at mRead) or
    // the run in front of mWrite (it moves up by one across the end of the array).
    void Widen()
    {
        const uint32_t size = mRing.GetCount();
        const uint32_t tail = size - mRead;
        const uint32_t head = mWrite;
        if (mRead == 0)
        {
            (void)mRing.SetCount(size + 1);
        }
        else if (tail <= head)
        {
            (void)mRing.InsertEmpty(mRead, 1);
            ++mRead;
        }
        else
        {
            (void)mRing.SetCount(size + 1);
            if (head == 0)
            {
                mWrite = size;
                return;
            }
            // A slot is one object pointer; like the array itself, move the run as raw pointers, so the
            // references move with them and no count changes.
            void* slots = mRing.GetData();
            auto* raw = static_cast<T**>(slots);
            raw[size] = raw[0];
            std::memmove(raw, raw + 1, (head - 1) * sizeof(T*));
            raw[head - 1] = nullptr;
            mWrite = head - 1;
        }
    }

    // All fields are guarded by *mLock.
    RCPtrArray<T, G, G> mRing;
    uint32_t mWrite = 0; // the slot the next item goes into
    uint32_t mRead = 0;  // the slot of the oldest item
    L* mLock;            // not owned
};

} // namespace ZQ
