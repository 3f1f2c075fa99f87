#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

// printf-style formatting for the framework's strings, type-safe: each argument carries its type, and a
// conversion is checked against the argument it would read. The format strings follow the conventions
// the framework's code was written for: in a wide format "%s" takes a wide string and "%S" a narrow one
// (in a narrow format the reverse; "%hs" is always narrow, "%ls" and "%ws" always wide), the size
// prefixes I32 and I64 (and I for pointer size), "%lf" for doubles, "%p" as zero-padded upper-case hex.
// A conversion the formatter does not know, an argument of the wrong kind or a missing argument makes
// the whole format fail instead of printing something wrong.
namespace ZQ
{
// One argument of a format call, captured with its kind and width.
class FormatArg
{
public:
    enum class Kind
    {
        SignedInt,
        UnsignedInt,
        Floating,
        NarrowText, // UTF-8
        WideText,   // UTF-16
        Pointer
    };

    template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) FormatArg(T value)
        : mKind(std::is_signed_v<T> ? Kind::SignedInt : Kind::UnsignedInt), mSize(sizeof(T))
    {
        if constexpr (std::is_signed_v<T>)
            mSigned = value;
        else
            mUnsigned = value;
    }
    FormatArg(bool value) : mKind(Kind::SignedInt), mSize(sizeof(int)), mSigned(value ? 1 : 0) {}
    template <typename T>
    requires std::is_enum_v<T> FormatArg(T value) : FormatArg(static_cast<std::underlying_type_t<T>>(value))
    {
    }
    FormatArg(double value) : mKind(Kind::Floating), mSize(sizeof(double)), mDouble(value) {}
    FormatArg(float value) : FormatArg(static_cast<double>(value)) {}
    FormatArg(long double value) : FormatArg(static_cast<double>(value)) {}

    FormatArg(const char* text) : mKind(Kind::NarrowText), mNarrow(text) {}
    FormatArg(char* text) : FormatArg(static_cast<const char*>(text)) {}
    FormatArg(const char16_t* text) : mKind(Kind::WideText), mWide(text) {}
    FormatArg(char16_t* text) : FormatArg(static_cast<const char16_t*>(text)) {}
    FormatArg(std::string_view text) : mKind(Kind::NarrowText), mLength(text.size()), mNarrow(text.data()) {}
    FormatArg(const std::string& text) : FormatArg(std::string_view(text)) {}
    FormatArg(std::u16string_view text) : mKind(Kind::WideText), mLength(text.size()), mWide(text.data()) {}
    FormatArg(const std::u16string& text) : FormatArg(std::u16string_view(text)) {}

    // The framework's strings (anything whose GetBuffer gives zero-terminated text).
    template <typename S>
    requires requires(const S& s)
    {
        {
            s.GetBuffer()
            } -> std::convertible_to<const char16_t*>;
    }
    FormatArg(const S& text) : FormatArg(static_cast<const char16_t*>(text.GetBuffer())) {}
    template <typename S>
    requires requires(const S& s)
    {
        {
            s.GetBuffer()
            } -> std::convertible_to<const char*>;
    }
    FormatArg(const S& text) : FormatArg(static_cast<const char*>(text.GetBuffer())) {}

    FormatArg(std::nullptr_t) : mKind(Kind::Pointer), mPointer(nullptr) {}
    template <typename T>
    requires(!std::is_same_v<std::remove_cv_t<T>, char> && !std::is_same_v<std::remove_cv_t<T>, char16_t>)
        FormatArg(T* pointer)
        : mKind(Kind::Pointer), mPointer(pointer)
    {
    }

    [[nodiscard]] Kind GetKind() const { return mKind; }
    // Bytes of the integer argument as it was passed (before any promotion).
    [[nodiscard]] size_t GetSize() const { return mSize; }
    [[nodiscard]] int64_t GetSigned() const { return mSigned; }
    [[nodiscard]] uint64_t GetUnsigned() const { return mUnsigned; }
    [[nodiscard]] double GetDouble() const { return mDouble; }
    [[nodiscard]] const char* GetNarrow() const { return mNarrow; }
    [[nodiscard]] const char16_t* GetWide() const { return mWide; }
    [[nodiscard]] const void* GetPointer() const { return mPointer; }
    // Length of a text argument in its own units; npos when it is zero-terminated.
    [[nodiscard]] size_t GetLength() const { return mLength; }

    static constexpr size_t npos = static_cast<size_t>(-1);

private:
    Kind mKind;
    size_t mSize = 0;
    size_t mLength = npos;
    union
    {
        int64_t mSigned;
        uint64_t mUnsigned;
        double mDouble;
        const char* mNarrow;
        const char16_t* mWide;
        const void* mPointer;
    };
};

// A growable output of characters: a small array inside the object, spilling to the heap for long
// results.
template <typename CharT>
class FormatOutput
{
public:
    FormatOutput() = default;
    FormatOutput(const FormatOutput&) = delete;
    FormatOutput& operator=(const FormatOutput&) = delete;

    // Both appends are inline: a format call makes several short ones, and only growing calls out.
    void Append(const CharT* text, size_t count)
    {
        Reserve(mSize + count);
        std::char_traits<CharT>::copy(mData + mSize, text, count);
        mSize += count;
    }
    void Append(CharT ch, size_t count)
    {
        Reserve(mSize + count);
        std::char_traits<CharT>::assign(mData + mSize, count, ch);
        mSize += count;
    }
    // Adds count units for the caller to write, and returns where they start.
    [[nodiscard]] CharT* Extend(size_t count)
    {
        Reserve(mSize + count);
        CharT* added = mData + mSize;
        mSize += count;
        return added;
    }
    void Clear() { mSize = 0; }
    [[nodiscard]] const CharT* GetData() const { return mData; }
    [[nodiscard]] size_t GetSize() const { return mSize; }

private:
    void Reserve(size_t needed)
    {
        if (needed > mCapacity)
            Grow(needed);
    }
    void Grow(size_t needed);

    static constexpr size_t kInlineCapacity = 256;
    CharT mInline[kInlineCapacity];
    std::unique_ptr<CharT[]> mHeap;
    CharT* mData = mInline;
    size_t mSize = 0;
    size_t mCapacity = kInlineCapacity;
};

// The formatting engine; stateless.
class TextFormatter
{
public:
    // Appends the formatted text to out. Returns false, with out holding whatever was produced up to
    // the fault, when the format holds an unknown or unsupported conversion, or when an argument is
    // missing or of a kind the conversion cannot take. Arguments beyond those the format uses are
    // ignored.
    [[nodiscard]] static bool Format(FormatOutput<char16_t>& out, const char16_t* format,
                                     const FormatArg* args, size_t argCount);
    [[nodiscard]] static bool Format(FormatOutput<char>& out, const char* format, const FormatArg* args,
                                     size_t argCount);
};

extern template class FormatOutput<char>;
extern template class FormatOutput<char16_t>;
} // namespace ZQ
