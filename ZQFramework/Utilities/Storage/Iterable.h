#pragma once

#include "ZQFramework/ObjectBase/Assert.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <cstdint>
#include <limits>

// The container interface of the framework, in three layers:
//   IIterable           count, positions, iterators, indexed access, exchanging two elements;
//   IIterableModifiable insertion, removal, resizing, appending, copying;
//   IArray              contiguous storage: the address of the first element and a bulk append.
// Most operations have default bodies written in terms of a few primitives, so an implementation supplies
// those primitives and inherits the rest. Every implementation stores its elements contiguously: a
// position is the address of an element, stepped and compared as an unsigned number of bytes.
//
// No operation locks: a container is used by one thread at a time or under its owner's lock. The
// interfaces have no virtual destructor; implementations that are deleted polymorphically add their own.
namespace ZQ
{

template <typename T>
class IIterable
{
public:
    // The address of an element, as wide as an address; 0 for every position of an empty container.
    using Position = uintptr_t;

    // A forward (step +1) or reverse (step -1) cursor. Two iterators are equal when their positions are.
    template <typename Container, typename Reference>
    struct IteratorT
    {
        Container* container;
        Position position;
        int32_t step;

        IteratorT& operator++()
        {
            position = container->Advance(position, step);
            return *this;
        }
        Reference operator*() const { return container->GetItem(position); }
        auto operator->() const { return &container->GetItem(position); }
        bool operator==(const IteratorT& other) const { return position == other.position; }
    };
    using Iterator = IteratorT<IIterable, T&>;
    using ConstIterator = IteratorT<const IIterable, const T&>;

    [[nodiscard]] virtual uint32_t GetCount() const = 0;
    [[nodiscard]] virtual int32_t GetMaxCount() const { return 0x7FFFFFFF; }

    [[nodiscard]] virtual ConstIterator Begin() const { return {this, GetFirstPosition(), 1}; }
    [[nodiscard]] virtual Iterator Begin() { return {this, GetFirstPosition(), 1}; }
    [[nodiscard]] virtual ConstIterator End() const { return {this, GetEndPosition(), 1}; }
    [[nodiscard]] virtual Iterator End() { return {this, GetEndPosition(), 1}; }
    [[nodiscard]] virtual ConstIterator RBegin() const { return {this, GetLastPosition(), -1}; }
    [[nodiscard]] virtual Iterator RBegin() { return {this, GetLastPosition(), -1}; }
    [[nodiscard]] virtual ConstIterator REnd() const { return {this, GetBeforeFirstPosition(), -1}; }
    [[nodiscard]] virtual Iterator REnd() { return {this, GetBeforeFirstPosition(), -1}; }

    // The element at a position that names one; not checked.
    [[nodiscard]] virtual const T& GetItem(Position position) const
    {
        return const_cast<IIterable*>(this)->GetItem(position);
    }
    [[nodiscard]] virtual T& GetItem(Position position) = 0;

    // Walks from Begin; every implementation replaces this with direct access. The index must be below
    // the count (a longer walk stops at the end position).
    [[nodiscard]] virtual const T& GetAt(uint32_t index) const { return WalkTo(index); }
    [[nodiscard]] virtual T& GetAt(uint32_t index) { return const_cast<T&>(WalkTo(index)); }

    // Exchanges two elements through a copy; E_INVALIDARG when either index is at or past the count.
    virtual ZQRESULT Swap(uint32_t a, uint32_t b)
    {
        const uint32_t count = GetCount();
        if (a >= count || b >= count)
        {
            return E_INVALIDARG;
        }
        T held = GetAt(a);
        GetAt(a) = GetAt(b);
        GetAt(b) = held;
        return S_OK;
    }

    // The position n elements on from position (n < 0 steps back), clamped to before-first and end.
    [[nodiscard]] virtual Position Advance(Position position, int32_t n) const = 0;
    [[nodiscard]] virtual Position GetFirstPosition() const = 0;
    [[nodiscard]] virtual Position GetEndPosition() const = 0;
    [[nodiscard]] virtual Position GetLastPosition() const = 0;
    [[nodiscard]] virtual Position GetBeforeFirstPosition() const = 0;

    // Index of the first element equal to value, or -1.
    [[nodiscard]] int32_t IndexOf(const T& value) const
    {
        const uint32_t count = GetCount();
        ConstIterator it = Begin();
        for (uint32_t i = 0; i < count; ++i)
        {
            const Position at = it.position;
            ++it;
            if (GetItem(at) == value)
            {
                return static_cast<int32_t>(i);
            }
        }
        return -1;
    }

protected:
    IIterable() = default;
    IIterable(const IIterable&) = default;
    IIterable& operator=(const IIterable&) = default;
    ~IIterable() = default;

private:
    const T& WalkTo(uint32_t index) const
    {
        ZQ_ASSERT(index < GetCount());
        ConstIterator it = Begin();
        for (uint32_t i = 0; i < index; ++i)
        {
            ++it;
        }
        return GetItem(it.position);
    }
};

template <typename T>
class IIterableModifiable : public IIterable<T>
{
public:
    using typename IIterable<T>::Position;

    // Empties the container: 0, or E_FAIL when it could not be emptied.
    virtual ZQRESULT RemoveAll() { return SetCount(0) == 0 ? S_OK : E_FAIL; }

    // Opens one slot at index and assigns item to it; the result is InsertEmpty's.
    virtual ZQRESULT InsertAt(uint32_t index, const T& item)
    {
        // item may live inside this container, which InsertEmpty can move: keep a copy first.
        T held = item;
        const ZQRESULT result = InsertEmpty(index, 1);
        if (result < 0)
        {
            return result;
        }
        this->GetAt(index) = held;
        return result;
    }

    // Copies the element at index to out, then removes it.
    virtual ZQRESULT RemoveItem(uint32_t index, T& out)
    {
        out = this->GetAt(index);
        return RemoveAt(index, 1);
    }

    // Appends every element of source; the new count, or E_FAIL when the room could not be made.
    virtual ZQRESULT Append(const IIterable<T>& source)
    {
        const uint32_t oldCount = this->GetCount();
        const uint32_t added = source.GetCount();
        const ZQRESULT grown = GrowToAppend(oldCount, added);
        if (grown < 0 || added == 0)
        {
            return grown;
        }
        const auto newCount = static_cast<uint32_t>(grown);
        // Iterators are taken after the resize, so appending a container to itself copies its first half.
        typename IIterable<T>::ConstIterator src = source.Begin();
        typename IIterable<T>::Iterator dst = this->Begin();
        dst.position = this->Advance(dst.position, dst.step * static_cast<int32_t>(oldCount));
        for (uint32_t i = 0; i < added; ++i)
        {
            const Position from = src.position;
            ++src;
            const Position to = dst.position;
            ++dst;
            this->GetItem(to) = source.GetItem(from);
        }
        return static_cast<ZQRESULT>(newCount);
    }

    virtual ZQRESULT Add(const T& item) { return InsertAt(this->GetCount(), item); }
    virtual ZQRESULT RemoveLastItem(T& out) { return RemoveItem(this->GetCount() - 1, out); }

    // Replaces the contents by those of source. Copying a container onto itself keeps its contents.
    virtual ZQRESULT Copy(const IIterable<T>& source)
    {
        if (&source == static_cast<const IIterable<T>*>(this))
        {
            return static_cast<ZQRESULT>(this->GetCount());
        }
        (void)SetCount(0);
        return Append(source);
    }

    // Resizes to n elements; returns the count reached.
    virtual ZQRESULT SetCount(uint32_t n) = 0;
    // Opens n slots at index (index = count appends); the new count, or E_INVALIDARG.
    virtual ZQRESULT InsertEmpty(uint32_t index, uint32_t n) = 0;
    // Removes n elements from index on; the new count, or E_INVALIDARG.
    virtual ZQRESULT RemoveAt(uint32_t index, uint32_t n) = 0;

protected:
    // Makes room for added more elements behind oldCount, the first steps of both appends: the new count
    // (oldCount itself when nothing is added), or E_FAIL when that count does not fit or could not be
    // reached; the count is then where SetCount left it.
    ZQRESULT GrowToAppend(uint32_t oldCount, uint32_t added)
    {
        if (added == 0)
        {
            return static_cast<ZQRESULT>(oldCount);
        }
        if (added > std::numeric_limits<uint32_t>::max() - oldCount)
        {
            return E_FAIL;
        }
        const uint32_t newCount = oldCount + added;
        return SetCount(newCount) == static_cast<ZQRESULT>(newCount) ? static_cast<ZQRESULT>(newCount)
                                                                     : E_FAIL;
    }

    IIterableModifiable() = default;
    IIterableModifiable(const IIterableModifiable&) = default;
    IIterableModifiable& operator=(const IIterableModifiable&) = default;
    ~IIterableModifiable() = default;
};

template <typename T>
class IArray : public IIterableModifiable<T>
{
public:
    using typename IIterable<T>::Position;
    using IIterable<T>::GetItem;
    using IIterable<T>::GetAt;

    // The first element; what an empty container returns is the implementation's.
    [[nodiscard]] virtual const T* GetData() const { return const_cast<IArray*>(this)->GetData(); }
    [[nodiscard]] virtual T* GetData() = 0;

    // Appends every element of source, writing through the storage address.
    virtual ZQRESULT AppendArray(const IIterable<T>& source)
    {
        const uint32_t oldCount = this->GetCount();
        const uint32_t added = source.GetCount();
        const ZQRESULT grown = this->GrowToAppend(oldCount, added);
        if (grown < 0 || added == 0)
        {
            return grown;
        }
        const auto newCount = static_cast<uint32_t>(grown);
        T* destination = GetData() + oldCount;
        typename IIterable<T>::ConstIterator src = source.Begin();
        for (uint32_t i = 0; i < added; ++i)
        {
            const Position from = src.position;
            ++src;
            *destination++ = source.GetItem(from);
        }
        return static_cast<ZQRESULT>(newCount);
    }

    [[nodiscard]] T& GetItem(Position position) override { return *reinterpret_cast<T*>(position); }
    [[nodiscard]] const T& GetAt(uint32_t index) const override
    {
        ZQ_ASSERT(index < this->GetCount());
        return GetData()[index];
    }
    [[nodiscard]] T& GetAt(uint32_t index) override
    {
        ZQ_ASSERT(index < this->GetCount());
        return GetData()[index];
    }

    [[nodiscard]] Position Advance(Position position, int32_t n) const override
    {
        const Position target =
            position + static_cast<Position>(static_cast<intptr_t>(n) * static_cast<intptr_t>(sizeof(T)));
        const Position beforeFirst = GetBeforeFirstPosition();
        const Position end = GetEndPosition();
        if (target <= beforeFirst)
        {
            return beforeFirst;
        }
        if (target >= end)
        {
            return end;
        }
        return target;
    }
    [[nodiscard]] Position GetFirstPosition() const override { return PositionOf(0); }
    [[nodiscard]] Position GetEndPosition() const override { return PositionOf(this->GetCount()); }
    [[nodiscard]] Position GetLastPosition() const override { return PositionOf(this->GetCount() - 1); }
    [[nodiscard]] Position GetBeforeFirstPosition() const override { return PositionOf(-1); }

    // Writes source[0..] into the elements from start on, never past the count; the number written.
    uint32_t SetItems(const T* source, uint32_t start, uint32_t count)
    {
        const uint32_t total = this->GetCount();
        if (start >= total)
        {
            return 0;
        }
        const uint32_t written = count < total - start ? count : total - start;
        for (uint32_t i = 0; i < written; ++i)
        {
            GetAt(start + i) = source[i];
        }
        return written;
    }

protected:
    IArray() = default;
    IArray(const IArray&) = default;
    IArray& operator=(const IArray&) = default;
    ~IArray() = default;

private:
    // The address of element index (index may be -1 or the count); 0 for every place of an empty array.
    Position PositionOf(int64_t index) const
    {
        if (this->GetCount() == 0)
        {
            return 0;
        }
        return reinterpret_cast<Position>(GetData()) +
               static_cast<Position>(index * static_cast<int64_t>(sizeof(T)));
    }
};

} // namespace ZQ
