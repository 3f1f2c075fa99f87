#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include "ZQFramework/ObjectBase/Exception.h"

#include <stdexcept>

namespace ZQ
{
LRefCountedObject::LRefCountedObject() noexcept
    : mRefCount(0), mInternalRefCount(0), mInRelease(0), mShareable(true)
{
}

LRefCountedObject::LRefCountedObject(const LRefCountedObject&) noexcept : LRefCountedObject()
{
}

LRefCountedObject::~LRefCountedObject() = default;

void LRefCountedObject::Undo()
{
    throw Exception<std::logic_error>(
        "Logic Error : Undo() not implemented for RefCountedObject : "
        "ZQ::LRefCountedObject::Undo : zqframework\\objectbase\\RefCountedObject : "
        "Line 156");
}

int32_t LRefCountedObject::AddRef()
{
    return mRefCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

int32_t LRefCountedObject::Release()
{
    int32_t count = mRefCount.load(std::memory_order_acquire);
    for (;;)
    {
        const int32_t internal = mInternalRefCount.load(std::memory_order_acquire);
        // Without internal references there are no cycles to break: a plain decrement.
        if (internal == 0)
            return Decrement();
        if (count - internal == 1)
        {
            // This release gives back the last reference held from outside. Whoever wins the flag breaks
            // the cycles while still holding its own reference; a nested release made by that breaking,
            // or a racing one, finds the flag taken and only decrements.
            int32_t expected = 0;
            if (mInRelease.compare_exchange_strong(expected, 1, std::memory_order_acq_rel))
            {
                BreakInternalReferences();
                return Decrement();
            }
        }
        // Decrement only from the value the decision was made on: of two threads releasing the last two
        // outside references together, the one whose exchange fails sees the new count and takes the
        // branch above.
        if (mRefCount.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel,
                                            std::memory_order_acquire))
        {
            if (count - 1 == 0)
                delete this;
            return count - 1;
        }
    }
}

int32_t LRefCountedObject::Decrement()
{
    const int32_t remaining = mRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0)
        delete this;
    return remaining;
}

void LRefCountedObject::BreakInternalReferences()
{
    if (mInternalRefCount.load(std::memory_order_acquire) > 0)
        (void)ReleaseInternalReferences();
    // With only the caller's reference left the object is about to go and the flag stays set; an object
    // that its parts still hold can break its cycles again later.
    if (mRefCount.load(std::memory_order_acquire) != 1)
    {
        int32_t expected = 1;
        mInRelease.compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
    }
}

ZQRESULT LRefCountedObject::ReleaseInternalReferences()
{
    const int32_t internal = mInternalRefCount.load(std::memory_order_acquire);
    const int32_t count = mRefCount.load(std::memory_order_acquire);
    return (internal == 0 && count == 1) ? S_OK : E_FAIL;
}

ConstRCPtr<LRefCountedObject> LRefCountedObject::CreateCopy() const
{
    throw Exception<std::logic_error>("Logic Error : CreateCopy() not implemented for RefCountedObject : "
                                      "ZQ::LRefCountedObject::CreateCopy : "
                                      "zqframework\\objectbase\\RefCountedObject : Line 274");
}

void LRefCountedObject::SetUnshareable(bool unshareable)
{
    if (unshareable && mRefCount.load(std::memory_order_acquire) > 1)
        throw Exception<std::runtime_error>(
            "Runtime Error : ZQ::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29");
    mShareable.store(!unshareable, std::memory_order_relaxed);
}

void LRefCountedObject::AdjustInternalRefCount(LRefCountedObject* object, int32_t n) noexcept
{
    // One atomic addition: holders that count internal references under different locks (two
    // distributors registering one client) may adjust the same object at the same moment.
    object->mInternalRefCount.fetch_add(n, std::memory_order_acq_rel);
}
} // namespace ZQ
