#pragma once

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/TypeName.h"
#include "ZQFramework/Utilities/Storage/Buffer.h"
#include "ZQFramework/Utilities/Storage/Iterable.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace ZQ
{

// A growable, contiguous array of counted pointers to objects of T, handed out read-only. Each entry is
// one pointer, null or owning one reference; the entries move inside the storage as raw pointers, so
// shifting them costs no reference-count traffic. The storage grows and shrinks in steps of G entries and
// keeps at most S spare entries (G - 1 when S is 0). Framework objects that own lists of other framework
// objects keep them in these arrays; an array is used by one thread at a time or under its owner's lock.
//
// Removal hands the element over with the array's reference instead of copying it. Indexed access is
// checked only in debug builds (ZQ_ASSERT): callers compare with GetCount first.
template <class T, uint32_t G, uint32_t S>
class ConstRCPtrArray : public IArray<ConstRCPtr<T>>
{
public:
    using Entry = ConstRCPtr<T>;
    using IArray<Entry>::GetData;

    // count null entries; room for capacity entries is reserved while it stays within the slack.
    explicit ConstRCPtrArray(uint32_t count = 0, uint32_t capacity = 0)
        : mBuffer(Bytes(count), Bytes(capacity), true)
    {
    }
    ConstRCPtrArray(const ConstRCPtrArray&) = delete;
    ConstRCPtrArray& operator=(const ConstRCPtrArray&) = delete;

    // Releases every element, from index 0 upward.
    virtual ~ConstRCPtrArray() { ConstRCPtrArray::SetCount(0); }

    [[nodiscard]] uint32_t GetCount() const override
    {
        return static_cast<uint32_t>(mBuffer.GetSize() / kEntrySize);
    }
    [[nodiscard]] Entry* GetData() override { return static_cast<Entry*>(mBuffer.GetData()); }

    // Bytes of storage held for the entries.
    [[nodiscard]] uint32_t GetCapacity() const { return mBuffer.GetCapacity(); }

    // Exchanges two entries in place, without touching their counts; E_INVALIDARG for a bad index.
    ZQRESULT Swap(uint32_t a, uint32_t b) override
    {
        const uint32_t count = GetCount();
        if (a >= count || b >= count)
        {
            return E_INVALIDARG;
        }
        std::swap(RawEntries()[a], RawEntries()[b]);
        return S_OK;
    }

    // Returns the count reached; shrinking releases the dropped elements in index order.
    ZQRESULT SetCount(uint32_t n) override
    {
        const uint32_t count = GetCount();
        if (n < count)
        {
            return ConstRCPtrArray::RemoveAt(n, count - n);
        }
        if (n > count)
        {
            Resize(n);
            ClearEntries(count, n - count);
        }
        return static_cast<ZQRESULT>(n);
    }

    // Opens k null entries at index; the new count, or E_INVALIDARG for index > count.
    ZQRESULT InsertEmpty(uint32_t index, uint32_t k) override
    {
        const uint32_t count = GetCount();
        if (k == 0)
        {
            return static_cast<ZQRESULT>(count);
        }
        if (index > count || k > kMaxEntries - count)
        {
            return E_INVALIDARG;
        }
        if (index == count)
        {
            return ConstRCPtrArray::SetCount(count + k);
        }
        Resize(count + k);
        std::memmove(RawEntries() + index + k, RawEntries() + index, (count - index) * kEntrySize);
        ClearEntries(index, k);
        return static_cast<ZQRESULT>(count + k);
    }

    // Removes k elements from index on and releases them in index order; the new count. A range that
    // runs past the count removes what is there and then throws.
    ZQRESULT RemoveAt(uint32_t index, uint32_t k) override
    {
        const uint32_t count = GetCount();
        if (k == 0)
        {
            return static_cast<ZQRESULT>(count);
        }
        const uint32_t available = index < count ? count - index : 0;
        const uint32_t taken = k < available ? k : available;
        if (taken > 0)
        {
            // Each element leaves its entry (now null) before it is released, so a release that reaches
            // back into this array never finds a dangling entry; the gap closes once all are released.
            for (uint32_t i = index; i < index + taken; ++i)
            {
                const Entry released = std::move(GetData()[i]);
            }
            std::memmove(RawEntries() + index, RawEntries() + index + taken,
                         (count - index - taken) * kEntrySize);
            Resize(count - taken);
        }
        if (taken < k)
        {
            ThrowOutOfRange();
        }
        return static_cast<ZQRESULT>(GetCount());
    }

    // item goes in by the pointer's assignment (an unshareable object is copied); returns index.
    ZQRESULT InsertAt(uint32_t index, const Entry& item) override
    {
        const Entry held = item; // item may be an entry of this array, which the insertion moves
        const ZQRESULT result = InsertEmpty(index, 1);
        if (result < 0)
        {
            return result;
        }
        GetData()[index] = held;
        return static_cast<ZQRESULT>(index);
    }

    // Hands the element at index to out together with the array's reference; the new count. Throws for
    // an index at or past the count, with nothing changed.
    ZQRESULT RemoveItem(uint32_t index, Entry& out) override
    {
        if (index >= GetCount())
        {
            ThrowOutOfRange();
        }
        return TakeOut(index, out);
    }

    // Hands the last element to out; E_FAIL with out cleared when the array is empty.
    ZQRESULT RemoveLastItem(Entry& out) override
    {
        out = nullptr;
        const uint32_t count = GetCount();
        if (count == 0)
        {
            return E_FAIL;
        }
        return TakeOut(count - 1, out);
    }

protected:
    static constexpr uint32_t kEntrySize = static_cast<uint32_t>(sizeof(T*));
    static constexpr uint32_t kMaxEntries = std::numeric_limits<uint32_t>::max() / kEntrySize;

    static uint32_t Bytes(uint32_t entries)
    {
        if (entries > kMaxEntries)
        {
            throw Exception<std::bad_alloc>();
        }
        return entries * kEntrySize;
    }

    // The storage as raw object pointers (the entries' only field).
    T** RawEntries() { return static_cast<T**>(mBuffer.GetData()); }

    // The element at index moves into out with its reference; the gap closes.
    ZQRESULT TakeOut(uint32_t index, Entry& out)
    {
        const uint32_t count = GetCount();
        Entry taken = std::move(GetData()[index]); // no count changes: the array's reference moves
        std::memmove(RawEntries() + index, RawEntries() + index + 1, (count - index - 1) * kEntrySize);
        Resize(count - 1);
        out = std::move(taken);
        return static_cast<ZQRESULT>(GetCount());
    }

    [[noreturn]] static void ThrowOutOfRange()
    {
        throw Exception<std::out_of_range>("Out of Range : ZQ::ConstRCPtrArray<" + TypeName<T>() + "," +
                                           std::to_string(G) + "," + std::to_string(S) +
                                           ">::RemoveItem : zqframework\\utilities\\Storage/ConstRCPtrArray"
                                           " : Line 217");
    }

private:
    static_assert(sizeof(Entry) == sizeof(T*), "an entry is exactly one object pointer");

    void Resize(uint32_t entries) { mBuffer.SetSize(Bytes(entries)); }
    void ClearEntries(uint32_t index, uint32_t k)
    {
        std::memset(static_cast<void*>(RawEntries() + index), 0, static_cast<size_t>(k) * kEntrySize);
    }

    // Granularity and slack in 4-byte slots; the buffer scales them to the pointer width.
    BufferT<4 * G, 4 * S, 8, T**> mBuffer;
};

} // namespace ZQ
