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

// A BufferT with a reference count.
template <uint32_t Gran, uint32_t Slack = 0, uint32_t Align = 8, typename T = char*,
          IAllocator* (*Alloc)() = &GetSystemAllocator>
class LBufferT : public BufferT<Gran, Slack, Align, T, Alloc>, public LIBuffer
{
    using Storage = BufferT<Gran, Slack, Align, T, Alloc>;

public:
    LBufferT(uint32_t size, uint32_t capacity, bool zeroFill)
        : LRefCountedObject(), Storage(size, capacity, zeroFill)
    {
    }

    // A new buffer in a counted pointer that holds its one reference.
    [[nodiscard]] static ConstRCPtr<LIBuffer> Create(uint32_t size, uint32_t capacity, bool zeroFill)
    {
        return ConstRCPtr<LIBuffer>(new LBufferT(size, capacity, zeroFill));
    }

    // A shareable buffer of the same size and bytes; the capacity follows the size.
    [[nodiscard]] ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        const uint32_t size = this->GetSize();
        auto* copy = new LBufferT(size, 0, true);
        ConstRCPtr<LRefCountedObject> result(static_cast<const LRefCountedObject*>(copy));
        if (size != 0)
            std::memcpy(copy->GetData(), this->GetData(), size);
        return result;
    }

    [[nodiscard]] ConstRCPtr<LIBuffer> CreateResizedCopy(uint32_t size, uint32_t offset) const override
    {
        auto* copy = new LBufferT(size, 0, true);
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
};

// The storage of the strings: byte granularity, up to 128 spare bytes kept.
using StringBuffer = LBufferT<1, 128, 8, char*>;
// Byte data of exact size (registry values, pixels).
using ByteBuffer = LBufferT<1, 0, 8, char*>;

extern template class LBufferT<1, 128, 8, char*>;
extern template class LBufferT<1, 0, 8, char*>;
} // namespace ZQ
