#pragma once

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/SystemAllocator.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace ZQ
{
// Raw storage of bytes behind one interface.
class IBuffer
{
public:
    virtual ~IBuffer() = default;

    // Bytes in use.
    [[nodiscard]] virtual uint32_t GetSize() const = 0;
    // Room for n bytes without keeping the contents; returns n.
    virtual uint32_t Allocate(uint32_t n) = 0;
    // Sets the bytes in use, keeping the contents; returns n.
    virtual uint32_t SetSize(uint32_t n) = 0;
    // Sets count bytes from offset to value; count < 0 means to the end. E_INVALIDARG when the range is
    // not inside the size.
    virtual ZQRESULT Fill(uint8_t value, uint32_t offset, int32_t count) = 0;
    // Sets count 16-bit units from byte offset (need not be even) to value; count < 0 means as many
    // whole units as fit before the end. E_INVALIDARG when the range is not inside the size.
    virtual ZQRESULT Fill16(uint16_t value, uint32_t offset, int32_t count) = 0;
    // Bytes allocated.
    [[nodiscard]] virtual uint32_t GetCapacity() const = 0;
    // The first byte; null while nothing is allocated.
    [[nodiscard]] virtual void* GetData() const = 0;
};

// A byte buffer whose capacity moves in steps: it is a multiple of the granularity Gran (a power of two),
// grows when the size needs more and shrinks when more than the slack would stay spare (Slack 0 stands
// for Gran - 1). Allocate never copies; SetSize reallocates and keeps the bytes.
//
// A derived class may hand the buffer a block that lives inside its own object (an inline block): the
// buffer uses it for as long as its capacity stays as it was made and never frees it; the first change
// of capacity moves the bytes to a block from the allocator.
//
// Buffers of pointers (T is a pointer to pointer) count Gran and Slack in 4-byte pointer slots, so the
// same template arguments keep the same number of elements of room on a 64-bit build: the byte figures
// are scaled by sizeof(void*) / 4 there.
template <uint32_t Gran, uint32_t Slack = 0, uint32_t Align = 8, typename T = char*,
          IAllocator* (*Alloc)() = &GetSystemAllocator>
class BufferT : public virtual IBuffer
{
    static_assert(Gran != 0 && (Gran & (Gran - 1)) == 0, "the granularity is a power of two");
    static_assert(std::is_pointer_v<T>, "T is the pointer type of the data");

    static constexpr uint32_t kScale =
        std::is_pointer_v<std::remove_pointer_t<T>> ? static_cast<uint32_t>(sizeof(void*) / 4) : 1;

public:
    static constexpr uint32_t kGranularity = Gran * kScale;
    // The most bytes SetSize leaves spare before it gives memory back.
    static constexpr uint32_t kSlackLimit = Slack > 0 ? Slack* kScale : kGranularity - 1;

    explicit BufferT(uint32_t size = 0, uint32_t capacity = 0, bool zeroFill = true)
    {
        if (capacity > size)
        {
            mBlock = AllocateBlock(capacity);
            mData = static_cast<T>(mBlock);
            mCapacity = capacity;
        }
        BufferT::SetSize(size);
        if (size != 0 && zeroFill)
            std::memset(mBlock, 0, size);
    }

    BufferT(const BufferT&) = delete;
    BufferT& operator=(const BufferT&) = delete;

    ~BufferT() override
    {
        FreeBlock();
        mBlock = nullptr;
        mData = nullptr;
        mSize = 0;
        mCapacity = 0;
    }

    [[nodiscard]] uint32_t GetSize() const override { return mSize; }
    [[nodiscard]] uint32_t GetCapacity() const override { return mCapacity; }
    [[nodiscard]] void* GetData() const override { return mBlock; }
    // The data with its element type.
    [[nodiscard]] T GetTypedData() const { return mData; }

    uint32_t Allocate(uint32_t n) override
    {
        if (n == 0)
        {
            if (mCapacity != 0)
                Release();
            return 0;
        }
        const uint32_t rounded = RoundUp(n);
        if (rounded != mCapacity)
        {
            // Allocate first so that a failure leaves the buffer as it was.
            void* block = AllocateBlock(rounded);
            FreeBlock();
            mBlock = block;
            mData = static_cast<T>(block);
            mCapacity = rounded;
        }
        mSize = n;
        return n;
    }

    uint32_t SetSize(uint32_t n) override
    {
        if (mCapacity == 0)
            return Allocate(n);
        if (mCapacity < n || mCapacity - n > kSlackLimit)
        {
            const uint32_t rounded = RoundUp(n);
            if (rounded == 0)
            {
                Release();
                return 0;
            }
            void* block = mInlineBlock ? MoveOutOfInlineBlock(rounded) : Alloc()->Reallocate(mBlock, rounded);
            if (block == nullptr)
                throw Exception<std::bad_alloc>();
            mBlock = block;
            mData = static_cast<T>(block);
            mCapacity = rounded;
        }
        mSize = n;
        return n;
    }

    ZQRESULT Fill(uint8_t value, uint32_t offset, int32_t count) override
    {
        uint64_t bytes;
        if (!FitRange(offset, count, 1, bytes))
            return E_INVALIDARG;
        if (bytes != 0)
            std::memset(static_cast<uint8_t*>(GetData()) + offset, value, bytes);
        return S_OK;
    }

    ZQRESULT Fill16(uint16_t value, uint32_t offset, int32_t count) override
    {
        uint64_t units;
        if (!FitRange(offset, count, 2, units))
            return E_INVALIDARG;
        // Byte by byte: the offset need not be aligned. The unit keeps the machine's byte order.
        uint8_t pattern[2];
        std::memcpy(pattern, &value, 2);
        auto* p = static_cast<uint8_t*>(GetData()) + offset;
        for (uint64_t i = 0; i < units; ++i)
        {
            p[2 * i] = pattern[0];
            p[2 * i + 1] = pattern[1];
        }
        return S_OK;
    }

protected:
    // A block inside the derived object.
    struct InlineBlock
    {
        void* block;
    };

    // A buffer of size bytes (not 0) in inlineBlock, which holds capacity bytes (InitialCapacity) and
    // lives as long as the buffer.
    BufferT(InlineBlock inlineBlock, uint32_t size, uint32_t capacity, bool zeroFill)
    {
        mBlock = inlineBlock.block;
        mData = static_cast<T>(mBlock);
        mCapacity = capacity;
        mSize = size;
        mInlineBlock = true;
        if (zeroFill)
            std::memset(mBlock, 0, size);
    }

    // The capacity for a new block of size bytes (not 0) asked to hold capacity bytes: the capacity
    // rounded up when that leaves no more than the slack spare, else the size rounded up.
    static uint32_t InitialCapacity(uint32_t size, uint32_t capacity)
    {
        const uint32_t rounded = capacity > size ? RoundUp(capacity) : RoundUp(size);
        return rounded - size <= kSlackLimit ? rounded : RoundUp(size);
    }

    // The smallest multiple of the granularity not below n; a size whose rounding leaves the 32-bit
    // range cannot be allocated.
    static uint32_t RoundUp(uint32_t n)
    {
        const uint64_t rounded = (static_cast<uint64_t>(n) + kGranularity - 1) & ~uint64_t{kGranularity - 1};
        if (rounded > UINT32_MAX)
            throw Exception<std::bad_alloc>();
        return static_cast<uint32_t>(rounded);
    }

private:
    // Whether count units of unitBytes each, from byte offset on, lie inside the size (count < 0: as many
    // whole units as fit before the end); units receives the count. The sums are taken in 64 bits, so an
    // offset or count near the top of the 32-bit range cannot wrap around into a range that seems to fit.
    bool FitRange(uint32_t offset, int32_t count, uint32_t unitBytes, uint64_t& units) const
    {
        const uint64_t size = GetSize();
        if (offset > size)
            return false;
        if (count < 0)
        {
            units = (size - offset) / unitBytes;
            return true;
        }
        units = static_cast<uint64_t>(count);
        return offset + units * unitBytes <= size;
    }

    static void* AllocateBlock(uint32_t bytes)
    {
        void* block = Alloc()->Allocate(bytes);
        if (block == nullptr)
            throw Exception<std::bad_alloc>();
        return block;
    }

    // Gives the block back to the allocator unless it is the inline one.
    void FreeBlock()
    {
        if (mBlock != nullptr && !mInlineBlock)
            Alloc()->Free(mBlock);
        mInlineBlock = false;
    }

    // A block from the allocator of capacity bytes holding the inline block's bytes, as far as they fit.
    void* MoveOutOfInlineBlock(uint32_t capacity)
    {
        void* block = AllocateBlock(capacity);
        std::memcpy(block, mBlock, std::min(mCapacity, capacity));
        mInlineBlock = false;
        return block;
    }

    void Release()
    {
        FreeBlock();
        mSize = 0;
        mData = nullptr;
        mBlock = nullptr;
        mCapacity = 0;
    }

    T mData = nullptr;         // start of the contents; equals mBlock
    uint32_t mSize = 0;        // bytes in use
    void* mBlock = nullptr;    // the block; null exactly when mCapacity is 0
    uint32_t mCapacity = 0;    // bytes in the block
    bool mInlineBlock = false; // mBlock is the inline block, not the allocator's
};
} // namespace ZQ
