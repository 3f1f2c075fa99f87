#include "ZQFramework/ObjectBase/TypeName.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace ZQ
{
namespace
{
bool IsWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Replaces every whole-word occurrence of from by to.
void ReplaceWords(std::string& text, std::string_view from, std::string_view to)
{
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos)
    {
        const bool startsWord = pos == 0 || !IsWordChar(text[pos - 1]);
        const size_t end = pos + from.size();
        const bool endsWord = end == text.size() || !IsWordChar(text[end]);
        if (startsWord && endsWord)
        {
            text.replace(pos, from.size(), to);
            pos += to.size();
        }
        else
            pos = end;
    }
}
} // namespace

namespace TypeNameDetail
{
std::string QualifiedName(std::string_view prettyFunction)
{
    // GCC: "... [with T = X; std::string_view = ...]"; clang: "... [T = X]".
    size_t start = prettyFunction.find("T = ");
    if (start == std::string_view::npos)
        return std::string(prettyFunction);
    start += 4;
    int depth = 0;
    size_t end = start;
    for (; end < prettyFunction.size(); ++end)
    {
        const char c = prettyFunction[end];
        if (c == '<' || c == '(' || c == '[')
            ++depth;
        else if (c == '>' || c == ')')
            --depth;
        else if (c == ']' && depth-- == 0)
            break;
        else if (c == ';' && depth == 0)
            break;
    }
    return std::string(prettyFunction.substr(start, end - start));
}

std::string Normalize(std::string_view name)
{
    std::string text(name);
    ReplaceWords(text, "long long unsigned int", "unsigned __int64");
    ReplaceWords(text, "unsigned long long", "unsigned __int64");
    ReplaceWords(text, "long long int", "__int64");
    ReplaceWords(text, "long long", "__int64");
    ReplaceWords(text, "long unsigned int", "unsigned long");
    ReplaceWords(text, "short unsigned int", "unsigned short");
    ReplaceWords(text, "long int", "long");
    ReplaceWords(text, "short int", "short");
    ReplaceWords(text, "char16_t", "wchar_t");
    ReplaceWords(text, "std::__cxx11", "std");

    std::string result;
    result.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == ' ' && i > 0 && text[i - 1] == ',')
            continue;
        if (c == '*' && !result.empty() && result.back() != ' ' && result.back() != '*')
            result += ' ';
        result += c;
    }
    return result;
}
} // namespace TypeNameDetail

std::string DynamicTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    const std::string_view name =
        (status == 0 && demangled) ? std::string_view(demangled.get()) : type.name();
    return "class " + TypeNameDetail::Normalize(name);
}
} // namespace ZQ
