#include "ZQFramework/Utilities/Storage/String.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <codecvt>
#include <cstdio>
#include <locale>
#include <string>

// The framework's strings beside their standard-library counterparts, for 1 KB and 1 MB texts.
namespace
{
using ZQ::AString;
using ZQ::WString;

// Mostly ASCII with a two-byte character now and then, as UI texts and paths are.
std::string MakeUtf8(size_t bytes)
{
    std::string text;
    text.reserve(bytes);
    while (text.size() + 2 <= bytes)
    {
        if (text.size() % 32 == 30)
            text += "\xC3\xA9";
        else
            text.push_back(static_cast<char>('a' + text.size() % 26));
    }
    while (text.size() < bytes)
        text.push_back('z');
    return text;
}

std::u16string MakeUtf16(size_t units)
{
    std::u16string text;
    text.reserve(units);
    for (size_t i = 0; i < units; ++i)
        text.push_back(static_cast<char16_t>(i % 32 == 30 ? 0x00E9 : u'a' + i % 26));
    return text;
}

constexpr int64_t kKilo = 1024;

// The text an append starts from: longer than the standard string's small-string buffer, so that both
// sides begin with an allocated copy of it and then grow it by the piece.
constexpr char16_t kAppendStart[] = u"the text before the appended piece: ";
constexpr int64_t kMega = 1024 * 1024;

void SetBytes(benchmark::State& state, int64_t bytesPerIteration)
{
    state.SetBytesProcessed(state.iterations() * bytesPerIteration);
}

// ---- copy ----

void BM_WString_Copy(benchmark::State& state)
{
    const std::u16string source = MakeUtf16(static_cast<size_t>(state.range(0)) / 2);
    const WString text(source.c_str());
    for (auto _ : state)
    {
        WString copy(text);
        benchmark::DoNotOptimize(copy.GetBuffer());
    }
    SetBytes(state, state.range(0));
}

void BM_StdU16String_Copy(benchmark::State& state)
{
    const std::u16string text = MakeUtf16(static_cast<size_t>(state.range(0)) / 2);
    for (auto _ : state)
    {
        std::u16string copy(text);
        benchmark::DoNotOptimize(copy.data());
    }
    SetBytes(state, state.range(0));
}

// ---- append ----

void BM_WString_Append(benchmark::State& state)
{
    const std::u16string source = MakeUtf16(static_cast<size_t>(state.range(0)) / 2);
    const WString piece(source.c_str());
    for (auto _ : state)
    {
        WString text(kAppendStart);
        text.Append(piece);
        benchmark::DoNotOptimize(text.GetBuffer());
    }
    SetBytes(state, state.range(0));
}

void BM_StdU16String_Append(benchmark::State& state)
{
    const std::u16string piece = MakeUtf16(static_cast<size_t>(state.range(0)) / 2);
    for (auto _ : state)
    {
        std::u16string text(kAppendStart);
        text += piece;
        benchmark::DoNotOptimize(text.data());
    }
    SetBytes(state, state.range(0));
}

// Text built a character at a time, as parsers and formatters build it: the growth steps of the buffer
// and the cost of one small append.
void BM_WString_AppendChars(benchmark::State& state)
{
    const auto count = static_cast<size_t>(state.range(0)) / 2;
    for (auto _ : state)
    {
        WString text;
        for (size_t i = 0; i < count; ++i)
            text += static_cast<char16_t>(u'a' + i % 26);
        benchmark::DoNotOptimize(text.GetBuffer());
    }
    SetBytes(state, state.range(0));
}

void BM_StdU16String_AppendChars(benchmark::State& state)
{
    const auto count = static_cast<size_t>(state.range(0)) / 2;
    for (auto _ : state)
    {
        std::u16string text;
        for (size_t i = 0; i < count; ++i)
            text += static_cast<char16_t>(u'a' + i % 26);
        benchmark::DoNotOptimize(text.data());
    }
    SetBytes(state, state.range(0));
}

// ---- find (the needle sits at the end) ----

void BM_WString_Find(benchmark::State& state)
{
    std::u16string source = MakeUtf16(static_cast<size_t>(state.range(0)) / 2);
    source.replace(source.size() - 6, 6, u"NEEDLE");
    const WString text(source.c_str());
    const WString needle(u"NEEDLE");
    for (auto _ : state)
        benchmark::DoNotOptimize(text.Find(needle));
    SetBytes(state, state.range(0));
}

void BM_StdU16String_Find(benchmark::State& state)
{
    std::u16string text = MakeUtf16(static_cast<size_t>(state.range(0)) / 2);
    text.replace(text.size() - 6, 6, u"NEEDLE");
    const std::u16string needle(u"NEEDLE");
    for (auto _ : state)
        benchmark::DoNotOptimize(text.find(needle));
    SetBytes(state, state.range(0));
}

void BM_AString_Find(benchmark::State& state)
{
    std::string source = MakeUtf8(static_cast<size_t>(state.range(0)));
    source.replace(source.size() - 6, 6, "NEEDLE");
    const AString text(source.c_str());
    const AString needle("NEEDLE");
    for (auto _ : state)
        benchmark::DoNotOptimize(text.Find(needle, 0));
    SetBytes(state, state.range(0));
}

void BM_StdString_Find(benchmark::State& state)
{
    std::string text = MakeUtf8(static_cast<size_t>(state.range(0)));
    text.replace(text.size() - 6, 6, "NEEDLE");
    const std::string needle("NEEDLE");
    for (auto _ : state)
        benchmark::DoNotOptimize(text.find(needle));
    SetBytes(state, state.range(0));
}

// ---- format ----

void BM_AString_FormatText(benchmark::State& state)
{
    const std::string text = MakeUtf8(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
    {
        AString formatted = AString::Format("[%s] %d", text.c_str(), 42);
        benchmark::DoNotOptimize(formatted.GetBuffer());
    }
    SetBytes(state, state.range(0));
}

void BM_Snprintf_FormatText(benchmark::State& state)
{
    const std::string text = MakeUtf8(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
    {
        const int length = std::snprintf(nullptr, 0, "[%s] %d", text.c_str(), 42);
        std::string formatted(static_cast<size_t>(length), '\0');
        std::snprintf(formatted.data(), formatted.size() + 1, "[%s] %d", text.c_str(), 42);
        benchmark::DoNotOptimize(formatted.data());
    }
    SetBytes(state, state.range(0));
}

void BM_WString_FormatNumbers(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state)
    {
        WString formatted = WString::Format(u"%d: %.2f", ++value, 3.14159);
        benchmark::DoNotOptimize(formatted.GetBuffer());
    }
}

void BM_AString_FormatNumbers(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state)
    {
        AString formatted = AString::Format("%d: %.2f", ++value, 3.14159);
        benchmark::DoNotOptimize(formatted.GetBuffer());
    }
}

void BM_Snprintf_FormatNumbers(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state)
    {
        char buffer[64];
        std::snprintf(buffer, sizeof(buffer), "%d: %.2f", ++value, 3.14159);
        std::string formatted(buffer);
        benchmark::DoNotOptimize(formatted.data());
    }
}

void BM_ToChars_FormatNumbers(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state)
    {
        char buffer[64];
        char* end = std::to_chars(buffer, buffer + sizeof(buffer), ++value).ptr;
        *end++ = ':';
        *end++ = ' ';
        end = std::to_chars(end, buffer + sizeof(buffer), 3.14159, std::chars_format::fixed, 2).ptr;
        std::string formatted(buffer, end);
        benchmark::DoNotOptimize(formatted.data());
    }
}

// ---- UTF-8 to UTF-16 ----

void BM_WString_FromUtf8(benchmark::State& state)
{
    const std::string text = MakeUtf8(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
    {
        WString converted(text.c_str());
        benchmark::DoNotOptimize(converted.GetBuffer());
    }
    SetBytes(state, state.range(0));
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void BM_StdCodecvt_FromUtf8(benchmark::State& state)
{
    const std::string text = MakeUtf8(static_cast<size_t>(state.range(0)));
    std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t> converter;
    for (auto _ : state)
    {
        std::u16string converted = converter.from_bytes(text);
        benchmark::DoNotOptimize(converted.data());
    }
    SetBytes(state, state.range(0));
}
#pragma GCC diagnostic pop
} // namespace

BENCHMARK(BM_WString_Copy)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_StdU16String_Copy)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_WString_Append)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_StdU16String_Append)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_WString_AppendChars)->Arg(kKilo)->Arg(64 * kKilo);
BENCHMARK(BM_StdU16String_AppendChars)->Arg(kKilo)->Arg(64 * kKilo);
BENCHMARK(BM_WString_Find)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_StdU16String_Find)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_AString_Find)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_StdString_Find)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_AString_FormatText)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_Snprintf_FormatText)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_WString_FormatNumbers);
BENCHMARK(BM_AString_FormatNumbers);
BENCHMARK(BM_Snprintf_FormatNumbers);
BENCHMARK(BM_ToChars_FormatNumbers);
BENCHMARK(BM_WString_FromUtf8)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_StdCodecvt_FromUtf8)->Arg(kKilo)->Arg(kMega);
