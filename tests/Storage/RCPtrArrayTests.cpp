#include "tests/Support/TrackedObject.h"

#include "ZQFramework/Utilities/Storage/RCPtrArray.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using TestSupport::TrackedObject;

namespace
{

using Ptr = ZQ::RCPtr<TrackedObject>;
using ConstPtr = ZQ::ConstRCPtr<TrackedObject>;
using Small = ZQ::RCPtrArray<TrackedObject, 1, 0>;
using Stepped = ZQ::RCPtrArray<TrackedObject, 16, 16>;

class PointerArray : public ::testing::Test
{
protected:
    Ptr Make(const std::string& name) { return Ptr(new TrackedObject(name, &mLog)); }

    static std::vector<std::string> Names(const ZQ::IArray<ConstPtr>& a)
    {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < a.GetCount(); ++i)
        {
            names.push_back(a.GetAt(i) ? a.GetAt(i)->Name() : "null");
        }
        return names;
    }

    template <typename Array>
    void Fill(Array& array, const std::vector<Ptr>& items)
    {
        for (const Ptr& p : items)
        {
            array.Add(p);
        }
    }

    static std::string ThrownText(const std::function<void()>& f)
    {
        try
        {
            f();
        }
        catch (const std::out_of_range& e)
        {
            return e.what();
        }
        return "nothing thrown";
    }

    std::vector<std::string> mLog;
    Ptr a = Make("a");
    Ptr b = Make("b");
    Ptr c = Make("c");
};

constexpr size_t kEntry = sizeof(void*);

} // namespace

TEST_F(PointerArray, ConstructionMakesNullEntriesAndKeepsReserveWithinTheSlack)
{
    Small empty;
    EXPECT_EQ(empty.GetCount(), 0u);
    EXPECT_EQ(empty.GetData(), nullptr);
    EXPECT_EQ(empty.GetCapacity(), 0u);

    Small three(3, 0);
    EXPECT_EQ(Names(three), (std::vector<std::string>{"null", "null", "null"}));

    Small noSlack(0, 10);
    EXPECT_EQ(noSlack.GetCapacity(), 0u);
    Stepped withSlack(0, 10);
    EXPECT_EQ(withSlack.GetCapacity(), 10 * kEntry);
}

TEST_F(PointerArray, InsertTakesAReferencePerEntryAndReturnsTheIndex)
{
    Small array;
    EXPECT_EQ(array.Add(a), 0);
    EXPECT_EQ(array.Add(b), 1);
    EXPECT_EQ(array.Add(a), 2); // Add returns the index, the old count
    EXPECT_EQ(a->GetRefCount(), 3);
    EXPECT_EQ(array.InsertAt(3, c), 3);
    EXPECT_EQ(array.InsertAt(5, c), E_INVALIDARG);
    EXPECT_EQ(Names(array), (std::vector<std::string>{"a", "b", "a", "c"}));
    EXPECT_EQ(array.InsertAt(0, array.GetAt(3)), 0); // an element of the array itself
    EXPECT_EQ(Names(array), (std::vector<std::string>{"c", "a", "b", "a", "c"}));
    EXPECT_EQ(c->GetRefCount(), 3);
}

TEST_F(PointerArray, InsertEmptyOpensNullEntries)
{
    Small array;
    Fill(array, {a, b});
    EXPECT_EQ(array.InsertEmpty(1, 2), 4);
    EXPECT_EQ(Names(array), (std::vector<std::string>{"a", "null", "null", "b"}));
    EXPECT_EQ(array.InsertEmpty(5, 1), E_INVALIDARG);
    EXPECT_EQ(array.InsertEmpty(7, 0), 4);
    EXPECT_EQ(array.InsertEmpty(1, 0xFFFFFFFFu), E_INVALIDARG);
    EXPECT_EQ(array.GetCount(), 4u);
}

TEST_F(PointerArray, RemoveItemHandsTheElementOverWithoutCounting)
{
    Small array;
    Fill(array, {a, b, c});
    ConstPtr out(Make("x"));
    const int32_t before = b->GetRefCount();
    auto& readOnly = static_cast<ZQ::ConstRCPtrArray<TrackedObject, 1, 0>&>(array);
    EXPECT_EQ(readOnly.RemoveItem(1, out), 2);
    EXPECT_EQ(mLog, (std::vector<std::string>{"x"})); // out's previous object was released
    EXPECT_EQ(out.Get(), b.Get());
    EXPECT_EQ(b->GetRefCount(), before);
    EXPECT_EQ(Names(array), (std::vector<std::string>{"a", "c"}));
}

TEST_F(PointerArray, RemoveItemPastTheCountThrowsTheClassText)
{
    Small array;
    Fill(array, {a, b});
    Ptr out = c;
    EXPECT_EQ(ThrownText([&] { array.RemoveItem(2, out); }),
              "Out of Range : ZQ::RCPtrArray<class TestSupport::TrackedObject,1,0>::RemoveItem : "
              "zqframework\\utilities\\Storage/RCPtrArray : Line 175");
    ConstPtr constOut = c;
    auto& readOnly = static_cast<ZQ::ConstRCPtrArray<TrackedObject, 1, 0>&>(array);
    EXPECT_EQ(ThrownText([&] { readOnly.RemoveItem(2, constOut); }),
              "Out of Range : ZQ::ConstRCPtrArray<class TestSupport::TrackedObject,1,0>::RemoveItem : "
              "zqframework\\utilities\\Storage/ConstRCPtrArray : Line 217");
    EXPECT_EQ(out.Get(), c.Get());
    EXPECT_EQ(Names(array), (std::vector<std::string>{"a", "b"}));
}

TEST_F(PointerArray, RemoveAtReleasesInIndexOrderAndThrowsAfterARangeOverrun)
{
    Small array;
    Fill(array, {a, b, c});
    b = nullptr;
    c = nullptr;
    EXPECT_EQ(array.RemoveAt(9, 0), 3);
    EXPECT_THROW(array.RemoveAt(1, 5), std::out_of_range);
    EXPECT_EQ(mLog, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(Names(array), (std::vector<std::string>{"a"}));
    EXPECT_THROW(array.RemoveAt(1, 0xFFFFFFFFu), std::out_of_range);
    EXPECT_EQ(array.GetCount(), 1u);
}

TEST_F(PointerArray, RemoveLastItemAndSetCount)
{
    Small array;
    Fill(array, {a, b});
    Ptr out;
    EXPECT_EQ(array.RemoveLastItem(out), 1);
    EXPECT_EQ(out.Get(), b.Get());
    EXPECT_EQ(array.RemoveLastItem(out), 0);
    out = Make("held");
    EXPECT_EQ(array.RemoveLastItem(out), E_FAIL);
    EXPECT_TRUE(out.IsNull());
    EXPECT_EQ(mLog, (std::vector<std::string>{"held"}));

    Fill(array, {a, b});
    EXPECT_EQ(array.SetCount(5), 5);
    EXPECT_EQ(Names(array), (std::vector<std::string>{"a", "b", "null", "null", "null"}));
    array.SetCount(0);
    Fill(array, {a, b, c});
    b = nullptr;
    c = nullptr;
    mLog.clear();
    EXPECT_EQ(array.SetCount(1), 1);
    EXPECT_EQ(mLog, (std::vector<std::string>{"b", "c"}));
}

TEST_F(PointerArray, SwapExchangesEntriesWithoutCounting)
{
    Small array;
    Fill(array, {a, b, c});
    EXPECT_EQ(array.Swap(0, 2), 0);
    EXPECT_EQ(Names(array), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(a->GetRefCount(), 2);
    EXPECT_EQ(c->GetRefCount(), 2);
    EXPECT_EQ(array.Swap(0, 3), E_INVALIDARG);
    EXPECT_EQ(array.Swap(1, 1), 0);
}

TEST_F(PointerArray, StorageGrowsAndShrinksInSteps)
{
    Stepped array;
    for (int i = 0; i < 17; ++i)
    {
        array.Add(a);
    }
    EXPECT_EQ(array.GetCapacity(), 32 * kEntry);
    array.SetCount(16);
    EXPECT_EQ(array.GetCapacity(), 32 * kEntry);
    array.SetCount(15);
    EXPECT_EQ(array.GetCapacity(), 16 * kEntry);
    array.SetCount(0);
    EXPECT_EQ(array.GetCapacity(), 16 * kEntry);

    Small exact;
    exact.Add(a);
    exact.Add(b);
    EXPECT_EQ(exact.GetCapacity(), 2 * kEntry);
    exact.SetCount(0);
    EXPECT_EQ(exact.GetData(), nullptr);
}

TEST_F(PointerArray, DestructionReleasesEveryElementFromTheFront)
{
    {
        Small array;
        Fill(array, {c, a, b});
        a = nullptr;
        b = nullptr;
        c = nullptr;
        EXPECT_TRUE(mLog.empty());
    }
    EXPECT_EQ(mLog, (std::vector<std::string>{"c", "a", "b"}));
}

TEST_F(PointerArray, CopySharesTheObjectsAndSelfCopyKeepsThem)
{
    Small source;
    Fill(source, {a, b, c});
    Small target;
    target.Add(c);
    EXPECT_EQ(target.Copy(source), 3);
    EXPECT_EQ(Names(target), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(a->GetRefCount(), 3);
    EXPECT_EQ(c->GetRefCount(), 3);

    EXPECT_EQ(target.Copy(target), 3);
    EXPECT_EQ(Names(target), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(target.Append(source), 6);
    EXPECT_EQ(a->GetRefCount(), 4);

    ZQ::ConstRCPtrArray<TrackedObject, 1, 0> readOnly;
    EXPECT_EQ(readOnly.Copy(static_cast<const ZQ::IIterable<ConstPtr>&>(source)), 3);
    EXPECT_EQ(Names(readOnly), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(PointerArray, AnUnshareableObjectIsCopiedWhenTaken)
{
    Small array;
    a->SetUnshareable(true);
    array.Add(a);
    EXPECT_EQ(Names(array), (std::vector<std::string>{"a'"}));
    EXPECT_NE(array.GetAt(0).Get(), a.Get());
    EXPECT_EQ(a->GetRefCount(), 1);
}

TEST_F(PointerArray, WritableArrayIsAlsoTheReadOnlyArray)
{
    Small array;
    Fill(array, {a, b});
    ZQ::ConstRCPtrArray<TrackedObject, 1, 0>& readOnly = array;
    readOnly.InsertAt(1, ConstPtr(c));
    EXPECT_EQ(array.GetAt(1).Get(), c.Get());
    array.GetAt(0) = c; // writing through the writable side
    EXPECT_EQ(readOnly.GetAt(0).Get(), c.Get());
    EXPECT_EQ(array.IndexOf(c), 0);
    EXPECT_EQ(a->GetRefCount(), 1);

    std::vector<std::string> names;
    for (auto it = array.Begin(); !(it == array.End()); ++it)
    {
        names.push_back((*it)->Name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"c", "c", "b"}));
}
