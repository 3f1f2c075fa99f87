#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/CountedBuffer.h"
#include "ZQFramework/Utilities/Storage/Forward.h"
#include "ZQFramework/Utilities/Storage/TextFormatter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace ZQ
{
// The framework's string: a value whose characters live in a counted buffer that copies share. A string
// can be locked to write its characters in place (Lock / Unlock); while locked its buffer belongs to it
// alone. Two instances exist: StringT<char16_t, char> (WString), UTF-16 code units, for everything shown
// or named; StringT<char, char16_t> (AString), UTF-8 bytes. Conversions between them are always
// UTF-8 <-> UTF-16.
//
// Unlocked, the buffer holds the text and exactly one zero character, so the length is read from its
// size. Locked, the buffer is unshareable and the text ends at the first zero within it. The string keeps
// the buffer's character pointer and, while unlocked, the length beside it, so that reading them costs no
// call through the buffer's interface; every change of the buffer or of its size refreshes them.
template <class CharT, class OtherT>
class StringT
{
    static constexpr bool kWide = std::is_same_v<CharT, char16_t>;

public:
    using CharType = CharT;
    using OtherString = StringT<OtherT, CharT>;

    // The limit passed wherever "the whole text" is meant.
    static constexpr int kWholeText = 0x7ffffffe;

    StringT();
    StringT(const StringT& other);
    StringT(const CharT* text);
    explicit StringT(CharT ch);
    // From text of the other width (UTF-8 <-> UTF-16); conversion stops at an ill-formed sequence.
    StringT(const OtherT* text);
    StringT(const OtherString& other);
    // A narrow string over an existing buffer: shares it when it is shareable, else copies it.
    explicit StringT(const ConstRCPtr<LIBuffer>& buffer) requires(!std::is_same_v<CharT, char16_t>);
    virtual ~StringT();

    StringT& operator=(const StringT& other);

    // Copies at most maxLength characters (a negative maxLength sets no limit).
    void Assign(const CharT* text, int maxLength = kWholeText);
    // At most maxLength units of text of the other width, converted.
    void Assign(const OtherT* text, int maxLength = kWholeText);
    void Empty();

    [[nodiscard]] int GetLength() const { return mLength != kLockedLength ? mLength : LockedLength(); }
    [[nodiscard]] bool IsEmpty() const { return mData[0] == 0; }
    // No range check: callers stay within the length.
    [[nodiscard]] CharT GetAt(int index) const { return GetBuffer()[index]; }
    // The characters; valid while the string holds the same buffer.
    [[nodiscard]] const CharT* GetBuffer() const { return mData; }
    // The counted buffer behind the characters.
    [[nodiscard]] const ConstRCPtr<LIBuffer>& GetStorage() const { return mBuffer; }
    [[nodiscard]] bool IsLocked() const { return mLength == kLockedLength; }

    // A writable buffer of n characters (n = 0: the length plus one) holding the text as far as it fits,
    // with a zero at n - 1; null, with nothing changed, when the string is already locked or n < 0.
    [[nodiscard]] CharT* Lock(int n = 0);
    // Ends the lock; 1 when the string was not locked, else 0.
    int Unlock();

    StringT& Append(const StringT& text);
    [[nodiscard]] StringT operator+(const StringT& text) const;
    // E_INVALIDARG when position is past the end (negative positions included).
    ZQRESULT Insert(int position, const StringT& text);
    // Inserts the first count characters of text (the whole text when count is negative, 0x7ffffffe or
    // reaches past its end).
    ZQRESULT Insert(int position, const CharT* text, int count);
    // Inserts the first count bytes of UTF-8 text, converted.
    ZQRESULT Insert(int position, const OtherT* text, int count) requires(std::is_same_v<CharT, char16_t>);
    ZQRESULT Append(CharT ch);
    StringT& operator+=(CharT ch);
    // Appends one byte of UTF-8 text: only a byte below 0x80 is a whole character.
    StringT& operator+=(OtherT ch) requires(std::is_same_v<CharT, char16_t>);
    // True when the count characters from start were removed.
    bool Remove(int start, int count);

    [[nodiscard]] StringT Mid(int start, int count) const;
    [[nodiscard]] StringT Mid(int start) const { return Slice(start, int64_t{GetLength()} - start); }
    [[nodiscard]] StringT Left(int count) const { return Mid(0, count); }
    [[nodiscard]] StringT Right(int count) const { return Slice(-int64_t{count}, count); }

    // Position of the first occurrence of text, -1 when none; an empty text is found at 0.
    [[nodiscard]] int Find(const StringT& text) const;
    // The same from start on; the position counts from the start of the whole text.
    [[nodiscard]] int Find(const StringT& text, int start) const;
    // The first ch (one byte of UTF-8 text) at or after start; for 0 and for bytes from 0x80 up, which
    // are no whole character, the result is start itself.
    [[nodiscard]] int Find(char ch, int start) const requires(std::is_same_v<CharT, char16_t>);
    // The last ch (one byte of UTF-8 text), -1 when none; for 0 and for bytes from 0x80 up the length.
    [[nodiscard]] int ReverseFind(char ch) const requires(std::is_same_v<CharT, char16_t>);

    [[nodiscard]] bool operator==(const StringT& other) const;
    [[nodiscard]] bool operator==(const CharT* text) const;
    [[nodiscard]] bool operator==(const OtherT* text) const;
    [[nodiscard]] bool operator!=(const StringT& other) const;
    [[nodiscard]] bool operator!=(const CharT* text) const { return !(*this == text); }
    [[nodiscard]] bool operator!=(const OtherT* text) const { return !(*this == text); }
    // A null text counts as the empty text.
    [[nodiscard]] bool operator==(std::nullptr_t) const { return IsEmpty(); }
    [[nodiscard]] bool operator!=(std::nullptr_t) const { return !IsEmpty(); }
    // Code-unit order (unsigned), no locale, no case folding.
    [[nodiscard]] bool operator<(const StringT& other) const;

    // Conversion: target receives a new buffer holding text (length units of the other width, or up to
    // and including its zero when length < 0) converted. E_FAIL when the source was ill-formed or cut;
    // the buffer then holds the text converted before the fault.
    static ZQRESULT ConvertFrom(ConstRCPtr<LIBuffer>& target, const OtherT* text, int length);
    [[nodiscard]] OtherString ToNarrow() const requires(std::is_same_v<CharT, char16_t>);

    // printf-style formatting with the framework's conventions (TextFormatter.h); throws
    // Exception<std::invalid_argument> when the format and the arguments do not match.
    template <class... Args>
    [[nodiscard]] static StringT Format(const CharT* format, const Args&... args)
    {
        const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
        return FormatList(format, list.data(), list.size());
    }
    // The same into this string (in place when it is locked).
    template <class... Args>
    StringT& AssignFormat(const CharT* format, const Args&... args)
    {
        const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
        return AssignFormatList(format, list.data(), list.size());
    }
    [[nodiscard]] static StringT FormatList(const CharT* format, const FormatArg* args, size_t count);
    StringT& AssignFormatList(const CharT* format, const FormatArg* args, size_t count);

    // The value in decimal; with decimals > 0 a point is put before the last decimals digits (1234, 2
    // gives 12.34; 5, 3 gives .005).
    [[nodiscard]] static StringT FromInt(int value, int decimals = -1);
    [[nodiscard]] static StringT FromUInt(unsigned int value, int decimals = -1);
    // "%lf" for decimals < 0, else that many decimals.
    [[nodiscard]] static StringT FromDouble(double value, int decimals = -1);
    [[nodiscard]] int ToInt() const;
    [[nodiscard]] double ToDouble() const;

    // Only the ASCII letters change.
    [[nodiscard]] StringT ToUpper() const;
    [[nodiscard]] StringT ToLower() const;

    // Without the leading characters of set; a text made only of them stays unchanged.
    [[nodiscard]] StringT TrimLeft(const StringT& set) const;
    // Without the trailing characters of set.
    [[nodiscard]] StringT TrimRight(const StringT& set) const;
    [[nodiscard]] StringT TrimLeft() const;
    [[nodiscard]] StringT TrimRight() const;
    [[nodiscard]] StringT Trim() const;

    // Pieces between the delimiter characters into out; returns their number. A text without delimiter
    // gives itself as the one piece; adjacent delimiters give an empty piece; a trailing delimiter does
    // not.
    int Split(StringArrayT<CharT, OtherT>& out, const StringT& delimiters) const
        requires(std::is_same_v<CharT, char16_t>);
    [[nodiscard]] StringArrayT<CharT, OtherT> Split(const StringT& delimiters) const
        requires(std::is_same_v<CharT, char16_t>);

    // Every character of set becomes replacement; replacement 0 changes nothing.
    StringT& ReplaceChars(const CharT* set, CharT replacement);

    // The process-wide empty string of this instance; every unlocked empty string shares its buffer.
    [[nodiscard]] static const StringT& GetEmptyString();

private:
    // The length kept while the string is locked: the text's end is then found by its zero.
    static constexpr int kLockedLength = -1;

    // A string in a new buffer of its own holding the length characters of text and a zero, made
    // without taking the shared empty buffer first.
    StringT(const CharT* text, uint32_t length);

    [[nodiscard]] LIBuffer* WritableBuffer() const { return const_cast<LIBuffer*>(mBuffer.Get()); }
    [[nodiscard]] CharT* Data() const { return mData; }
    // Takes a new unlocked buffer of its own holding the length characters of text and a zero.
    void TakeNewText(const CharT* text, uint32_t length);
    // Takes buffer as the string's storage.
    void SetBuffer(ConstRCPtr<LIBuffer> buffer);
    // Shares other's storage (which is unlocked).
    void ShareBuffer(const StringT& other);
    // Reads the character pointer and the length again after the buffer changed its size or lock.
    void Refresh();
    [[nodiscard]] int LockedLength() const;
    // Capacity in characters of a locked buffer.
    [[nodiscard]] uint32_t LockedCapacity() const { return mBuffer->GetSize() / sizeof(CharT); }
    void ShareEmpty();
    void AssignOwnWidth(const CharT* text, uint32_t length);
    // Appends count characters of text (none of them zero; count > 0), which may lie inside this
    // string's own buffer.
    void AppendUnits(const CharT* text, uint32_t count);
    // Mid in 64-bit arithmetic, so that Mid(start) and Right(count) cannot overflow on extreme
    // arguments; a negative count means the rest of the text.
    [[nodiscard]] StringT Slice(int64_t start, int64_t count) const;
    template <class TextT>
    ZQRESULT InsertCounted(int position, const TextT* text, int count);
    template <class Map>
    [[nodiscard]] StringT MapCharacters(Map map) const;

    ConstRCPtr<LIBuffer> mBuffer; // never null once constructed
    CharT* mData = nullptr;       // mBuffer's characters
    int mLength = 0;              // characters before the zero; kLockedLength while locked
};

template <class CharT, class OtherT>
[[nodiscard]] bool StringLess(const StringT<CharT, OtherT>& a, const StringT<CharT, OtherT>& b);

extern template class StringT<char16_t, char>;
extern template class StringT<char, char16_t>;
extern template bool StringLess(const StringT<char16_t, char>&, const StringT<char16_t, char>&);
extern template bool StringLess(const StringT<char, char16_t>&, const StringT<char, char16_t>&);

namespace StringDetail
{
// Storage for the two process-wide empty strings: constant-initialised, constructed by the first
// StringInitializer below (before any global object of a file that includes this header) and never
// destroyed, so they stay usable while global objects are destroyed at exit.
template <class S>
union ImmortalString
{
    constexpr ImmortalString() : mNone() {}
    ~ImmortalString() {}
    char mNone;
    S mValue;
};

extern ImmortalString<StringT<char16_t, char>> gEmptyWide;
extern ImmortalString<StringT<char, char16_t>> gEmptyNarrow;

struct StringInitializer
{
    StringInitializer();
};
static const StringInitializer gStringInitializer;
} // namespace StringDetail

// The empty wide string; default arguments and empty results use it.
inline constexpr const WString& EmptyString = StringDetail::gEmptyWide.mValue;
// The empty narrow string.
inline constexpr const AString& EmptyAString = StringDetail::gEmptyNarrow.mValue;
} // namespace ZQ
