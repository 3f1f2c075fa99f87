#pragma once

#include "ZQFramework/System/Sync/EventLock.h"
#include "ZQFramework/System/Sync/ScopedLock.h"
#include "ZQFramework/Utilities/Storage/ArrayBuffer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace ZQ
{

// A pool for the objects of one small, often made and soon released class T. T's operator new takes its
// storage from Allocate and its operator delete gives it back through Free. The pool keeps every block it
// ever made and hands the most recently released one out first, so once it holds as many blocks as
// objects of T were alive at one time, making and releasing objects of T costs no heap allocation.
//
// Each block holds one T behind a small header that records the block's index in the pool. A request of
// another size is served by malloc behind a header of the same shape marked as foreign, so Free only ever
// reads a header that this pool wrote. n is the growth step of the two index arrays.
//
// A pool made thread-safe locks itself around every change of its arrays; otherwise it is used by one
// thread at a time. Process-wide pools are made with GlobalReuseAllocator below, which never destroys
// them, so objects released during process exit still find their pool.
template <typename T, uint32_t n>
class ReuseAllocator
{
public:
    struct Buf
    {
        uint32_t index;
        alignas(alignof(T) > alignof(std::max_align_t)
                    ? alignof(T)
                    : alignof(std::max_align_t)) unsigned char storage[sizeof(T)];
    };

    explicit ReuseAllocator(bool threadSafe)
    {
        // Make room for the first n entries of each array up front.
        mBlocks.SetCount(1);
        mBlocks.SetCount(0);
        mFree.SetCount(1);
        mFree.SetCount(0);
        if (threadSafe)
        {
            mLock = std::make_unique<EventLock>();
        }
    }

    ReuseAllocator(const ReuseAllocator&) = delete;
    ReuseAllocator& operator=(const ReuseAllocator&) = delete;

    // Gives every block back, also those still handed out: no object of T may outlive its pool.
    virtual ~ReuseAllocator()
    {
        for (uint32_t i = mBlocks.GetCount(); i-- > 0;)
        {
            delete mBlocks.GetAt(i);
        }
        mBlocks.SetCount(0);
        mFree.SetCount(0);
    }

    // Storage for one T (uninitialised); storage of another size comes from malloc.
    [[nodiscard]] void* Allocate(std::size_t size)
    {
        if (size != sizeof(T))
        {
            return AllocateForeign(size);
        }
        Buf* block = nullptr;
        {
            const ScopedLock<EventLock> guard(mLock.get());
            const uint32_t freeCount = mFree.GetCount();
            if (freeCount > 0)
            {
                block = mBlocks.GetAt(mFree.GetAt(freeCount - 1));
                mFree.SetCount(freeCount - 1);
            }
            else
            {
                block = MakeBlock();
            }
        }
        return block->storage;
    }

    // Takes back storage that Allocate handed out; null is ignored.
    void Free(void* pointer)
    {
        if (pointer == nullptr)
        {
            return;
        }
        auto* header = static_cast<unsigned char*>(pointer) - kHeaderSize;
        {
            const ScopedLock<EventLock> guard(mLock.get());
            uint32_t index;
            std::memcpy(&index, header, sizeof index);
            if (index < mBlocks.GetCount() && mBlocks.GetAt(index)->storage == pointer)
            {
                mFree.Add(index);
                return;
            }
        }
        std::free(header);
    }

    // The number of blocks made so far, and of those that are free.
    [[nodiscard]] uint32_t GetBlockCount() const
    {
        const ScopedLock<EventLock> guard(mLock.get());
        return mBlocks.GetCount();
    }
    [[nodiscard]] uint32_t GetFreeCount() const
    {
        const ScopedLock<EventLock> guard(mLock.get());
        return mFree.GetCount();
    }

private:
    static constexpr std::size_t kHeaderSize = offsetof(Buf, storage);
    // The index written in front of foreign storage; never below the block count.
    static constexpr uint32_t kForeign = 0xFFFFFFFFu;

    // Called under the lock.
    Buf* MakeBlock()
    {
        const uint32_t index = mBlocks.GetCount();
        std::unique_ptr<Buf> block(new Buf); // the storage stays uninitialised
        block->index = index;
        mBlocks.Add(block.get());
        return block.release();
    }

    static void* AllocateForeign(std::size_t size)
    {
        auto* header = static_cast<unsigned char*>(std::malloc(kHeaderSize + size));
        if (header == nullptr)
        {
            throw std::bad_alloc();
        }
        std::memcpy(header, &kForeign, sizeof kForeign);
        return header + kHeaderSize;
    }

    ArrayBuffer<Buf*, n, 1600, 1, 8> mBlocks;       // every block made, each at the index it records
    ArrayBuffer<unsigned int, n, 1600, 1, 8> mFree; // indexes of free blocks, the latest released last
    std::unique_ptr<EventLock> mLock;               // null for a pool used by one thread
};

// The process-wide pool of T, made on first use and deliberately never destroyed: objects of T that are
// still alive while the program's statics are destroyed keep valid storage and can still be released.
template <typename T, uint32_t n, bool threadSafe>
ReuseAllocator<T, n>& GlobalReuseAllocator()
{
    static ReuseAllocator<T, n>* const pool = new ReuseAllocator<T, n>(threadSafe);
    return *pool;
}

} // namespace ZQ
