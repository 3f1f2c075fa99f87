#include "CountedFixtures.h"

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <gtest/gtest.h>

using namespace ObjectBaseTests;

TEST(RefCountedObject, NewObjectIsUnreferencedShareableAndFreedByItsLastRelease)
{
    std::atomic<int> destroyed{0};
    auto* object = new Tracked(&destroyed);
    EXPECT_EQ(object->GetRefCount(), 0);
    EXPECT_EQ(object->GetInternalRefCount(), 0);
    EXPECT_TRUE(object->IsShareable());
    EXPECT_FALSE(object->IsInRelease());

    object->AddRef();
    EXPECT_EQ(object->AddRef(), 2);
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, LastOutsideReleaseBreaksCyclesOnceAndFreesTheObject)
{
    std::atomic<int> destroyed{0};
    std::atomic<int> breaks{0};
    {
        ZQ::RCPtr<SelfHolder> outside(new SelfHolder(&destroyed, &breaks));
        outside->AddInternalReference();
        outside->AddInternalReference();
        EXPECT_EQ(outside->GetRefCount(), 3);
        EXPECT_EQ(outside->GetInternalRefCount(), 2);
    }
    EXPECT_EQ(breaks, 1);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, ReleaseThatLeavesOtherOutsideHoldersDoesNotBreakCycles)
{
    std::atomic<int> destroyed{0};
    std::atomic<int> breaks{0};
    ZQ::RCPtr<SelfHolder> first(new SelfHolder(&destroyed, &breaks));
    first->AddInternalReference();
    ZQ::RCPtr<SelfHolder> second = first;
    first = nullptr;
    EXPECT_EQ(breaks, 0);
    EXPECT_EQ(second->GetRefCount(), 2);
    second = nullptr;
    EXPECT_EQ(breaks, 1);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, ObjectWhosePartsKeepTheirReferencesSurvivesAndCanBreakAgain)
{
    std::atomic<int> destroyed{0};
    std::atomic<int> breaks{0};
    auto* object = new SelfHolder(&destroyed, &breaks);
    object->AddRef();
    object->AddInternalReference();
    object->AddInternalReference();
    object->mDropOnBreak = 0;

    EXPECT_EQ(object->Release(), 2);
    EXPECT_EQ(breaks, 1);
    EXPECT_EQ(destroyed, 0);
    EXPECT_FALSE(object->IsInRelease());

    // A new outside holder comes and goes; this time the parts let go.
    object->AddRef();
    object->mDropOnBreak = 2;
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(breaks, 2);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, BaseReleaseInternalReferencesReportsWhetherTheObjectIsHeldAlone)
{
    struct Case
    {
        int refs;
        int internal;
        ZQRESULT expected;
    };
    const Case cases[] = {{1, 0, S_OK}, {2, 0, E_FAIL}, {2, 1, E_FAIL}, {1, 1, E_FAIL}};
    for (const auto& c : cases)
    {
        ZQ::RCPtr<Tracked> object(new Tracked);
        for (int i = 1; i < c.refs; ++i)
            object->AddRef();
        ZQ::LRefCountedObject::AdjustInternalRefCount(object.Get(), c.internal);
        EXPECT_EQ(object->LRefCountedObject::ReleaseInternalReferences(), c.expected)
            << c.refs << " references, " << c.internal << " internal";
        EXPECT_EQ(object->GetRefCount(), c.refs);
        ZQ::LRefCountedObject::AdjustInternalRefCount(object.Get(), -c.internal);
        for (int i = 1; i < c.refs; ++i)
            object->Release();
    }
}

TEST(RefCountedObject, SetUnshareableNeedsASingleHolderAndClearingAlwaysWorks)
{
    ZQ::RCPtr<Tracked> object(new Tracked);
    object->SetUnshareable(true);
    EXPECT_FALSE(object->IsShareable());
    object->SetUnshareable(false);
    EXPECT_TRUE(object->IsShareable());

    ZQ::RCPtr<Tracked> second = object;
    EXPECT_THROW(object->SetUnshareable(true), std::runtime_error);
    EXPECT_TRUE(object->IsShareable());
    EXPECT_EQ(object->GetRefCount(), 2);

    // Clearing the mark never throws, whatever the count.
    object->SetUnshareable(false);
    EXPECT_TRUE(object->IsShareable());
}

TEST(RefCountedObject, UndoAndCreateCopyOfTheBaseThrowAndChangeNothing)
{
    ZQ::RCPtr<Tracked> object(new Tracked);
    EXPECT_THROW(object->Undo(), std::logic_error);
    EXPECT_THROW((void)object->CreateCopy(), std::logic_error);
    EXPECT_EQ(object->GetRefCount(), 1);
    EXPECT_TRUE(object->IsShareable());
}

TEST(RefCountedObject, CopyingAnObjectGivesAFreshUnreferencedObject)
{
    ZQ::RCPtr<Tracked> object(new Tracked);
    object->SetUnshareable(true);
    Tracked copy(*object);
    EXPECT_EQ(copy.GetRefCount(), 0);
    EXPECT_TRUE(copy.IsShareable());
}
