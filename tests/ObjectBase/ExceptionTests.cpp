#include "CountedFixtures.h"

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/Pair.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

using namespace ObjectBaseTests;

// An owner class with a nested task enum, like the update engine's interface.
class LTaskOwner
{
public:
    enum ThreadWorkerTask
    {
        Idle
    };
};

namespace ZQ
{
// Named like the framework's font so that the detachment failure names a real framework class; its
// copy comes back as an object of another class.
class LFont : public virtual LRefCountedObject
{
public:
    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        return ConstRCPtr<LRefCountedObject>(new OtherTracked);
    }
};

// A class template over an enum whose copy is of another class: its name has template arguments.
template <class E>
class LBoxed : public virtual LRefCountedObject
{
public:
    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        return ConstRCPtr<LRefCountedObject>(new OtherTracked);
    }
};
} // namespace ZQ

namespace
{
// Copies itself into nothing.
class NoCopy : public virtual ZQ::LRefCountedObject
{
public:
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> CreateCopy() const override { return {}; }
};

// Marks object unshareable and has a second pointer of type P take it, which must detach.
template <class P, class Object>
void TakeUnshareable(Object* object)
{
    ZQ::RCPtr<Object> first(object);
    first->SetUnshareable(true);
    P second(first);
}

ZQ::StringT<char16_t, char> KeyText(const int&)
{
    return ZQ::StringT<char16_t, char>::GetEmptyString();
}

// Runs action and returns the text of the framework exception it throws, read through the mix-in.
std::string TextOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const ZQ::ExceptionBase& e)
    {
        return e.What();
    }
    return "<nothing thrown>";
}
} // namespace

TEST(Exception, EveryTextOfTheObjectCoreIsExact)
{
    static constexpr const char* kCreateCopyText =
        "Logic Error : CreateCopy() not implemented for RefCountedObject : "
        "ZQ::LRefCountedObject::CreateCopy : "
        "zqframework\\objectbase\\RefCountedObject : Line 274";
    struct Case
    {
        const char* name;
        std::function<void()> action;
        const char* expected;
    };
    const Case cases[] = {
        {"Undo", [] { ZQ::RCPtr<Tracked>(new Tracked)->Undo(); },
         "Logic Error : Undo() not implemented for RefCountedObject : ZQ::LRefCountedObject::Undo : "
         "zqframework\\objectbase\\RefCountedObject : Line 156"},
        {"CreateCopy", [] { (void)ZQ::RCPtr<Tracked>(new Tracked)->CreateCopy(); }, kCreateCopyText},
        {"SetUnshareable",
         []
         {
             ZQ::RCPtr<Tracked> a(new Tracked);
             ZQ::RCPtr<Tracked> b = a;
             a->SetUnshareable(true);
         },
         "Runtime Error : ZQ::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29"},
        {"Unshare",
         []
         {
             ZQ::RCPtr<ZQ::LFont> font(new ZQ::LFont);
             font->SetUnshareable(true);
             ZQ::ConstRCPtr<ZQ::LFont> second(font);
         },
         "Logic Error : class ZQ::LFont : ZQ::ConstRCPtr<class ZQ::LFont,class ZQ::LFont *>::Unshare : "
         "zqframework\\objectbase\\RefCountedObject : Line 424"},
        {"Unshare of the object base",
         [] { TakeUnshareable<ZQ::ConstRCPtr<ZQ::LRefCountedObject>>(new NoCopy); },
         "Logic Error : class ZQ::LRefCountedObject : "
         "ZQ::ConstRCPtr<class ZQ::LRefCountedObject,class ZQ::LRefCountedObject *>::Unshare : "
         "zqframework\\objectbase\\RefCountedObject : Line 424"},
        {"Unshare of a class template",
         []
         {
             TakeUnshareable<ZQ::RCPtr<ZQ::LBoxed<LTaskOwner::ThreadWorkerTask>>>(
                 new ZQ::LBoxed<LTaskOwner::ThreadWorkerTask>);
         },
         "Logic Error : class ZQ::LBoxed<enum LTaskOwner::ThreadWorkerTask> : "
         "ZQ::ConstRCPtr<class ZQ::LBoxed<enum LTaskOwner::ThreadWorkerTask>,"
         "class ZQ::LBoxed<enum LTaskOwner::ThreadWorkerTask> *>::Unshare : "
         "zqframework\\objectbase\\RefCountedObject : Line 424"},
        {"CreateCopy of a holder", [] { (void)ZQ::LHolder<int>::Create()->CreateCopy(); }, kCreateCopyText},
        {"CreateCopy of a pair", [] { (void)ZQ::LPair<int, int, &KeyText>::Create(1, 2)->CreateCopy(); },
         kCreateCopyText},
        {"bad_alloc", [] { throw ZQ::Exception<std::bad_alloc>(); }, "bad allocation"},
        {"FailedResult",
         []
         {
             throw ZQ::Exception<ZQ::FailedResultException>(
                 "Failed Result : " + ZQ::ResultToString(E_FAIL) +
                 " : LApplication::Run : app\\Application : Line 7");
         },
         "Failed Result : ZQRESULT = 80004005 : LApplication::Run : app\\Application : Line 7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextOf(c.action), c.expected) << c.name;
}

TEST(Exception, FrameworkExceptionsAreCaughtAsTheirStandardBases)
{
    const char* text = "Runtime Error : f : p : Line 1";
    try
    {
        throw ZQ::Exception<std::runtime_error>(text);
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(), text);
        EXPECT_STREQ(dynamic_cast<const ZQ::ExceptionBase&>(e).What(), text);
    }
    EXPECT_THROW(throw ZQ::Exception<std::runtime_error>(text), std::exception);
    EXPECT_THROW(throw ZQ::Exception<std::runtime_error>(std::string(text)), ZQ::ExceptionBase);
    EXPECT_THROW(throw ZQ::Exception<std::out_of_range>(text), std::logic_error);
    EXPECT_THROW(throw ZQ::Exception<std::invalid_argument>(text), std::logic_error);
    EXPECT_THROW(throw ZQ::Exception<std::domain_error>(text), std::logic_error);
    EXPECT_THROW(throw ZQ::Exception<std::bad_alloc>(), std::bad_alloc);
    EXPECT_THROW(throw ZQ::Exception<ZQ::FailedResultException>(text), std::exception);
}

TEST(Exception, CopyOfAFailedResultKeepsTheTextAfterTheOriginalIsGone)
{
    auto original =
        std::make_unique<ZQ::Exception<ZQ::FailedResultException>>(std::string("Failed Result : x"));
    ZQ::Exception<ZQ::FailedResultException> copy(*original);
    original.reset();
    EXPECT_STREQ(copy.what(), "Failed Result : x");
    EXPECT_STREQ(copy.What(), "Failed Result : x");
}

TEST(Result, ToStringIsUpperCaseHexWithoutPaddingOrPrefix)
{
    struct Case
    {
        ZQRESULT result;
        const char* expected;
    };
    const Case cases[] = {{0, "ZQRESULT = 0"},
                          {1, "ZQRESULT = 1"},
                          {E_FAIL, "ZQRESULT = 80004005"},
                          {E_INVALIDARG, "ZQRESULT = 80070057"},
                          {ZQ_E_APP_WORK_DONE, "ZQRESULT = 8000A020"},
                          {0xABC, "ZQRESULT = ABC"},
                          {-1, "ZQRESULT = FFFFFFFF"}};
    for (const auto& c : cases)
        EXPECT_EQ(ZQ::ResultToString(c.result), c.expected);
}

TEST(Result, ApplicationCloseCodesAreTheSixOrderlyEnds)
{
    for (ZQRESULT r : {ZQ_E_APP_CLOSE_0, ZQ_E_APP_CLOSE_1, ZQ_E_APP_CLOSE_2, ZQ_E_APP_CLOSE_3,
                       ZQ_E_APP_CLOSE_10, ZQ_E_APP_WORK_DONE})
        EXPECT_TRUE(ZQ::IsApplicationCloseResult(r)) << std::hex << r;
    for (ZQRESULT r :
         {S_OK, E_FAIL, E_ABORT, static_cast<ZQRESULT>(0x8000A004u), static_cast<ZQRESULT>(0x8000A021u)})
        EXPECT_FALSE(ZQ::IsApplicationCloseResult(r)) << std::hex << r;
}
