#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/TypeName.h"

#include <gtest/gtest.h>

namespace TypeNameTestTypes
{
class Widget : public virtual ZQ::LRefCountedObject
{
};
enum class Task
{
    Run
};
template <class A, class B>
class Two
{
};
struct Plain
{
};
template <class T>
class Poly : public virtual ZQ::LRefCountedObject
{
};
} // namespace TypeNameTestTypes

ZQ_DECLARE_TYPE_NAME(TypeNameTestTypes::Plain, "struct TypeNameTestTypes::Plain")

TEST(TypeName, SpellsTypesTheFrameworkWay)
{
    using namespace TypeNameTestTypes;
    struct Case
    {
        std::string actual;
        const char* expected;
    };
    const Case cases[] = {
        {ZQ::TypeName<int>(), "int"},
        {ZQ::TypeName<long>(), "long"},
        {ZQ::TypeName<unsigned char>(), "unsigned char"},
        {ZQ::TypeName<char16_t>(), "wchar_t"},
        {ZQ::TypeName<Widget>(), "class TypeNameTestTypes::Widget"},
        {ZQ::TypeName<const Widget>(), "class TypeNameTestTypes::Widget"},
        {ZQ::TypeName<Widget*>(), "class TypeNameTestTypes::Widget *"},
        {ZQ::TypeName<Task>(), "enum TypeNameTestTypes::Task"},
        {ZQ::TypeName<Plain>(), "struct TypeNameTestTypes::Plain"},
        {ZQ::TypeName<Two<int, Task>>(), "class TypeNameTestTypes::Two<int,enum TypeNameTestTypes::Task>"},
        {ZQ::TypeName<ZQ::LHolder<Task>>(), "class ZQ::LHolder<enum TypeNameTestTypes::Task>"},
        {ZQ::TypeName<long long>(), "__int64"},
        {ZQ::TypeName<ZQ::ConstRCPtr<Widget>>(),
         "class ZQ::ConstRCPtr<class TypeNameTestTypes::Widget,class TypeNameTestTypes::Widget *>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected);
}

TEST(TypeName, DynamicNameOfAnObjectIsItsMostDerivedClass)
{
    using namespace TypeNameTestTypes;
    ZQ::RCPtr<ZQ::LRefCountedObject> object(new Widget);
    const ZQ::LRefCountedObject& target = *object;
    EXPECT_EQ(ZQ::DynamicTypeName(typeid(target)), "class TypeNameTestTypes::Widget");
    EXPECT_EQ(ZQ::DynamicTypeName(typeid(Two<long, int>)), "class TypeNameTestTypes::Two<long,int>");
}

TEST(TypeName, DynamicNameOfATypeIsTheSameBeforeAndAfterItsStaticNameIsAskedFor)
{
    using namespace TypeNameTestTypes;
    const std::string before = ZQ::DynamicTypeName(typeid(Poly<Task>));
    (void)ZQ::TypeName<Poly<Task>>();
    EXPECT_EQ(ZQ::DynamicTypeName(typeid(Poly<Task>)), before);
    EXPECT_EQ(before, "class TypeNameTestTypes::Poly<TypeNameTestTypes::Task>");
}
