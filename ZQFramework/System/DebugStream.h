#pragma once

#include <algorithm>
#include <ios>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace ZQ
{
// Hands one flushed piece of debug text to its destination: the UDP target when one is set, else the
// system debug output. Wide text is sent as UTF-8.
void EmitDebugText(std::string_view text);
void EmitDebugText(std::u16string_view text);

// The buffer of a debug stream: keeps the text written since the last flush and sends it on as one
// piece when the stream is flushed or, for bulk writes, before it grows past kMaxPending characters.
template <typename CharT>
class basic_debugbuf : public std::basic_stringbuf<CharT>
{
public:
    static constexpr std::streamsize kMaxPending = 1023;

    basic_debugbuf() : std::basic_stringbuf<CharT>(std::ios_base::out) {}
    ~basic_debugbuf() override { FlushPending(); }

protected:
    int sync() override
    {
        FlushPending();
        return 0;
    }

    std::streamsize xsputn(const CharT* text, std::streamsize count) override
    {
        std::streamsize written = 0;
        while (written < count)
        {
            if (Pending() >= kMaxPending)
                FlushPending();
            const std::streamsize room = std::min(kMaxPending - Pending(), count - written);
            std::basic_stringbuf<CharT>::xsputn(text + written, room);
            written += room;
        }
        return written;
    }

private:
    std::streamsize Pending() const { return this->pptr() - this->pbase(); }

    void FlushPending()
    {
        if (Pending() == 0)
            return;
        const std::basic_string<CharT> text(this->pbase(), this->pptr());
        this->str(std::basic_string<CharT>());
        EmitDebugText(std::basic_string_view<CharT>(text));
    }
};

// An output stream that owns its debug buffer. The wide stream takes text (u"..." and wide strings) and
// std::flush; it has no character facets, so end lines with u"\n" rather than std::endl.
template <typename CharT>
class basic_dostream : public std::basic_ostream<CharT>
{
public:
    basic_dostream() : std::basic_ostream<CharT>(nullptr) { this->init(&mBuffer); }
    ~basic_dostream() override { mBuffer.pubsync(); }

private:
    basic_debugbuf<CharT> mBuffer;
};

using debugbuf = basic_debugbuf<char>;
using wdebugbuf = basic_debugbuf<char16_t>;
using dostream = basic_dostream<char>;
using wdostream = basic_dostream<char16_t>;
} // namespace ZQ
