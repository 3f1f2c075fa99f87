#pragma once

#include "ZQFramework/ObjectBase/Forward.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/ObjectBase/Undoable.h"

#include <atomic>
#include <cstdint>

namespace ZQ
{
// Root of the framework's object model. An object carries an intrusive, interlocked reference count
// driven by the smart pointers of RCPtr.h, and is destroyed by the Release that takes the count to 0,
// on whatever thread makes it. Besides the count it keeps:
//  - a count of internal references: references to the object held by its own parts or registrations.
//    When the last outside reference goes, ReleaseInternalReferences is called once to drop them,
//    which breaks the cycles that would otherwise keep the object alive;
//  - an in-release flag, so that this cycle breaking runs once even when releases nest or race;
//  - a shareable flag, cleared while the object is written in place; a smart pointer that takes such an
//    object while someone else holds it gets a private copy (CreateCopy) instead.
// Classes derive from it virtually when they combine several framework interfaces, so that an object
// has exactly one count.
class LRefCountedObject : public IUndoable
{
public:
    LRefCountedObject() noexcept;
    // A copy is a new object: no references, shareable, not in release.
    LRefCountedObject(const LRefCountedObject& other) noexcept;
    LRefCountedObject& operator=(const LRefCountedObject&) noexcept { return *this; }
    ~LRefCountedObject() override;

    // Names the object's dynamic type, unless a class says more about itself. Defined with the strings
    // (Utilities/Storage), whose characters live in counted objects.
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    // Throws: the base object cannot undo anything.
    void Undo() override;

    // One interlocked increment; returns the new count.
    virtual int32_t AddRef();

    // Returns the count after this release; the caller must not touch the object after a result of 0.
    // When this release gives back the last reference held from outside the object, the internal
    // references are dropped first (exactly once, even when several threads release at the same time).
    virtual int32_t Release();

    // Overrides drop every internal reference and then return the base's answer: S_OK when no internal
    // reference is left and the count is 1, else E_FAIL. The base changes nothing.
    virtual ZQRESULT ReleaseInternalReferences();

    // A new object of the same class with the same content, shareable, in a pointer. The base throws.
    [[nodiscard]] virtual ConstRCPtr<LRefCountedObject> CreateCopy() const;

    // Marks the object as being written in place (true) or shareable again (false). Marking throws when
    // someone else also holds the object; clearing the mark never throws.
    void SetUnshareable(bool unshareable);

    [[nodiscard]] int32_t GetRefCount() const noexcept { return mRefCount.load(std::memory_order_acquire); }
    [[nodiscard]] int32_t GetInternalRefCount() const noexcept
    {
        return mInternalRefCount.load(std::memory_order_acquire);
    }
    [[nodiscard]] bool IsShareable() const noexcept { return mShareable.load(std::memory_order_relaxed); }
    [[nodiscard]] bool IsInRelease() const noexcept
    {
        return mInRelease.load(std::memory_order_acquire) != 0;
    }

    // Adds n (may be negative) to the internal-reference count of object, atomically. Whoever holds a
    // reference on an object's behalf takes it with AddRef and counts it here; giving it back, it lowers
    // the count here before it releases, so that the release is not mistaken for the last outside one.
    static void AdjustInternalRefCount(LRefCountedObject* object, int32_t n) noexcept;

private:
    // Takes the last outside reference's turn: drops the internal references while the caller still
    // holds its own, then decides on the in-release flag.
    void BreakInternalReferences();
    // The final step of every release: one interlocked decrement, and destruction at 0.
    int32_t Decrement();

    std::atomic<int32_t> mRefCount;         // all references, internal ones included
    std::atomic<int32_t> mInternalRefCount; // references held by the object's own parts
    std::atomic<int32_t> mInRelease;        // 1 while internal references are being dropped
    std::atomic<bool> mShareable;           // written by SetUnshareable only
};
} // namespace ZQ

// The smart pointers need the complete object class; most users want both.
#include "ZQFramework/ObjectBase/RCPtr.h"
