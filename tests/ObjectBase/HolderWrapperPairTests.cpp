#include "CountedFixtures.h"

#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/ObjectBase/TypeName.h"
#include "ZQFramework/ObjectBase/Wrapper.h"
#include "ZQFramework/Utilities/Storage/Pair.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace ObjectBaseTests;

namespace
{
using WString = ZQ::StringT<char16_t, char>;

std::u16string Text(const WString& s)
{
    return std::u16string(s.GetBuffer(), static_cast<size_t>(s.GetLength()));
}

// A key-to-text function like the hashed lists': the name of the key's type.
template <class K>
WString KeyTypeName(const K&)
{
    return WString(ZQ::TypeName<K>().c_str());
}

// Records its destruction in a shared log, to check the order in which a pair lets go of its members.
class Logged : public virtual ZQ::LRefCountedObject
{
public:
    Logged(std::vector<std::string>* log, std::string name) : mLog(log), mName(std::move(name)) {}
    ~Logged() override { mLog->push_back(mName); }

private:
    std::vector<std::string>* mLog;
    std::string mName;
};

class Counter
{
public:
    virtual ~Counter() { ++sDestroyed; }
    int mValue = 7;
    static inline int sDestroyed = 0;
};
} // namespace

TEST(Holder, CreateHoldsAValueInitialisedOrCopiedValue)
{
    auto number = ZQ::LHolder<int>::Create();
    auto flag = ZQ::LHolder<bool>::Create();
    auto given = ZQ::LHolder<std::string>::Create("descriptor");
    EXPECT_EQ(*number->mValue, 0);
    EXPECT_FALSE(*flag->mValue);
    EXPECT_EQ(*given->mValue, "descriptor");
    EXPECT_EQ(number->GetRefCount(), 1);
    *number->mValue = 42;
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> asObject = number;
    EXPECT_EQ(*ZQ::RCPtr<ZQ::LHolder<int>>(asObject)->mValue, 42);
    EXPECT_THROW((void)number->CreateCopy(), std::logic_error);
}

TEST(Holder, LastPointerFreesTheHeldValueOnce)
{
    Counter::sDestroyed = 0;
    {
        auto holder = ZQ::LHolder<Counter>::Create();
        ZQ::ConstRCPtr<ZQ::LRefCountedObject> second = holder;
        holder = nullptr;
        EXPECT_EQ(Counter::sDestroyed, 0);
    }
    EXPECT_EQ(Counter::sDestroyed, 1);
}

TEST(Holder, TextNamesTheHolderType)
{
    auto holder = ZQ::LHolder<int>::Create(3);
    EXPECT_EQ(Text(holder->ToString()), u"LRefCountedObject::ToString() not overridden. Returning TypeName: "
                                        u"class ZQ::LHolder<int>");
    EXPECT_EQ(holder->GetRefCount(), 1);
}

TEST(Wrapper, WrappedObjectIsCountedAndDestroyedWithTheLastPointer)
{
    Counter::sDestroyed = 0;
    {
        auto wrapped = ZQ::LWrapper<Counter>::Create();
        ZQ::RCPtr<ZQ::LWrapper<Counter>> second = wrapped;
        EXPECT_EQ(wrapped->mValue, 7);
        EXPECT_EQ(wrapped->GetRefCount(), 2);
    }
    EXPECT_EQ(Counter::sDestroyed, 1);
}

TEST(WrapperStringable, WrappedStringIsItsOwnText)
{
    using Wrapped = ZQ::LWrapperStringable<WString, &ZQ::StringToString>;
    const WString text(u"clipboard text");
    auto wrapped = Wrapped::Create(text);
    EXPECT_EQ(Text(wrapped->ToString()), u"clipboard text");
    EXPECT_EQ(Text(wrapped->GetValue()), u"clipboard text");
    EXPECT_EQ(wrapped->GetTag(), nullptr);

    // Printing through a base pointer reaches the wrapper's text.
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> asObject = wrapped;
    EXPECT_EQ(Text(ZQ::ToString(asObject)), u"clipboard text");
    EXPECT_EQ(Text(ZQ::ToString(ZQ::ConstRCPtr<ZQ::LRefCountedObject>())), u"");
}

TEST(Pair, EntryTextIsWhatTheKeyFunctionMakesOfTheKey)
{
    auto longKeyed = ZQ::LPair<long, double, &KeyTypeName<long>>::Create(5, 1.5);
    auto intKeyed = ZQ::LPair<int, Tracked*, &KeyTypeName<int>>::Create(9, nullptr);
    EXPECT_EQ(Text(longKeyed->ToString()), u"long");
    EXPECT_EQ(Text(intKeyed->ToString()), u"int");
    EXPECT_EQ(longKeyed->first, 5);
    EXPECT_EQ(longKeyed->second, 1.5);
    EXPECT_THROW((void)intKeyed->CreateCopy(), std::logic_error);
}

TEST(Pair, DestroyingAPairReleasesSecondThenFirstThenTheTagEachOnce)
{
    std::vector<std::string> log;
    {
        using Entry =
            ZQ::LPair<ZQ::ConstRCPtr<Logged>, ZQ::RCPtr<Logged>, &ZQ::ToString<ZQ::ConstRCPtr<Logged>>>;
        ZQ::RCPtr<Entry> entry;
        {
            ZQ::ConstRCPtr<Logged> font(new Logged(&log, "font"));
            ZQ::RCPtr<Logged> info(new Logged(&log, "info"));
            entry = Entry::Create(font, info);
            entry->SetTag(ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new Logged(&log, "tag")));
            EXPECT_EQ(font->GetRefCount(), 2);
        }
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(Text(entry->ToString()).rfind(u"LRefCountedObject::ToString() not overridden.", 0), 0u);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"info", "font", "tag"}));
}

TEST(ToString, DefaultTextNamesTheDynamicTypeAndChangesNothing)
{
    ZQ::RCPtr<ZQ::LRefCountedObject> tracked(new Tracked);
    ZQ::RCPtr<ZQ::LRefCountedObject> other(new OtherTracked);
    const std::u16string prefix = u"LRefCountedObject::ToString() not overridden. Returning TypeName: ";
    EXPECT_EQ(Text(tracked->ToString()), prefix + u"class ObjectBaseTests::Tracked");
    EXPECT_EQ(Text(other->ToString()), prefix + u"class ObjectBaseTests::OtherTracked");
    EXPECT_EQ(tracked->GetRefCount(), 1);
    EXPECT_TRUE(tracked->IsShareable());
}
