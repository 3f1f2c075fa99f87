#include "CountedFixtures.h"

#include "ZQFramework/ObjectBase/RCPtr.h"

#include <gtest/gtest.h>

using namespace ObjectBaseTests;

namespace
{
// Holds the only reference to another object, like a part of a structure.
class Owner : public Tracked
{
public:
    Owner(ZQ::ConstRCPtr<ZQ::LRefCountedObject> inner, std::atomic<int>* destroyed)
        : Tracked(destroyed), mInner(std::move(inner))
    {
    }
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> mInner;
};
} // namespace

TEST(RCPtr, IsExactlyOnePointerWide)
{
    static_assert(sizeof(ZQ::RCPtr<Tracked>) == sizeof(Tracked*));
    static_assert(sizeof(ZQ::ConstRCPtr<Tracked>) == sizeof(Tracked*));
}

TEST(RCPtr, NullPointersTouchNoObject)
{
    ZQ::RCPtr<Tracked> null;
    ZQ::RCPtr<Tracked> copy = null;
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> up = null;
    ZQ::RCPtr<OtherTracked> down(up);
    EXPECT_FALSE(copy);
    EXPECT_EQ(up, nullptr);
    EXPECT_TRUE(down.IsNull());
    EXPECT_EQ(ZQ::ConstRCPtr<Tracked>::Null, nullptr);
    copy = ZQ::ConstRCPtr<Tracked>::Null;
    EXPECT_EQ(copy.Get(), nullptr);
}

TEST(RCPtr, EachHolderOwnsOneReferenceAndTheLastFreesTheObjectOnce)
{
    std::atomic<int> destroyed{0};
    {
        ZQ::RCPtr<Tracked> first(new Tracked(&destroyed));
        EXPECT_EQ(first->GetRefCount(), 1);
        {
            ZQ::RCPtr<Tracked> second = first;
            ZQ::ConstRCPtr<Tracked> third(second);
            ZQ::RCPtr<Tracked> moved(std::move(second));
            EXPECT_EQ(first->GetRefCount(), 3);
            EXPECT_EQ(second, nullptr);
            EXPECT_EQ(moved, first);
        }
        EXPECT_EQ(first->GetRefCount(), 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RCPtr, AssigningTheHeldObjectChangesNothingEvenWhenItIsUnshareable)
{
    ZQ::RCPtr<Tracked> p(new Tracked);
    p->SetUnshareable(true);
    p->AddRef(); // a second holder: taking a new reference would now try to copy, and Tracked cannot
    const ZQ::RCPtr<Tracked>& self = p;
    EXPECT_NO_THROW(p = self);
    EXPECT_NO_THROW(p = p.Get());
    EXPECT_EQ(p->GetRefCount(), 2);
    EXPECT_FALSE(p->IsShareable());
    p->Release();
    p->SetUnshareable(false);
}

TEST(RCPtr, AssigningAnObjectKeptAliveOnlyByTheOldOneIsSafe)
{
    std::atomic<int> innerDestroyed{0};
    std::atomic<int> ownerDestroyed{0};
    auto makeOwner = [&] {
        return ZQ::RCPtr<Tracked>(
            new Owner(ZQ::RCPtr<Tracked>(new Tracked(&innerDestroyed)), &ownerDestroyed));
    };

    // By raw pointer.
    ZQ::RCPtr<Tracked> p = makeOwner();
    auto* inner = const_cast<Tracked*>(dynamic_cast<const Tracked*>(static_cast<Owner&>(*p).mInner.Get()));
    p = inner;
    EXPECT_EQ(ownerDestroyed, 1);
    EXPECT_EQ(innerDestroyed, 0);
    EXPECT_EQ(p->GetRefCount(), 1);

    // By casting assignment from the owner's own member.
    ZQ::RCPtr<Tracked> q = makeOwner();
    q = static_cast<Owner&>(*q).mInner;
    EXPECT_EQ(ownerDestroyed, 2);
    EXPECT_EQ(innerDestroyed, 0);
    EXPECT_EQ(q->GetRefCount(), 1);
}

TEST(RCPtr, DownCastGivesNullForAnotherClassAndLeavesTheSourceAlone)
{
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> object(new Tracked);
    ZQ::RCPtr<OtherTracked> wrong(object);
    EXPECT_EQ(wrong, nullptr);
    EXPECT_EQ(object->GetRefCount(), 1);

    ZQ::RCPtr<Tracked> right(object);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right, object);
    EXPECT_EQ(object->GetRefCount(), 2);

    // Casting assignment: a failed cast clears the target.
    right = ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new OtherTracked);
    EXPECT_EQ(right, nullptr);
    EXPECT_EQ(object->GetRefCount(), 1);
}

TEST(RCPtr, CastsReachTheOneCountBehindVirtualBases)
{
    struct Interface : public virtual ZQ::LRefCountedObject
    {
    };
    struct Both : public Interface, public Tracked
    {
    };
    ZQ::RCPtr<Both> both(new Both);
    ZQ::ConstRCPtr<Interface> asInterface = both;
    ZQ::RCPtr<Tracked> across(asInterface); // a cross-cast between two bases
    ASSERT_NE(across, nullptr);
    EXPECT_EQ(both->GetRefCount(), 3);
    EXPECT_EQ(static_cast<ZQ::LRefCountedObject*>(across.Get()),
              static_cast<ZQ::LRefCountedObject*>(both.Get()));
}
