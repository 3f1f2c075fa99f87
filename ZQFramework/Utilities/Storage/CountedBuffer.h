#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/Buffer.h"

namespace ZQ
{
// The interface of a reference-counted buffer. The strings hold their characters through it and share
// it between copies; a copy is made (CreateCopy) before a shared buffer is written.
class LIBuffer : public virtual IBuffer, public virtual LRefCountedObject
{
public:
    // A new buffer of size bytes, zero-filled, that starts with this buffer's bytes from offset on (as
    // many as fit); an offset at or past the end gives zeros only.
    [[nodiscard]] virtual ConstRCPtr<LIBuffer> CreateResizedCopy(uint32_t size, uint32_t offset) const = 0;
};

// A BufferT with a reference count; final, so that code that knows a buffer's type calls it directly. Made by
// Create or copied, it comes in one block from the allocator with its bytes (and any room asked for) inline
// after the object, as long as its capacity stays as made (BufferT).
template <uint32_t Gran, uint32_t Slack = 0, uint32_t Align = 8, typename T = char*,
          IAllocator* (*Alloc)() = &GetSystemAllocator>
class LBufferT final : public BufferT<Gran, Slack, Align, T, Alloc>, public LIBuffer
{
    using Storage = BufferT<Gran, Slack, Align, T, Alloc>;

    // The room for the bytes that an object made with it carries after itself.
    struct InlineRoom
    {
        uint32_t bytes;
    };

public:
    LBufferT(uint32_t size, uint32_t capacity, bool zeroFill)
        : LRefCountedObject(), Storage(size, capacity, zeroFill)
    {
    }

    // A new buffer in a counted pointer that holds its one reference. A capacity above the size is kept
    // as room when it leaves no more than the slack spare (BufferT).
    [[nodiscard]] static ConstRCPtr<LIBuffer> Create(uint32_t size, uint32_t capacity, bool zeroFill)
    {
        if (size == 0)
            return ConstRCPtr<LIBuffer>(new LBufferT(size, capacity, zeroFill));
        return ConstRCPtr<LIBuffer>(MakeInline(size, Storage::InitialCapacity(size, capacity), zeroFill));
    }

    // A shareable buffer of the same size and bytes; the capacity follows the size.
    [[nodiscard]] ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        const uint32_t size = this->GetSize();
        LBufferT* copy = size == 0 ? new LBufferT(0, 0, true) : MakeInline(size, false);
        ConstRCPtr<LRefCountedObject> result(static_cast<const LRefCountedObject*>(copy));
        if (size != 0)
            std::memcpy(copy->GetData(), this->GetData(), size);
        return result;
    }

    [[nodiscard]] ConstRCPtr<LIBuffer> CreateResizedCopy(uint32_t size, uint32_t offset) const override
    {
        LBufferT* copy = size == 0 ? new LBufferT(0, 0, true) : MakeInline(size, true);
        ConstRCPtr<LIBuffer> result(static_cast<const LIBuffer*>(copy));
        const uint32_t ownSize = this->GetSize();
        if (offset < ownSize)
        {
            const uint32_t count = std::min(size, ownSize - offset);
            if (count != 0)
                std::memcpy(copy->GetData(), static_cast<const uint8_t*>(this->GetData()) + offset, count);
        }
        return result;
    }

    // Counted buffers take the memory of the object itself from the buffers' allocator too.
    static void* operator new(size_t bytes) { return AllocateObject(bytes); }
    static void* operator new(size_t bytes, InlineRoom room) { return AllocateObject(bytes + room.bytes); }
    static void operator delete(void* object) { Alloc()->Free(object); }
    static void operator delete(void* object, InlineRoom) { Alloc()->Free(object); }

private:
    struct InlineTag
    {
    };

    LBufferT(InlineTag, uint32_t size, uint32_t capacity, bool zeroFill)
        : LRefCountedObject(),
          Storage(typename Storage::InlineBlock{reinterpret_cast<char*>(this) + sizeof(LBufferT)}, size,
                  capacity, zeroFill)
    {
    }

    // A buffer of size bytes (not 0) whose capacity bytes (InitialCapacity) follow the object in the
    // same block.
    static LBufferT* MakeInline(uint32_t size, uint32_t capacity, bool zeroFill)
    {
        static_assert(sizeof(LBufferT) % Align == 0, "the inline bytes keep the buffer's alignment");
        return new (InlineRoom{capacity}) LBufferT(InlineTag{}, size, capacity, zeroFill);
    }

    // A buffer of exactly size bytes (not 0) in one block.
    static LBufferT* MakeInline(uint32_t size, bool zeroFill)
    {
        return MakeInline(size, Storage::RoundUp(size), zeroFill);
    }

    static void* AllocateObject(size_t bytes)
    {
        void* block = bytes <= UINT32_MAX ? Alloc()->Allocate(static_cast<uint32_t>(bytes)) : nullptr;
        if (block == nullptr)
            throw Exception<std::bad_alloc>();
        return block;
    }
};

// The storage of the strings: byte granularity, up to 128 spare bytes kept.
using StringBuffer = LBufferT<1, 128, 8, char*>;
// Byte data of exact size (registry values, pixels).
using ByteBuffer = LBufferT<1, 0, 8, char*>;

extern template class LBufferT<1, 128, 8, char*>;
extern template class LBufferT<1, 0, 8, char*>;
} // namespace ZQ
