#pragma once

#include "ZQFramework/Utilities/Storage/Buffer.h"
#include "ZQFramework/Utilities/Storage/Iterable.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace ZQ
{

// The array of plain values (numbers, flags, raw pointers): the container interface over a byte buffer
// whose capacity follows the buffer's granularity and slack rule, here counted in elements (G and S).
// Elements are moved and cleared as bytes; no constructor or destructor of T ever runs. The template
// argument x is kept for the instances' names and changes nothing.
//
// The buffer is a member rather than a base: the container's typed GetData and the buffer's untyped one
// cannot share one name in one class.
template <typename T, uint32_t G, uint32_t S, int x = 1, uint32_t Align = 8>
class ArrayBuffer : public IArray<T>
{
    static_assert(std::is_trivially_copyable_v<T>, "ArrayBuffer moves its elements as bytes");

protected:
    static constexpr uint32_t kElementSize = static_cast<uint32_t>(sizeof(T));
    // The buffer counts pointer elements in 4-byte slots and scales them to the real pointer width.
    static constexpr uint32_t kSlotSize = std::is_pointer_v<T> ? 4u : kElementSize;
    using Storage = BufferT<G * kSlotSize, S * kSlotSize, Align, T*>;

public:
    using IArray<T>::GetData;

    ArrayBuffer() : mBuffer(0, 0, true) {}
    ArrayBuffer(const ArrayBuffer&) = delete;
    ArrayBuffer& operator=(const ArrayBuffer&) = delete;
    virtual ~ArrayBuffer() = default;

    [[nodiscard]] uint32_t GetCount() const override { return mBuffer.GetSize() / kElementSize; }
    [[nodiscard]] T* GetData() override { return static_cast<T*>(mBuffer.GetData()); }

    // Bytes of heap storage held for the elements.
    [[nodiscard]] uint32_t GetCapacity() const { return mBuffer.GetCapacity(); }

    // Sets the storage to n elements without clearing anything; the new count, or E_FAIL when n
    // elements do not fit in the buffer's 32-bit size.
    virtual ZQRESULT ResizeStorage(uint32_t n)
    {
        if (n > MaxElements())
        {
            return E_FAIL;
        }
        return static_cast<ZQRESULT>(mBuffer.SetSize(n * kElementSize) / kElementSize);
    }

    // Grown elements are zero bytes; shrinking drops the last elements.
    ZQRESULT SetCount(uint32_t n) override
    {
        const uint32_t oldCount = GetCount();
        const ZQRESULT result = ResizeStorage(n);
        if (result >= 0 && oldCount < n)
        {
            ZeroElements(oldCount, n - oldCount);
        }
        return result;
    }

    ZQRESULT InsertEmpty(uint32_t index, uint32_t n) override
    {
        const uint32_t count = GetCount();
        if (n == 0)
        {
            return static_cast<ZQRESULT>(count);
        }
        if (index > count || n > std::numeric_limits<uint32_t>::max() - count)
        {
            return E_INVALIDARG;
        }
        if (index == count)
        {
            return SetCount(count + n);
        }
        const ZQRESULT result = ResizeStorage(count + n);
        if (result < 0)
        {
            return result;
        }
        T* data = GetData();
        std::memmove(data + index + n, data + index, static_cast<size_t>(count - index) * kElementSize);
        ZeroElements(index, n);
        return static_cast<ZQRESULT>(count + n);
    }

    ZQRESULT RemoveAt(uint32_t index, uint32_t n) override
    {
        const uint32_t count = GetCount();
        if (n == 0)
        {
            return static_cast<ZQRESULT>(count);
        }
        if (index > count || n > count - index)
        {
            return E_INVALIDARG;
        }
        const uint32_t behind = count - index - n;
        if (behind > 0)
        {
            T* data = GetData();
            std::memmove(data + index, data + index + n, static_cast<size_t>(behind) * kElementSize);
        }
        return ResizeStorage(count - n);
    }

    // Returns the new count, or E_INVALIDARG for index > count.
    ZQRESULT InsertAt(uint32_t index, const T& item) override
    {
        const T held = item; // item may live in the storage that the insertion moves
        const ZQRESULT result = InsertEmpty(index, 1);
        if (result >= 0)
        {
            GetData()[index] = held;
        }
        return result;
    }

    // E_INVALIDARG for an index at or past the count, with out untouched.
    ZQRESULT RemoveItem(uint32_t index, T& out) override
    {
        if (index >= GetCount())
        {
            return E_INVALIDARG;
        }
        out = GetData()[index];
        return RemoveAt(index, 1);
    }

protected:
    static constexpr uint32_t MaxElements() { return std::numeric_limits<uint32_t>::max() / kElementSize; }

    void ZeroElements(uint32_t index, uint32_t n)
    {
        std::memset(static_cast<void*>(GetData() + index), 0, static_cast<size_t>(n) * kElementSize);
    }

    Storage mBuffer;
};

// An ArrayBuffer that keeps up to M elements inside the object and moves to the heap buffer only while it
// holds more. Either the inline count is 1..M and the buffer is empty, or the inline count is 0 and all
// elements (none, or more than M) are in the buffer.
template <typename T, uint32_t M, uint32_t G, uint32_t S, int x = 1, uint32_t Align = 8>
class ArrayBufferM : public ArrayBuffer<T, G, S, x, Align>
{
    using Base = ArrayBuffer<T, G, S, x, Align>;
    using Base::kElementSize;
    using Base::mBuffer;

public:
    using IArray<T>::GetData;

    ArrayBufferM() = default;

    [[nodiscard]] uint32_t GetCount() const override
    {
        return mInlineCount != 0 ? mInlineCount : mBuffer.GetSize() / kElementSize;
    }

    // The inline elements while the count is at most M (also when empty), else the heap buffer.
    [[nodiscard]] T* GetData() override
    {
        return GetCount() <= M ? mInline : static_cast<T*>(mBuffer.GetData());
    }

    ZQRESULT ResizeStorage(uint32_t n) override
    {
        const uint32_t oldCount = GetCount();
        if (oldCount <= M && n <= M)
        {
            mInlineCount = n;
        }
        else if (oldCount <= M)
        {
            if (n > Base::MaxElements())
            {
                return E_FAIL;
            }
            mBuffer.Allocate(n * kElementSize);
            std::memcpy(mBuffer.GetData(), mInline, static_cast<size_t>(oldCount) * kElementSize);
            mInlineCount = 0;
        }
        else if (n > M)
        {
            return Base::ResizeStorage(n);
        }
        else
        {
            std::memcpy(mInline, mBuffer.GetData(), static_cast<size_t>(n) * kElementSize);
            mInlineCount = n;
            mBuffer.Allocate(0);
        }
        return static_cast<ZQRESULT>(n);
    }

private:
    uint32_t mInlineCount = 0;
    T mInline[M]{};
};

} // namespace ZQ
