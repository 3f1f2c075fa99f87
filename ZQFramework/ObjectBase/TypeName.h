#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

// Printable type names in the form the framework's diagnostics use: the class keyword and the
// namespace-qualified name, template arguments without a blank after the comma and a blank before a
// star ("class ZQ::LFont", "ZQ::ConstRCPtr<class ZQ::LFont,class ZQ::LFont *>" is built from
// "class ZQ::LFont" and "class ZQ::LFont *").
//
// TypeName<T>() is resolved at compile time through TypeNameTraits<T>. The generic rules cover
// fundamental types, pointers, classes, enums and templates over types; a type whose name must read
// differently (a struct, an enum argument inside a template with non-type arguments) gets its own
// specialisation with ZQ_DECLARE_TYPE_NAME(Type, "text") at global scope.
namespace ZQ
{
namespace TypeNameDetail
{
template <class T>
constexpr std::string_view RawName()
{
    return __PRETTY_FUNCTION__;
}

// The qualified name of T as the compiler spells it, cut out of RawName's signature text.
std::string QualifiedName(std::string_view prettyFunction);

// Rewrites a compiler-spelled name into the framework's spelling (", " -> ",", "T*" -> "T *",
// "long int" -> "long", "char16_t" -> "wchar_t", ...).
std::string Normalize(std::string_view name);

template <class T>
std::string KeywordFor()
{
    if constexpr (std::is_enum_v<T>)
        return "enum ";
    else if constexpr (std::is_union_v<T>)
        return "union ";
    else if constexpr (std::is_class_v<T>)
        return "class ";
    else
        return "";
}
} // namespace TypeNameDetail

template <class T>
struct TypeNameTraits
{
    static std::string Name()
    {
        return TypeNameDetail::KeywordFor<T>() +
               TypeNameDetail::Normalize(TypeNameDetail::QualifiedName(TypeNameDetail::RawName<T>()));
    }
};

template <class T>
std::string TypeName()
{
    return TypeNameTraits<std::remove_cv_t<T>>::Name();
}

template <class T>
struct TypeNameTraits<T*>
{
    static std::string Name() { return TypeName<T>() + " *"; }
};

template <class T>
struct TypeNameTraits<T&>
{
    static std::string Name() { return TypeName<T>() + " &"; }
};

// A template over types: its own name followed by the names of its arguments.
template <template <class...> class Template, class... Args>
struct TypeNameTraits<Template<Args...>>
{
    static std::string Name()
    {
        const std::string full = TypeNameDetail::QualifiedName(TypeNameDetail::RawName<Template<Args...>>());
        std::string name =
            TypeNameDetail::KeywordFor<Template<Args...>>() + full.substr(0, full.find('<')) + '<';
        bool first = true;
        ((name += (first ? "" : ","), name += TypeName<Args>(), first = false), ...);
        return name + '>';
    }
};

// The name of an object's dynamic type from the run-time type information: "class " and the qualified
// name spelled the framework's way. Template arguments carry no keywords here (the run-time names do not
// say whether an argument is a class or an enum), so the text of a class template instance can differ
// from TypeName's; the same type always gives the same text.
std::string DynamicTypeName(const std::type_info& type);
} // namespace ZQ

#define ZQ_DECLARE_TYPE_NAME(Type, Text)                                                                     \
    template <>                                                                                              \
    struct ZQ::TypeNameTraits<Type>                                                                          \
    {                                                                                                        \
        static std::string Name() { return Text; }                                                           \
    };

ZQ_DECLARE_TYPE_NAME(void, "void")
ZQ_DECLARE_TYPE_NAME(bool, "bool")
ZQ_DECLARE_TYPE_NAME(char, "char")
ZQ_DECLARE_TYPE_NAME(signed char, "signed char")
ZQ_DECLARE_TYPE_NAME(unsigned char, "unsigned char")
ZQ_DECLARE_TYPE_NAME(char16_t, "wchar_t")
ZQ_DECLARE_TYPE_NAME(wchar_t, "wchar_t")
ZQ_DECLARE_TYPE_NAME(short, "short")
ZQ_DECLARE_TYPE_NAME(unsigned short, "unsigned short")
ZQ_DECLARE_TYPE_NAME(int, "int")
ZQ_DECLARE_TYPE_NAME(unsigned int, "unsigned int")
ZQ_DECLARE_TYPE_NAME(long, "long")
ZQ_DECLARE_TYPE_NAME(unsigned long, "unsigned long")
ZQ_DECLARE_TYPE_NAME(long long, "__int64")
ZQ_DECLARE_TYPE_NAME(unsigned long long, "unsigned __int64")
ZQ_DECLARE_TYPE_NAME(float, "float")
ZQ_DECLARE_TYPE_NAME(double, "double")
