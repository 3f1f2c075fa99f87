#pragma once

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/TypeName.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace ZQ
{
namespace RCPtrDetail
{
// The objects whose copies the calling thread is making for detaching, innermost first. A pointer that
// takes one of them on this thread while its copy is being made (a CreateCopy that answers with the
// object itself) keeps the object instead of asking it for yet another copy, which would never end.
class CopyInProgress
{
public:
    explicit CopyInProgress(const LRefCountedObject* object) noexcept : mObject(object), mOuter(sInnermost)
    {
        sInnermost = this;
    }
    ~CopyInProgress() { sInnermost = mOuter; }
    CopyInProgress(const CopyInProgress&) = delete;
    CopyInProgress& operator=(const CopyInProgress&) = delete;

    [[nodiscard]] static bool Includes(const LRefCountedObject* object) noexcept
    {
        for (const CopyInProgress* scope = sInnermost; scope != nullptr; scope = scope->mOuter)
            if (scope->mObject == object)
                return true;
        return false;
    }

private:
    const LRefCountedObject* mObject;
    CopyInProgress* mOuter;
    static inline thread_local CopyInProgress* sInnermost = nullptr;
};
} // namespace RCPtrDetail

// Smart pointers over counted objects, one field each. A pointer that is not null owns one reference.
// Taking a reference is the AddRef step: the object's AddRef, then, when the object is marked
// unshareable, Unshare, which leaves this pointer with a private copy when someone else holds the
// object. ConstRCPtr hands the object out as const, RCPtr as non-const; both have the same layout, so
// storage holding one can be read as the other. A single pointer is used by one thread at a time; the
// counts themselves are interlocked.
template <class T, class P>
class ConstRCPtr
{
    static_assert(std::is_same_v<P, T*>, "the second argument of a smart pointer is always T*");

    // Evaluated lazily (std::conjunction stops at the first false test), so that naming ConstRCPtr<T>
    // inside T, where T is still incomplete, never asks whether T is polymorphic.
    template <class U>
    static constexpr bool kUpCast =
        std::conjunction_v<std::is_convertible<U*, T*>, std::negation<std::is_same<std::remove_cv_t<U>, T>>>;
    template <class U>
    static constexpr bool kDownCast =
        std::conjunction_v<std::negation<std::is_convertible<U*, T*>>, std::is_polymorphic<U>>;

    template <class, class>
    friend class ConstRCPtr;

public:
    using ElementType = T;

    // A process-wide null pointer for code that needs one by reference; never set.
    static const ConstRCPtr Null;

    constexpr ConstRCPtr() noexcept : mPtr(nullptr) {}
    constexpr ConstRCPtr(std::nullptr_t) noexcept : mPtr(nullptr) {}

    ConstRCPtr(const T* p) : mPtr(const_cast<T*>(p)) { TakeReference(); }

    ConstRCPtr(const ConstRCPtr& other) : mPtr(other.mPtr) { TakeReference(); }

    // Moving hands the reference over; no new holder appears, so nothing is taken or detached.
    ConstRCPtr(ConstRCPtr&& other) noexcept : mPtr(std::exchange(other.mPtr, nullptr)) {}

    // Up-cast: from a pointer to a derived class or to the object behind one of its interfaces.
    template <class U, class Q, std::enable_if_t<kUpCast<U>, int> = 0>
    ConstRCPtr(const ConstRCPtr<U, Q>& other) : mPtr(other.mPtr)
    {
        TakeReference();
    }

    // Down-cast tested at run time: null when other is null or its object is not a T; other keeps its
    // object and its reference either way.
    template <class U, class Q, std::enable_if_t<kDownCast<U>, int> = 0>
    ConstRCPtr(const ConstRCPtr<U, Q>& other) : mPtr(dynamic_cast<T*>(other.mPtr))
    {
        TakeReference();
    }

    ~ConstRCPtr()
    {
        if (mPtr != nullptr)
            ObjectOf(mPtr)->Release();
    }

    // The new reference is taken before the old one is given back, so assigning an object that only
    // the old one keeps alive is safe. Assigning the object already held does nothing at all.
    ConstRCPtr& operator=(const ConstRCPtr& other)
    {
        Assign(other.mPtr);
        return *this;
    }

    ConstRCPtr& operator=(ConstRCPtr&& other) noexcept
    {
        if (this != &other)
        {
            T* old = std::exchange(mPtr, std::exchange(other.mPtr, nullptr));
            if (old != nullptr)
                ObjectOf(old)->Release();
        }
        return *this;
    }

    ConstRCPtr& operator=(std::nullptr_t) noexcept
    {
        T* old = std::exchange(mPtr, nullptr);
        if (old != nullptr)
            ObjectOf(old)->Release();
        return *this;
    }

    ConstRCPtr& operator=(const T* p)
    {
        Assign(const_cast<T*>(p));
        return *this;
    }

    // Up- and down-casting assignment: through a temporary built by the matching construction.
    template <class U, class Q, std::enable_if_t<kUpCast<U> || kDownCast<U>, int> = 0>
    ConstRCPtr& operator=(const ConstRCPtr<U, Q>& other)
    {
        ConstRCPtr converted(other);
        return *this = converted;
    }

    [[nodiscard]] const T* Get() const noexcept { return mPtr; }
    const T* operator->() const noexcept { return mPtr; }
    const T& operator*() const noexcept { return *mPtr; }
    explicit operator bool() const noexcept { return mPtr != nullptr; }
    [[nodiscard]] bool IsNull() const noexcept { return mPtr == nullptr; }

    template <class U, class Q>
    bool operator==(const ConstRCPtr<U, Q>& other) const noexcept
    {
        return mPtr == other.mPtr;
    }
    bool operator==(const T* p) const noexcept { return mPtr == p; }
    bool operator==(std::nullptr_t) const noexcept { return mPtr == nullptr; }

    // The AddRef step: the object's AddRef, then Unshare when the object is marked unshareable.
    void AddRef()
    {
        if (CountAndTestUnshareable())
            Unshare();
    }

    // Leaves this pointer with a private copy of its object when others hold it too (the object's
    // internal references count as other holders). Throws when the object cannot be copied (the
    // pointer keeps its object), or when the copy is not a T (the pointer ends null). A copy that is the
    // object itself changes nothing.
    void Unshare();

protected:
    static LRefCountedObject* ObjectOf(T* p) noexcept { return p; }

    T* mPtr;

private:
    // The first half of the AddRef step: takes the reference and tells whether the object must be
    // detached. The flag is read after the increment.
    bool CountAndTestUnshareable()
    {
        if (mPtr == nullptr)
            return false;
        LRefCountedObject* object = ObjectOf(mPtr);
        object->AddRef();
        return !object->IsShareable();
    }

    // The AddRef step of a constructor: if detaching throws, the pointer that is not going to exist
    // gives back the reference it took.
    void TakeReference()
    {
        if (CountAndTestUnshareable())
            UnshareWhileConstructing();
    }

    void UnshareWhileConstructing()
    {
        try
        {
            Unshare();
        }
        catch (...)
        {
            if (T* held = std::exchange(mPtr, nullptr))
                ObjectOf(held)->Release();
            throw;
        }
    }

    // Gives back the reference of the object a pointer held before an assignment, also when taking the
    // new reference throws.
    struct ReleaseOnExit
    {
        T* mHeld;
        ~ReleaseOnExit()
        {
            if (mHeld != nullptr)
                ObjectOf(mHeld)->Release();
        }
    };

    void Assign(T* p)
    {
        if (p == mPtr)
            return;
        ReleaseOnExit old{std::exchange(mPtr, p)};
        AddRef();
    }
};

template <class T, class P>
const ConstRCPtr<T, P> ConstRCPtr<T, P>::Null{};

template <class T, class P>
void ConstRCPtr<T, P>::Unshare()
{
    if (mPtr == nullptr)
        return;
    LRefCountedObject* object = ObjectOf(mPtr);
    if (object->GetRefCount() <= 1 || RCPtrDetail::CopyInProgress::Includes(object))
        return;
    {
        const RCPtrDetail::CopyInProgress inProgress(object);
        const ConstRCPtr<LRefCountedObject> copy = object->CreateCopy();
        const ConstRCPtr typed(copy);
        *this = typed;
    }
    if (mPtr == nullptr)
        throw Exception<std::logic_error>(
            "Logic Error : " + TypeName<T>() + " : ZQ::ConstRCPtr<" + TypeName<T>() + "," + TypeName<T*>() +
            ">::Unshare : zqframework\\objectbase\\RefCountedObject : Line 424");
}

// The writable pointer: the same pointer handing the object out as non-const. It converts to a
// ConstRCPtr of the same or a base type and can be built from any ConstRCPtr of a related type.
template <class T, class P>
class RCPtr : public ConstRCPtr<T, P>
{
    using Base = ConstRCPtr<T, P>;

public:
    using Base::Base;

    constexpr RCPtr() noexcept = default;
    RCPtr(const RCPtr&) = default;
    RCPtr(RCPtr&&) noexcept = default;
    RCPtr(const Base& other) : Base(other) {}
    RCPtr(Base&& other) noexcept : Base(std::move(other)) {}
    RCPtr(T* p) : Base(p) {}

    RCPtr& operator=(const RCPtr&) = default;
    RCPtr& operator=(RCPtr&&) noexcept = default;
    RCPtr& operator=(std::nullptr_t) noexcept
    {
        Base::operator=(nullptr);
        return *this;
    }
    RCPtr& operator=(T* p)
    {
        Base::operator=(p);
        return *this;
    }
    template <class U, class Q>
    RCPtr& operator=(const ConstRCPtr<U, Q>& other)
    {
        Base::operator=(other);
        return *this;
    }

    [[nodiscard]] T* Get() const noexcept { return this->mPtr; }
    T* operator->() const noexcept { return this->mPtr; }
    T& operator*() const noexcept { return *this->mPtr; }
};

static_assert(sizeof(ConstRCPtr<LRefCountedObject>) == sizeof(void*), "a smart pointer is one pointer wide");
static_assert(sizeof(RCPtr<LRefCountedObject>) == sizeof(void*), "a smart pointer is one pointer wide");
} // namespace ZQ
