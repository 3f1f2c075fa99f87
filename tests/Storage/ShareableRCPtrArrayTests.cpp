#include "tests/Support/TrackedObject.h"

#include "ZQFramework/Utilities/Storage/ShareableRCPtrArray.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using TestSupport::TrackedObject;

namespace
{

using LookList = ZQ::LRCPtrArray<TrackedObject, 1, 0>;

} // namespace

TEST(ShareableRCPtrArray, IsSharedByItsPointersNeverCopied)
{
    std::vector<std::string> log; // outlives the list, whose elements write to it
    ZQ::ConstRCPtr<LookList> first(new LookList(3, 0));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(first->GetCount(), 3u);
    EXPECT_TRUE(first->GetAt(2).IsNull());
    EXPECT_TRUE(first->ToString().IsEmpty());

    ZQ::RCPtr<LookList> second(const_cast<LookList*>(first.Get()));
    EXPECT_EQ(first->GetRefCount(), 2);
    second->GetAt(1) = ZQ::RCPtr<TrackedObject>(new TrackedObject("look", &log));
    EXPECT_EQ(first->GetAt(1)->Name(), "look");

    second->SetText(ZQ::WString(u"Looks"));
    EXPECT_TRUE(first->ToString() == u"Looks");
}

TEST(ShareableRCPtrArray, LastReleaseFreesElementsInOrderThenTheTag)
{
    std::vector<std::string> log;
    {
        ZQ::RCPtr<LookList> list(new LookList(0, 0));
        list->Add(ZQ::RCPtr<TrackedObject>(new TrackedObject("first", &log)));
        list->Add(ZQ::RCPtr<TrackedObject>(new TrackedObject("second", &log)));
        list->SetTag(ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new TrackedObject("tag", &log)));
        ZQ::ConstRCPtr<LookList> other = list;
        list = nullptr;
        EXPECT_TRUE(log.empty());
    }
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "tag"}));
}

TEST(ShareableRCPtrArray, DetachingASharedArrayThrowsAndChangesNothing)
{
    ZQ::RCPtr<LookList> list(new LookList(1, 0));
    ZQ::RCPtr<LookList> other = list;
    EXPECT_THROW(other.Unshare(), std::logic_error);
    EXPECT_EQ(other.Get(), list.Get());
    EXPECT_EQ(list->GetRefCount(), 2);

    ZQ::RCPtr<TrackedObject> out;
    try
    {
        list->RemoveItem(1, out);
        FAIL() << "nothing thrown";
    }
    catch (const std::out_of_range& e)
    {
        EXPECT_STREQ(e.what(),
                     "Out of Range : ZQ::RCPtrArray<class TestSupport::TrackedObject,1,0>::RemoveItem : "
                     "zqframework\\utilities\\Storage/RCPtrArray : Line 175");
    }
}
