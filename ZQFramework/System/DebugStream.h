#pragma once

#include <algorithm>
#include <ios>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

namespace ZQ
{
// Hands one flushed piece of debug text to its destination: the UDP target when one is set, else the
// system debug output. Wide text is sent as UTF-8.
void EmitDebugText(std::string_view text);
void EmitDebugText(std::u16string_view text);

// UTF-16 to UTF-8 for debug text. Unpaired surrogates become U+FFFD. With pendingHigh, a high surrogate
// that ends the text is kept there (and taken from there first next time), so that a pair split between
// two writes still joins.
[[nodiscard]] std::string DebugTextToUtf8(std::u16string_view text, char16_t* pendingHigh = nullptr);

// The buffer of a debug stream: keeps the text written since the last flush and sends it on as one
// piece when the stream is flushed or, for bulk writes, before it grows past kMaxPending characters.
// A wide piece cut for length never ends between the two halves of a surrogate pair.
template <typename CharT>
class basic_debugbuf : public std::basic_stringbuf<CharT>
{
public:
    static constexpr std::streamsize kMaxPending = 1023;

    basic_debugbuf() : std::basic_stringbuf<CharT>(std::ios_base::out) {}
    ~basic_debugbuf() override
    {
        try
        {
            FlushPending(false);
        }
        catch (...)
        {
            // Debug text that cannot be sent as the buffer goes is dropped: a destructor does not throw.
        }
    }

protected:
    int sync() override
    {
        FlushPending(false);
        return 0;
    }

    std::streamsize xsputn(const CharT* text, std::streamsize count) override
    {
        std::streamsize written = 0;
        while (written < count)
        {
            if (Pending() >= kMaxPending)
                FlushPending(true);
            const std::streamsize room = std::min(kMaxPending - Pending(), count - written);
            std::basic_stringbuf<CharT>::xsputn(text + written, room);
            written += room;
        }
        return written;
    }

private:
    std::streamsize Pending() const { return this->pptr() - this->pbase(); }

    static bool IsHighSurrogate(CharT c)
    {
        if constexpr (std::is_same_v<CharT, char16_t>)
            return c >= 0xD800 && c < 0xDC00;
        else
            return false;
    }

    void FlushPending(bool keepSplitPair)
    {
        std::basic_string<CharT> text(this->pbase(), this->pptr());
        std::basic_string<CharT> carried;
        if (keepSplitPair && !text.empty() && IsHighSurrogate(text.back()))
        {
            carried.assign(1, text.back());
            text.pop_back();
        }
        this->str(std::basic_string<CharT>());
        if (!carried.empty())
            std::basic_stringbuf<CharT>::xsputn(carried.data(), 1);
        if (!text.empty())
            EmitDebugText(std::basic_string_view<CharT>(text));
    }
};

// An output stream that owns its debug buffer.
//
// Safe use of the wide stream (and of every std::basic_ostream<char16_t>): the C++ library has no
// character facets for char16_t, so only what needs no conversion works: wide text (u"...",
// std::u16string), wide characters, std::flush, write and put. End lines with u'\n' and flush with
// std::flush. Everything else goes wrong: std::endl and narrow characters throw std::bad_cast; numbers,
// narrow text and padding (std::setw) put the stream in the bad state, after which it drops all text
// until cleared (DebugConsole's accessors clear it for the next statement). Format numbers into the wide
// text first (WString::Format).
template <typename CharT>
class basic_dostream : public std::basic_ostream<CharT>
{
public:
    basic_dostream() : std::basic_ostream<CharT>(nullptr) { this->init(&mBuffer); }
    ~basic_dostream() override = default; // the buffer sends what is still pending as it goes

private:
    basic_debugbuf<CharT> mBuffer;
};

using debugbuf = basic_debugbuf<char>;
using wdebugbuf = basic_debugbuf<char16_t>;
using dostream = basic_dostream<char>;
using wdostream = basic_dostream<char16_t>;
} // namespace ZQ
