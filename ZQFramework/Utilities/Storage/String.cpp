#include "ZQFramework/Utilities/Storage/String.h"

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"
#include "ZQFramework/Utilities/Storage/StringConversion.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeinfo>

namespace ZQ
{
namespace StringDetail
{
constinit ImmortalString<StringT<char16_t, char>> gEmptyWide;
constinit ImmortalString<StringT<char, char16_t>> gEmptyNarrow;

namespace
{
int gInitializerCount = 0;

// The shared empty string of one instance: a buffer of one zero character, held by a string that is
// never destroyed, and by the public empty string built as its copy.
template <class S>
void BuildEmpty(ImmortalString<S>& holder)
{
    using CharT = typename S::CharType;
    static S* const shared = new S(CharT(0));
    new (&holder.mValue) S(*shared);
}
} // namespace

// Runs in every file that includes String.h before that file's own globals; the first run builds the
// empty strings. Static initialisation is single-threaded, so a plain counter suffices.
StringInitializer::StringInitializer()
{
    if (gInitializerCount++ == 0)
    {
        BuildEmpty(gEmptyWide);
        BuildEmpty(gEmptyNarrow);
    }
}
} // namespace StringDetail

namespace
{
// Bytes for count characters of CharT; a text too long for a 32-bit buffer cannot be stored.
template <class CharT>
uint32_t ByteSize(uint64_t count)
{
    const uint64_t bytes = count * sizeof(CharT);
    if (bytes > UINT32_MAX)
        throw Exception<std::bad_alloc>();
    return static_cast<uint32_t>(bytes);
}

// The length of terminated text. Bytes go to the C library's strlen; 16-bit text, which has no such
// function, is tested four units a step, each test reading no further than the first zero.
template <class CharT>
size_t TerminatedLength(const CharT* text)
{
    if constexpr (sizeof(CharT) == 1)
        return std::char_traits<CharT>::length(text);
    const CharT* p = text;
    while (p[0] != 0 && p[1] != 0 && p[2] != 0 && p[3] != 0)
        p += 4;
    while (*p != 0)
        ++p;
    return static_cast<size_t>(p - text);
}

template <class CharT>
constexpr const char* kLockErrorText = "Runtime Error : ZQ::StringT<wchar_t,char>::Lock : "
                                       "zqframework\\utilities\\Storage/StringT : Line 760";
template <>
constexpr const char* kLockErrorText<char> = "Runtime Error : ZQ::StringT<char,wchar_t>::Lock : "
                                             "zqframework\\utilities\\Storage/StringT : Line 760";

template <class CharT>
constexpr const char* kFormatErrorText =
    "Invalid Argument : Format string and arguments do not match : ZQ::StringT<wchar_t,char>::Format : "
    "zqframework\\utilities\\Storage/StringT : Line 1145";
template <>
constexpr const char* kFormatErrorText<char> =
    "Invalid Argument : Format string and arguments do not match : ZQ::StringT<char,wchar_t>::Format : "
    "zqframework\\utilities\\Storage/StringT : Line 1145";

template <class CharT>
constexpr CharT kBlankSet[] = {CharT(' '), CharT('\t'), CharT('\r'), CharT('\n'), CharT(0)};
} // namespace

// ---- construction and assignment ----

template <class CharT, class OtherT>
const StringT<CharT, OtherT>& StringT<CharT, OtherT>::GetEmptyString()
{
    if constexpr (kWide)
        return StringDetail::gEmptyWide.mValue;
    else
        return StringDetail::gEmptyNarrow.mValue;
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::ShareEmpty()
{
    ShareBuffer(GetEmptyString());
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::SetBuffer(ConstRCPtr<LIBuffer> buffer)
{
    mBuffer = std::move(buffer);
    Refresh();
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::TakeNewText(const CharT* text, uint32_t length)
{
    ConstRCPtr<LIBuffer> buffer = StringBuffer::Create(ByteSize<CharT>(uint64_t{length} + 1), 0, false);
    auto* data = static_cast<CharT*>(static_cast<const StringBuffer*>(buffer.Get())->GetData());
    std::memcpy(data, text, length * sizeof(CharT));
    data[length] = 0;
    mBuffer = std::move(buffer);
    mData = data;
    mLength = static_cast<int>(length);
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::ShareBuffer(const StringT& other)
{
    mBuffer = other.mBuffer;
    mData = other.mData;
    mLength = other.mLength;
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::Refresh()
{
    mData = static_cast<CharT*>(mBuffer->GetData());
    mLength =
        mBuffer->IsShareable() ? static_cast<int>(mBuffer->GetSize() / sizeof(CharT)) - 1 : kLockedLength;
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT()
{
    ShareEmpty();
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT(const StringT& other)
{
    if (!other.IsLocked())
        ShareBuffer(other);
    else
    {
        ShareEmpty();
        Assign(other.GetBuffer(), kWholeText);
    }
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT(const CharT* text)
{
    // A new string goes straight to its own buffer, without taking the shared empty one first.
    if (text == nullptr || text[0] == 0)
        ShareEmpty();
    else
    {
        // The text is terminated, so its length is counted without a bound check per character.
        const size_t length = TerminatedLength(text);
        TakeNewText(text, static_cast<uint32_t>(std::min<size_t>(length, kWholeText)));
    }
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT(const CharT* text, uint32_t length)
{
    TakeNewText(text, length);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT(CharT ch)
{
    SetBuffer(StringBuffer::Create(ByteSize<CharT>(ch == 0 ? 1 : 2), 0, true));
    Data()[0] = ch;
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT(const OtherT* text)
{
    (void)ConvertFrom(mBuffer, text, -1);
    Refresh();
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT(const OtherString& other)
{
    (void)ConvertFrom(mBuffer, other.GetBuffer(), -1);
    Refresh();
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::StringT(const ConstRCPtr<LIBuffer>& buffer) requires(!std::is_same_v<CharT, char16_t>)
{
    if (buffer.IsNull() || buffer->GetSize() == 0)
    {
        ShareEmpty();
        return;
    }
    if (buffer->IsShareable())
        mBuffer = buffer;
    else
        mBuffer = ConstRCPtr<LIBuffer>(buffer->CreateCopy());
    const uint32_t size = mBuffer->GetSize();
    const auto* bytes = static_cast<const CharT*>(mBuffer->GetData());
    const uint32_t length = static_cast<uint32_t>(CRT::LengthBounded(bytes, size));
    // The text must end in exactly one zero. A buffer that does not is never changed in place (it may
    // be shared with the giver): the string takes a trimmed copy instead.
    if (length + 1 != size)
        mBuffer = mBuffer->CreateResizedCopy(length + 1, 0);
    Refresh();
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>::~StringT() = default;

template <class CharT, class OtherT>
StringT<CharT, OtherT>& StringT<CharT, OtherT>::operator=(const StringT& other)
{
    if (!IsLocked() && !other.IsLocked())
    {
        if (mBuffer != other.mBuffer)
            ShareBuffer(other);
    }
    else
        Assign(other.GetBuffer(), kWholeText);
    return *this;
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::AssignOwnWidth(const CharT* text, uint32_t length)
{
    if (IsLocked())
    {
        // The text normally fits the locked buffer; when it does not, the buffer grows (it belongs to
        // this string alone) rather than losing the end of the text.
        if (length >= LockedCapacity())
        {
            WritableBuffer()->SetSize(ByteSize<CharT>(uint64_t{length} + 1));
            Refresh();
        }
        CharT* data = Data();
        std::memmove(data, text, length * sizeof(CharT));
        data[length] = 0;
        return;
    }
    TakeNewText(text, length);
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::Assign(const CharT* text, int maxLength)
{
    if (text == nullptr || text[0] == 0 || maxLength == 0)
    {
        Empty();
        return;
    }
    // maxLength is an unsigned limit: a negative one sets none.
    const size_t length = CRT::LengthBounded(text, static_cast<uint32_t>(maxLength));
    AssignOwnWidth(text, static_cast<uint32_t>(length));
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::Assign(const OtherT* text, int maxLength)
{
    if (text == nullptr || text[0] == 0 || maxLength == 0)
    {
        Empty();
        return;
    }
    OtherString limited;
    limited.Assign(text, maxLength);
    if (IsLocked())
    {
        const StringT converted(limited);
        Assign(converted.GetBuffer(), kWholeText);
        return;
    }
    (void)ConvertFrom(mBuffer, limited.GetBuffer(), -1);
    Refresh();
    // An empty result shares the empty string's buffer like every other unlocked empty string.
    if (IsEmpty())
        ShareEmpty();
}

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::Empty()
{
    if (IsLocked())
        Data()[0] = 0;
    else
        ShareEmpty();
}

// ---- length, lock ----

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::LockedLength() const
{
    return static_cast<int>(CRT::LengthBounded(GetBuffer(), LockedCapacity()));
}

template <class CharT, class OtherT>
CharT* StringT<CharT, OtherT>::Lock(int n)
{
    if (IsLocked() || n < 0)
        return nullptr;
    if (n == 0)
        n = GetLength() + 1;
    const uint32_t bytes = ByteSize<CharT>(static_cast<uint32_t>(n));
    if (mBuffer->GetRefCount() > 1)
    {
        ConstRCPtr<LIBuffer> copy = mBuffer->CreateResizedCopy(bytes, 0);
        if (copy.IsNull())
            throw Exception<std::runtime_error>(kLockErrorText<CharT>);
        SetBuffer(std::move(copy));
    }
    // Resized before it is marked: when the allocator fails, the string is left unlocked and as it was.
    LIBuffer* buffer = WritableBuffer();
    buffer->SetSize(bytes);
    buffer->SetUnshareable(true);
    Refresh();
    CharT* data = Data();
    data[n - 1] = 0;
    return data;
}

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::Unlock()
{
    if (!IsLocked())
        return 1;
    // GetLength stops at the capacity when the caller overwrote every character, terminator included;
    // growing by one then gives the text its zero back.
    const int length = GetLength();
    if (length > 0)
    {
        LIBuffer* buffer = WritableBuffer();
        buffer->SetSize(ByteSize<CharT>(uint64_t(length) + 1));
        buffer->SetUnshareable(false);
        Refresh();
        Data()[length] = 0;
    }
    else
        ShareEmpty();
    return 0;
}

// ---- concatenation, insertion, removal ----

namespace
{
// The room that a string's block gets for later appends when an append outgrows it: half the bytes,
// at most the string buffer's slack, so that setting the size back to the text's keeps it.
uint32_t GrowthRoom(uint32_t bytes)
{
    return std::min<uint32_t>(std::min<uint32_t>(bytes / 2, StringBuffer::kSlackLimit), UINT32_MAX - bytes);
}

// Sets the size of a buffer that its holder alone writes to bytes and returns its data. The strings' own
// kind is called directly rather than through the interface, and takes room for later appends when it
// has to grow; a buffer of another kind (a narrow string's over a given buffer) only takes the size.
void* ResizeForAppend(LIBuffer& buffer, uint32_t bytes)
{
    if (typeid(buffer) != typeid(StringBuffer))
    {
        buffer.SetSize(bytes);
        return buffer.GetData();
    }
    auto& own = static_cast<StringBuffer&>(buffer);
    if (bytes > own.GetCapacity())
        own.SetSize(bytes + GrowthRoom(bytes));
    own.SetSize(bytes);
    return own.GetData();
}
} // namespace

template <class CharT, class OtherT>
void StringT<CharT, OtherT>::AppendUnits(const CharT* text, uint32_t count)
{
    const bool locked = IsLocked();
    const auto length = static_cast<uint32_t>(GetLength());
    const uint64_t total = uint64_t{length} + count;
    if (!locked && total > uint64_t{kWholeText})
        throw Exception<std::bad_alloc>();
    const uint32_t bytes = ByteSize<CharT>(total + 1);
    const CharT* const old = mData;
    CharT* data;
    if (!locked && mBuffer->GetRefCount() > 1)
    {
        // Shared: the text goes on in a buffer of this string's own. The shared buffer, and with it a
        // text that lies inside it, stays alive until it is let go below.
        ConstRCPtr<LIBuffer> buffer = StringBuffer::Create(bytes, bytes + GrowthRoom(bytes), false);
        data = static_cast<CharT*>(static_cast<const StringBuffer*>(buffer.Get())->GetData());
        std::memcpy(data, old, size_t{length} * sizeof(CharT));
        std::memcpy(data + length, text, size_t{count} * sizeof(CharT));
        mBuffer = std::move(buffer);
    }
    else
    {
        // This string's own buffer (locked or not) grows in place; an unlocked one stays shareable, as
        // it holds exactly the text and its zero afterwards. A piece of the text itself is read at its
        // offset after the resize, which keeps the text; a piece from elsewhere in a locked buffer (past
        // its zero) is copied first, as the resize need not keep it.
        const size_t offset = reinterpret_cast<uintptr_t>(text) - reinterpret_cast<uintptr_t>(old);
        const size_t textBytes = size_t{length} * sizeof(CharT);
        if (locked && offset >= textBytes && offset < mBuffer->GetSize())
        {
            StringT piece;
            piece.TakeNewText(text, count);
            AppendUnits(piece.GetBuffer(), count);
            return;
        }
        data = static_cast<CharT*>(ResizeForAppend(*WritableBuffer(), bytes));
        const CharT* source = offset < textBytes ? data + offset / sizeof(CharT) : text;
        std::memcpy(data + length, source, size_t{count} * sizeof(CharT));
    }
    data[total] = 0;
    mData = data;
    if (!locked)
        mLength = static_cast<int>(total);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>& StringT<CharT, OtherT>::Append(const StringT& text)
{
    const int added = text.GetLength();
    if (added > 0)
        AppendUnits(text.GetBuffer(), static_cast<uint32_t>(added));
    return *this;
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::operator+(const StringT& text) const
{
    StringT result(*this);
    result.Append(text);
    return result;
}

template <class CharT, class OtherT>
ZQRESULT StringT<CharT, OtherT>::Insert(int position, const StringT& text)
{
    const int length = GetLength();
    if (static_cast<uint32_t>(position) > static_cast<uint32_t>(length))
        return E_INVALIDARG;
    if (position == length)
        Append(text);
    else if (position == 0)
        *this = text + *this;
    else
        *this = Left(position) + text + Mid(position);
    return S_OK;
}

template <class CharT, class OtherT>
template <class TextT>
ZQRESULT StringT<CharT, OtherT>::InsertCounted(int position, const TextT* text, int count)
{
    if (static_cast<uint32_t>(position) > static_cast<uint32_t>(GetLength()))
        return E_INVALIDARG;
    StringT piece;
    if (text != nullptr)
    {
        // Exactly count characters when the text has that many; otherwise (a count past the text, a
        // negative count, the whole-text marker) all of it.
        const bool exact = count >= 0 && count < kWholeText &&
                           CRT::LengthBounded(text, static_cast<size_t>(count)) == static_cast<size_t>(count);
        if (exact && count == 0)
            return S_OK;
        if constexpr (std::is_same_v<TextT, CharT>)
        {
            // At the end the characters go straight on, without a string of their own first.
            if (static_cast<uint32_t>(position) == static_cast<uint32_t>(GetLength()))
            {
                const size_t added =
                    exact ? static_cast<size_t>(count) : CRT::LengthBounded(text, kWholeText);
                if (added != 0)
                    AppendUnits(text, static_cast<uint32_t>(added));
                return S_OK;
            }
        }
        piece.Assign(text, exact ? count : kWholeText);
    }
    return Insert(position, piece);
}

template <class CharT, class OtherT>
ZQRESULT StringT<CharT, OtherT>::Insert(int position, const CharT* text, int count)
{
    return InsertCounted(position, text, count);
}

template <class CharT, class OtherT>
ZQRESULT StringT<CharT, OtherT>::Insert(int position, const OtherT* text,
                                        int count) requires(std::is_same_v<CharT, char16_t>)
{
    return InsertCounted(position, text, count);
}

template <class CharT, class OtherT>
ZQRESULT StringT<CharT, OtherT>::Append(CharT ch)
{
    // A zero character appends nothing: the text ends before it.
    if (ch != 0)
        AppendUnits(&ch, 1);
    return S_OK;
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>& StringT<CharT, OtherT>::operator+=(CharT ch)
{
    (void)Append(ch);
    return *this;
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>&
StringT<CharT, OtherT>::operator+=(OtherT ch) requires(std::is_same_v<CharT, char16_t>)
{
    // The guard keeps compilers that instantiate constrained members for the narrow instance happy.
    if constexpr (kWide)
        (void)Insert(GetLength(), &ch, 1);
    return *this;
}

template <class CharT, class OtherT>
bool StringT<CharT, OtherT>::Remove(int start, int count)
{
    const int length = GetLength();
    if (static_cast<uint32_t>(start) >= static_cast<uint32_t>(length))
        return false;
    // A negative count is refused: it would otherwise wrap around and duplicate text.
    if (count < 0 || int64_t(start) + count > length)
        return false;
    *this = Left(start) + Mid(start + count);
    return true;
}

// ---- substrings and search ----

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::Mid(int start, int count) const
{
    return Slice(start, count);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::Slice(int64_t start, int64_t count) const
{
    const int64_t length = GetLength();
    if (start < 0)
    {
        start += length;
        if (start < 0)
        {
            // A start before the beginning eats into the count; a count eaten up entirely leaves
            // nothing (a negative count from the caller still means "the rest").
            if (count >= 0)
                count = std::max<int64_t>(count + start, 0);
            start = 0;
        }
    }
    if (start >= length || count == 0)
        return StringT();
    const int64_t rest = length - start;
    const int64_t taken = count < 0 ? rest : std::min(count, rest);
    StringT result;
    result.AssignOwnWidth(GetBuffer() + start, static_cast<uint32_t>(taken));
    return result;
}

namespace
{
// The characters of a string up to its first zero. Its length is known (read from the buffer size when
// unlocked), so a search needs no terminator checks and runs as the standard library's.
template <class S>
std::basic_string_view<typename S::CharType> View(const S& s)
{
    return {s.GetBuffer(), static_cast<size_t>(s.GetLength())};
}

template <class Position>
int FoundAt(Position position)
{
    return position == Position(-1) ? -1 : static_cast<int>(position);
}

// The first position at or after start where text occurs in within, npos when none. It looks for the
// first character of text with the character traits' find (memchr for bytes) and compares only there,
// as the standard strings do; the standard string view compares at every position.
template <class CharT>
size_t FindText(std::basic_string_view<CharT> within, std::basic_string_view<CharT> text, size_t start)
{
    using Traits = std::char_traits<CharT>;
    if (text.empty())
        return start <= within.size() ? start : std::basic_string_view<CharT>::npos;
    const CharT* const begin = within.data();
    const CharT* const end = begin + within.size();
    for (const CharT* at = begin + start; static_cast<size_t>(end - at) >= text.size(); ++at)
    {
        at = Traits::find(at, static_cast<size_t>(end - at) - text.size() + 1, text[0]);
        if (at == nullptr)
            break;
        // From the first character again, as the standard strings do: the text's start is the start of
        // its buffer, and an aligned operand helps the comparison.
        if (Traits::compare(at, text.data(), text.size()) == 0)
            return static_cast<size_t>(at - begin);
    }
    return std::basic_string_view<CharT>::npos;
}

// The code unit a search for one UTF-8 byte looks for: the byte itself when it is a whole character
// (0x01 to 0x7F), else 0, which stands for the empty search text.
char16_t SearchUnit(char ch)
{
    const auto byte = static_cast<unsigned char>(ch);
    return byte < 0x80 ? char16_t(byte) : char16_t(0);
}
} // namespace

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::Find(const StringT& text) const
{
    return FoundAt(FindText(View(*this), View(text), 0));
}

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::Find(const StringT& text, int start) const
{
    if (start < 0)
        start = 0;
    const std::basic_string_view<CharT> within = View(*this);
    if (static_cast<size_t>(start) >= within.size())
        return text.IsEmpty() ? start : -1;
    return FoundAt(FindText(within, View(text), static_cast<size_t>(start)));
}

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::Find(char ch, int start) const requires(std::is_same_v<CharT, char16_t>)
{
    const char16_t unit = SearchUnit(ch);
    if (unit == 0)
        return start;
    if (start < 0)
        start = 0;
    if (start >= GetLength())
        return -1;
    return FoundAt(View(*this).find(static_cast<CharT>(unit), static_cast<size_t>(start)));
}

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::ReverseFind(char ch) const requires(std::is_same_v<CharT, char16_t>)
{
    const CharT* found = CRT::FindLastChar(GetBuffer(), static_cast<CharT>(SearchUnit(ch)));
    return found == nullptr ? -1 : static_cast<int>(found - GetBuffer());
}

// ---- comparison ----

template <class CharT, class OtherT>
bool StringT<CharT, OtherT>::operator==(const StringT& other) const
{
    return mBuffer == other.mBuffer || *this == other.GetBuffer();
}

template <class CharT, class OtherT>
bool StringT<CharT, OtherT>::operator!=(const StringT& other) const
{
    return !(*this == other);
}

template <class CharT, class OtherT>
bool StringT<CharT, OtherT>::operator==(const CharT* text) const
{
    if (text == nullptr || text[0] == 0)
        return IsEmpty();
    const CharT* own = GetBuffer();
    for (; *own != 0 && *text != 0; ++own, ++text)
    {
        if (*own != *text)
            return false;
    }
    return *own == *text;
}

template <class CharT, class OtherT>
bool StringT<CharT, OtherT>::operator==(const OtherT* text) const
{
    const StringT converted(text);
    return *this == converted;
}

namespace
{
template <class CharT>
bool LessByUnits(const CharT* a, const CharT* b)
{
    using Unit = std::make_unsigned_t<CharT>;
    for (;; ++a, ++b)
    {
        const auto ua = static_cast<Unit>(*a);
        const auto ub = static_cast<Unit>(*b);
        if (ua != ub)
            return ua < ub;
        if (ua == 0)
            return false;
    }
}
} // namespace

template <class CharT, class OtherT>
bool StringT<CharT, OtherT>::operator<(const StringT& other) const
{
    if (GetBuffer() == other.GetBuffer())
        return false;
    return LessByUnits(GetBuffer(), other.GetBuffer());
}

template <class CharT, class OtherT>
bool StringLess(const StringT<CharT, OtherT>& a, const StringT<CharT, OtherT>& b)
{
    return LessByUnits(a.GetBuffer(), b.GetBuffer());
}

// ---- conversion ----

namespace
{
// The UTF-16 units that count bytes of well-formed UTF-8 become: one for each byte that is not a
// continuation byte, and one more for each lead byte of a four-byte sequence (a surrogate pair). Eight
// bytes are counted a step. An ill-formed text yields no more units than this before its conversion
// stops.
uint64_t ConvertedCount(const char* text, uint64_t count)
{
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    uint64_t units = 0;
    uint64_t i = 0;
    for (; i + 8 <= count; i += 8)
    {
        uint64_t word;
        std::memcpy(&word, text + i, sizeof(word));
        const uint64_t continuation = word & ~(word << 1) & kHighBits;
        const uint64_t fourByteLead = word & (word << 1) & (word << 2) & (word << 3) & kHighBits;
        units += 8 - static_cast<uint64_t>(std::popcount(continuation)) +
                 static_cast<uint64_t>(std::popcount(fourByteLead));
    }
    for (; i < count; ++i)
    {
        const auto byte = static_cast<uint8_t>(text[i]);
        units += ((byte & 0xC0) != 0x80 ? 1 : 0) + (byte >= 0xF0 ? 1 : 0);
    }
    return units;
}

// The UTF-8 bytes that count UTF-16 units become: four for a surrogate pair, three for a unit left
// unpaired (carried over as it is).
uint64_t ConvertedCount(const char16_t* text, uint64_t count)
{
    uint64_t bytes = 0;
    for (uint64_t i = 0; i < count; ++i)
    {
        const char16_t unit = text[i];
        if (unit < 0x80)
            bytes += 1;
        else if (unit < 0x800)
            bytes += 2;
        else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 &&
                 text[i + 1] <= 0xDFFF)
        {
            bytes += 4;
            ++i;
        }
        else
            bytes += 3;
    }
    return bytes;
}

// Converts sourceCount units of text into a new buffer in target with room for room units and a
// terminator, and sets its size to the text converted.
template <class CharT, class OtherT>
ConversionResult ConvertInto(ConstRCPtr<LIBuffer>& target, const OtherT* text, uint64_t sourceCount,
                             uint64_t room, int length)
{
    // One more unit than the room, for the terminator of a text whose source has none.
    target = StringBuffer::Create(ByteSize<CharT>(room + 1), 0, false);
    const OtherT* source = text;
    auto* begin = static_cast<CharT*>(target->GetData());
    CharT* out = begin;
    ConversionResult result;
    if constexpr (std::is_same_v<CharT, char16_t>)
        result = Utf8ToUtf16(source, text + sourceCount, out, begin + room, ConversionMode::Lenient);
    else
        result = Utf16ToUtf8(source, text + sourceCount, out, begin + room, ConversionMode::Lenient);
    *out = 0;
    // The text ends at the first zero converted. Converting up to and including the terminator puts
    // the only zero last; an explicit length may hold zeros anywhere.
    size_t converted;
    if (length >= 0)
        converted = CRT::LengthBounded(begin, static_cast<size_t>(out - begin));
    else
        converted = static_cast<size_t>(out - begin) - (out > begin && out[-1] == 0 ? 1 : 0);
    const_cast<LIBuffer*>(target.Get())->SetSize(ByteSize<CharT>(uint64_t(converted) + 1));
    return result;
}
} // namespace

template <class CharT, class OtherT>
ZQRESULT StringT<CharT, OtherT>::ConvertFrom(ConstRCPtr<LIBuffer>& target, const OtherT* text, int length)
{
    if (text == nullptr || text[0] == 0)
    {
        target = GetEmptyString().mBuffer;
        return S_OK;
    }
    const uint64_t sourceCount = length < 0 ? CRT::Length(text) + 1 : uint64_t(length);
    // Sized exactly for a well-formed text, which then needs neither clearing nor trimming. Should an
    // ill-formed one not fit, it is converted again into the most it can become: one UTF-16 unit per
    // UTF-8 byte, or three UTF-8 bytes per UTF-16 unit.
    ConversionResult result =
        ConvertInto<CharT>(target, text, sourceCount, ConvertedCount(text, sourceCount), length);
    if (result == ConversionResult::TargetExhausted)
        result = ConvertInto<CharT>(target, text, sourceCount, kWide ? sourceCount : 3 * sourceCount, length);
    return result == ConversionResult::Ok ? S_OK : E_FAIL;
}

template <class CharT, class OtherT>
typename StringT<CharT, OtherT>::OtherString StringT<CharT, OtherT>::ToNarrow() const
    requires(std::is_same_v<CharT, char16_t>)
{
    return OtherString(*this);
}

// ---- formatting and numbers ----

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::FormatList(const CharT* format, const FormatArg* args,
                                                          size_t count)
{
    FormatOutput<CharT> out;
    if (!TextFormatter::Format(out, format, args, count))
        throw Exception<std::invalid_argument>(kFormatErrorText<CharT>);
    // The text ends at its first zero, as when taken from a terminated array (a "%c" of 0 ends it). The
    // search is inline: formatted texts are mostly short, where a library call costs more than the loop.
    const CharT* text = out.GetData();
    const size_t length = static_cast<size_t>(std::find(text, text + out.GetSize(), CharT(0)) - text);
    if (length == 0)
        return StringT();
    return StringT(text, static_cast<uint32_t>(std::min<size_t>(length, UINT32_MAX)));
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>& StringT<CharT, OtherT>::AssignFormatList(const CharT* format, const FormatArg* args,
                                                                 size_t count)
{
    const StringT text = FormatList(format, args, count);
    Assign(text.GetBuffer(), kWholeText);
    return *this;
}

namespace
{
template <class CharT>
constexpr CharT kIntFormat[] = {CharT('%'), CharT('d'), CharT(0)};
template <class CharT>
constexpr CharT kUIntFormat[] = {CharT('%'), CharT('u'), CharT(0)};
template <class CharT>
constexpr CharT kDoubleFormat[] = {CharT('%'), CharT('l'), CharT('f'), CharT(0)};
template <class CharT>
constexpr CharT kDecimalsFormat[] = {CharT('%'), CharT('%'), CharT('.'), CharT('%'),
                                     CharT('d'), CharT('l'), CharT('f'), CharT(0)};

// Puts a decimal point before the last decimals digits of a text of digits, padding with zeros in
// front so that exactly decimals digits follow the point. A leading minus sign stays in front.
template <class S>
S PlaceDecimalPoint(const S& digits, int decimals)
{
    using CharT = typename S::CharType;
    if (decimals <= 0)
        return digits;
    S sign;
    S text = digits;
    if (!text.IsEmpty() && text.GetAt(0) == CharT('-'))
    {
        sign = S(CharT('-'));
        text = text.Mid(1);
    }
    if (text.GetLength() < decimals)
    {
        // Zeros in front, so that exactly decimals digits follow the point; made in one piece.
        const int missing = decimals - text.GetLength();
        S zeros;
        CharT* data = zeros.Lock(missing + 1);
        std::fill(data, data + missing, CharT('0'));
        zeros.Unlock();
        text = zeros + text;
    }
    const int k = text.GetLength() - decimals;
    return sign + text.Left(k) + S(CharT('.')) + text.Mid(k);
}
} // namespace

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::FromInt(int value, int decimals)
{
    return PlaceDecimalPoint(Format(kIntFormat<CharT>, value), decimals);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::FromUInt(unsigned int value, int decimals)
{
    return PlaceDecimalPoint(Format(kUIntFormat<CharT>, value), decimals);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::FromDouble(double value, int decimals)
{
    if (decimals < 0)
        return Format(kDoubleFormat<CharT>, value);
    const StringT format = Format(kDecimalsFormat<CharT>, decimals);
    return Format(format.GetBuffer(), value);
}

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::ToInt() const
{
    return CRT::ParseInt(GetBuffer());
}

template <class CharT, class OtherT>
double StringT<CharT, OtherT>::ToDouble() const
{
    return CRT::ParseDouble(GetBuffer());
}

// ---- case, trimming, splitting, replacing ----

template <class CharT, class OtherT>
template <class Map>
StringT<CharT, OtherT> StringT<CharT, OtherT>::MapCharacters(Map map) const
{
    StringT result;
    if (IsEmpty())
        return result;
    // The characters are mapped in the result's fresh buffer: one copy, no second pass.
    result.AssignOwnWidth(GetBuffer(), static_cast<uint32_t>(GetLength()));
    for (CharT* p = result.Data(); *p != 0; ++p)
        *p = map(*p);
    return result;
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::ToUpper() const
{
    return MapCharacters(CRT::ToUpperAscii<CharT>);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::ToLower() const
{
    return MapCharacters(CRT::ToLowerAscii<CharT>);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::TrimLeft(const StringT& set) const
{
    const size_t k = CRT::SpanIn(GetBuffer(), set.GetBuffer());
    if (GetBuffer()[k] == 0)
        return *this;
    return Mid(static_cast<int>(k));
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::TrimRight(const StringT& set) const
{
    StringT result;
    result.Assign(GetBuffer(), kWholeText);
    if (set.IsEmpty())
        return result;
    const CharT* setChars = set.GetBuffer();
    int length = result.GetLength();
    while (length > 0 && CRT::Contains(setChars, result.GetAt(length - 1)))
        --length;
    return result.Left(length);
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::TrimLeft() const
{
    return TrimLeft(StringT(kBlankSet<CharT>));
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::TrimRight() const
{
    return TrimRight(StringT(kBlankSet<CharT>));
}

template <class CharT, class OtherT>
StringT<CharT, OtherT> StringT<CharT, OtherT>::Trim() const
{
    return TrimLeft().TrimRight();
}

template <class CharT, class OtherT>
int StringT<CharT, OtherT>::Split(StringArrayT<CharT, OtherT>& out, const StringT& delimiters) const
    requires(std::is_same_v<CharT, char16_t>)
{
    const CharT* delimiterChars = delimiters.GetBuffer();
    const int length = GetLength();
    int k = static_cast<int>(CRT::SpanNotIn(GetBuffer(), delimiterChars));
    if (k == length)
    {
        out.SetCount(1);
        out.GetData()[0] = *this;
        return out.GetCount();
    }
    out.RemoveAll();
    StringT rest(*this);
    while (!rest.IsEmpty())
    {
        k = static_cast<int>(CRT::SpanNotIn(rest.GetBuffer(), delimiterChars));
        out.Add(k > 0 ? rest.Left(k) : StringT());
        rest = k < rest.GetLength() ? rest.Mid(k + 1) : StringT();
    }
    return out.GetCount();
}

template <class CharT, class OtherT>
StringArrayT<CharT, OtherT> StringT<CharT, OtherT>::Split(const StringT& delimiters) const
    requires(std::is_same_v<CharT, char16_t>)
{
    StringArrayT<CharT, OtherT> out;
    if constexpr (kWide)
        Split(out, delimiters);
    return out;
}

template <class CharT, class OtherT>
StringT<CharT, OtherT>& StringT<CharT, OtherT>::ReplaceChars(const CharT* set, CharT replacement)
{
    if (replacement == 0 || set == nullptr || IsEmpty())
        return *this;
    StringT copy;
    copy.AssignOwnWidth(GetBuffer(), static_cast<uint32_t>(GetLength()));
    CharT* p = copy.Data();
    for (;;)
    {
        p += CRT::SpanNotIn(p, set);
        if (*p == 0)
            break;
        *p++ = replacement;
    }
    Assign(copy.GetBuffer(), kWholeText);
    return *this;
}

template class StringT<char16_t, char>;
template class StringT<char, char16_t>;
template bool StringLess(const StringT<char16_t, char>&, const StringT<char16_t, char>&);
template bool StringLess(const StringT<char, char16_t>&, const StringT<char, char16_t>&);
} // namespace ZQ
