#include "CountedFixtures.h"

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/CountedBuffer.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace ObjectBaseTests;

namespace
{
// A counted block of bytes that copies itself, like the string storage; a test can make CreateCopy
// answer with nothing or with an object of another class.
class Blob : public Tracked
{
public:
    enum class CopyMode
    {
        Copy,
        Null,
        Foreign,
        Self
    };

    explicit Blob(std::string bytes, std::atomic<int>* destroyed = nullptr)
        : Tracked(destroyed), mBytes(std::move(bytes))
    {
    }

    ZQ::ConstRCPtr<ZQ::LRefCountedObject> CreateCopy() const override
    {
        switch (mMode)
        {
        case CopyMode::Copy:
            return ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new Blob(mBytes));
        case CopyMode::Null:
            return {};
        case CopyMode::Foreign:
            return ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new OtherTracked);
        case CopyMode::Self:
            return ZQ::ConstRCPtr<ZQ::LRefCountedObject>(this);
        }
        return {};
    }

    std::string mBytes;
    CopyMode mMode = CopyMode::Copy;
};
} // namespace

TEST(Unshare, NullOrSingleHolderChangesNothing)
{
    ZQ::RCPtr<Blob> null;
    EXPECT_NO_THROW(null.Unshare());

    ZQ::RCPtr<Blob> alone(new Blob("abc"));
    Blob* original = alone.Get();
    alone->SetUnshareable(true);
    alone.Unshare();
    EXPECT_EQ(alone.Get(), original);
    EXPECT_EQ(alone->GetRefCount(), 1);
}

TEST(Unshare, SecondHolderOfAnUnshareableObjectGetsAShareableCopy)
{
    ZQ::RCPtr<Blob> writer(new Blob("bytes"));
    writer->SetUnshareable(true);

    ZQ::RCPtr<Blob> reader = writer;
    ASSERT_NE(reader, nullptr);
    EXPECT_NE(reader, writer);
    EXPECT_EQ(reader->mBytes, "bytes");
    EXPECT_TRUE(reader->IsShareable());
    EXPECT_EQ(reader->GetRefCount(), 1);
    EXPECT_EQ(writer->GetRefCount(), 1);
    EXPECT_FALSE(writer->IsShareable());

    // Assignment and up-casting construction detach the same way; writing through a pointer does not.
    ZQ::RCPtr<Blob> assigned;
    assigned = writer;
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> base(writer);
    EXPECT_NE(assigned, writer);
    EXPECT_NE(base, writer);
    writer->mBytes = "changed";
    EXPECT_EQ(assigned->mBytes, "bytes");
    EXPECT_EQ(writer->GetRefCount(), 1);
}

TEST(Unshare, InternalReferencesCountAsOtherHolders)
{
    ZQ::RCPtr<Blob> p(new Blob("y"));
    p->SetUnshareable(true);
    Blob* marked = p.Get();
    marked->AddRef(); // one of the object's own parts holds it
    ZQ::LRefCountedObject::AdjustInternalRefCount(marked, 1);

    p.Unshare();
    EXPECT_NE(p.Get(), marked);
    EXPECT_EQ(p->mBytes, "y");
    EXPECT_EQ(marked->GetRefCount(), 1);

    ZQ::LRefCountedObject::AdjustInternalRefCount(marked, -1);
    marked->Release();
}

TEST(Unshare, ClassWithoutCopyThrowsAndThePointerKeepsItsObject)
{
    ZQ::RCPtr<Tracked> p(new Tracked);
    Tracked* original = p.Get();
    p->SetUnshareable(true);
    original->AddRef();
    EXPECT_THROW(p.Unshare(), std::logic_error);
    EXPECT_EQ(p.Get(), original);
    EXPECT_EQ(original->GetRefCount(), 2);

    // A construction that fails to detach gives back the reference it took.
    EXPECT_THROW(ZQ::RCPtr<Tracked>{p}, std::logic_error);
    EXPECT_EQ(original->GetRefCount(), 2);
    // An assignment that fails to detach still gives back the reference of the object it held.
    std::atomic<int> destroyed{0};
    ZQ::RCPtr<Tracked> target(new Tracked(&destroyed));
    EXPECT_THROW(target = p, std::logic_error);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(target.Get(), original);
    EXPECT_EQ(original->GetRefCount(), 3);
    target = nullptr;
    original->Release();
    p->SetUnshareable(false);
}

TEST(Unshare, CopyOfTheWrongClassOrNoCopyLeavesThePointerNull)
{
    for (auto mode : {Blob::CopyMode::Null, Blob::CopyMode::Foreign})
    {
        std::atomic<int> destroyed{0};
        ZQ::RCPtr<Blob> p(new Blob("x", &destroyed));
        Blob* original = p.Get();
        p->SetUnshareable(true);
        p->mMode = mode;
        original->AddRef();
        EXPECT_THROW(p.Unshare(), std::logic_error);
        EXPECT_EQ(p, nullptr);
        EXPECT_EQ(original->GetRefCount(), 1);
        original->Release();
        EXPECT_EQ(destroyed, 1);
    }
}

TEST(Unshare, LockedStringBufferTakenByASecondPointerIsCopied)
{
    ZQ::ConstRCPtr<ZQ::LIBuffer> locked = ZQ::StringBuffer::Create(4, 0, true);
    std::memcpy(locked->GetData(), "abc", 4);
    const_cast<ZQ::LIBuffer*>(locked.Get())->SetUnshareable(true);

    ZQ::ConstRCPtr<ZQ::LIBuffer> second = locked;
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, locked);
    EXPECT_EQ(second->GetSize(), 4u);
    EXPECT_STREQ(static_cast<const char*>(second->GetData()), "abc");
    EXPECT_TRUE(second->IsShareable());
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(locked->GetRefCount(), 1);
    EXPECT_FALSE(locked->IsShareable());
}

TEST(Unshare, CopyThatIsTheHeldObjectItselfChangesNothing)
{
    ZQ::RCPtr<Blob> p(new Blob("s"));
    Blob* original = p.Get();
    p->SetUnshareable(true);
    p->mMode = Blob::CopyMode::Self;
    original->AddRef();
    EXPECT_NO_THROW(p.Unshare());
    EXPECT_EQ(p.Get(), original);
    EXPECT_EQ(original->GetRefCount(), 2);

    // The same through a second pointer taking the object.
    {
        ZQ::RCPtr<Blob> second(p);
        EXPECT_EQ(second.Get(), original);
        EXPECT_EQ(original->GetRefCount(), 3);
    }
    EXPECT_EQ(original->GetRefCount(), 2);
    original->Release();
}
