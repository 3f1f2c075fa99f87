#pragma once

#include "ZQFramework/ObjectBase/Assert.h"
#include "ZQFramework/Utilities/Storage/ConstRCPtrArray.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ZQ
{

// The pointer array that hands its elements out writable, as RCPtr<T>. It is at the same time a
// ConstRCPtrArray of the same arguments over the same entries, so it can be passed wherever the read-only
// array or its interface is expected. Where the two interfaces have an operation of the same name, the
// writable one is found first; the read-only one is reached through the ConstRCPtrArray base.
template <class T, uint32_t G, uint32_t S>
class RCPtrArray : public IArray<RCPtr<T>>, public ConstRCPtrArray<T, G, S>
{
    using ConstArray = ConstRCPtrArray<T, G, S>;
    using Writable = IArray<RCPtr<T>>;

public:
    using Entry = RCPtr<T>;
    using Position = typename IIterable<Entry>::Position;

    using ConstArray::Add;
    using ConstArray::Append;
    using ConstArray::AppendArray;
    using ConstArray::Copy;
    using ConstArray::InsertAt;
    using ConstArray::RemoveItem;
    using ConstArray::RemoveLastItem;
    using Writable::Add;
    using Writable::Append;
    using Writable::AppendArray;
    using Writable::Begin;
    using Writable::Copy;
    using Writable::End;
    using Writable::IndexOf;
    using Writable::RBegin;
    using Writable::REnd;
    using Writable::SetItems;

    RCPtrArray() : ConstArray(0, 0) {}
    RCPtrArray(uint32_t count, uint32_t capacity) : ConstArray(count, capacity) {}

    // Operations that both interfaces share run on the one set of entries.
    [[nodiscard]] uint32_t GetCount() const override { return ConstArray::GetCount(); }
    [[nodiscard]] int32_t GetMaxCount() const override { return ConstArray::GetMaxCount(); }
    [[nodiscard]] Entry* GetData() override { return static_cast<Entry*>(ConstArray::GetData()); }
    [[nodiscard]] const Entry* GetData() const override
    {
        return static_cast<const Entry*>(ConstArray::GetData());
    }
    [[nodiscard]] Entry& GetItem(Position position) override { return *reinterpret_cast<Entry*>(position); }
    [[nodiscard]] const Entry& GetItem(Position position) const override
    {
        return *reinterpret_cast<const Entry*>(position);
    }
    [[nodiscard]] Entry& GetAt(uint32_t index) override
    {
        ZQ_ASSERT(index < this->GetCount());
        return GetData()[index];
    }
    [[nodiscard]] const Entry& GetAt(uint32_t index) const override
    {
        ZQ_ASSERT(index < this->GetCount());
        return GetData()[index];
    }
    [[nodiscard]] Position Advance(Position position, int32_t n) const override
    {
        return ConstArray::Advance(position, n);
    }
    [[nodiscard]] Position GetFirstPosition() const override { return ConstArray::GetFirstPosition(); }
    [[nodiscard]] Position GetEndPosition() const override { return ConstArray::GetEndPosition(); }
    [[nodiscard]] Position GetLastPosition() const override { return ConstArray::GetLastPosition(); }
    [[nodiscard]] Position GetBeforeFirstPosition() const override
    {
        return ConstArray::GetBeforeFirstPosition();
    }
    ZQRESULT Swap(uint32_t a, uint32_t b) override { return ConstArray::Swap(a, b); }
    ZQRESULT RemoveAll() override { return ConstArray::RemoveAll(); }
    ZQRESULT SetCount(uint32_t n) override { return ConstArray::SetCount(n); }
    ZQRESULT InsertEmpty(uint32_t index, uint32_t k) override { return ConstArray::InsertEmpty(index, k); }
    ZQRESULT RemoveAt(uint32_t index, uint32_t k) override { return ConstArray::RemoveAt(index, k); }

    // As the read-only array's, with writable pointers; returns index.
    ZQRESULT InsertAt(uint32_t index, const Entry& item) override
    {
        return ConstArray::InsertAt(index, item);
    }

    // Hands the element at index to out with the array's reference; throws for an index at or past the
    // count, with nothing changed.
    ZQRESULT RemoveItem(uint32_t index, Entry& out) override
    {
        if (index >= GetCount())
        {
            throw Exception<std::out_of_range>("Out of Range : ZQ::RCPtrArray<" + TypeName<T>() + "," +
                                               std::to_string(G) + "," + std::to_string(S) +
                                               ">::RemoveItem : zqframework\\utilities\\Storage/RCPtrArray"
                                               " : Line 175");
        }
        return this->TakeOut(index, out);
    }

    ZQRESULT RemoveLastItem(Entry& out) override { return ConstArray::RemoveLastItem(out); }

    // Another pointer array of the same kind, read through its writable side.
    ZQRESULT Append(const RCPtrArray& source) { return Writable::Append(source.AsWritable()); }
    ZQRESULT AppendArray(const RCPtrArray& source) { return Writable::AppendArray(source.AsWritable()); }
    ZQRESULT Copy(const RCPtrArray& source) { return Writable::Copy(source.AsWritable()); }

private:
    const IIterable<Entry>& AsWritable() const { return *this; }
};

} // namespace ZQ
