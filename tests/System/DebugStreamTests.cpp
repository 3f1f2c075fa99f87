#include "Support/UdpListener.h"

#include "ZQFramework/System/DebugConsole.h"
#include "ZQFramework/System/DebugStream.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <iomanip>
#include <limits>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
using TestSupport::UdpListener;

// The UDP sink is made once per process (and keeps its first destination), so one test with one listener
// covers its whole road: the announcement on the first flush, then every flushed piece as one datagram.
TEST(DebugStream, UdpTargetGetsTheBannerThenEachFlushedPiece)
{
    static UdpListener listener;
    static bool announced = false;
    ZQ::DebugConsole::SetUDPTarget("127.0.0.1", listener.Port());

    ZQ::DebugConsole::DebugStream() << "first line" << std::endl;
    if (!announced)
    {
        EXPECT_EQ(listener.Receive(), "*** APPLICATION Launched on ");
        EXPECT_EQ(listener.Receive(), "127.0.0.1");
        EXPECT_EQ(listener.Receive(), "***\n");
        announced = true;
    }
    EXPECT_EQ(listener.Receive(), "first line\n");

    ZQ::dostream narrow;
    narrow << std::string(3000, 'x') << std::flush;
    EXPECT_EQ(listener.Receive().size(), 1023u);
    EXPECT_EQ(listener.Receive().size(), 1023u);
    EXPECT_EQ(listener.Receive().size(), 954u);

    ZQ::DebugConsole::WDebugStream() << u"Gr\u00FC\u00DFe \u20AC \U0001F600\n" << std::flush;
    EXPECT_EQ(listener.Receive(), "Gr\xC3\xBC\xC3\x9F"
                                  "e \xE2\x82\xAC \xF0\x9F\x98\x80\n");

    // A long wide text is cut into pieces of at most 1023 units, never between the halves of a pair:
    // 600 emoji (1200 units) go as 511 and then 89.
    std::u16string emoji;
    for (int i = 0; i < 600; ++i)
        emoji += u"\U0001F600";
    ZQ::DebugConsole::WDebugStream() << emoji << u'#' << std::u16string(u"42") << std::flush;
    EXPECT_TRUE(ZQ::DebugConsole::WDebugStream().good());
    std::string expected;
    for (int i = 0; i < 511; ++i)
        expected += "\xF0\x9F\x98\x80";
    EXPECT_EQ(listener.Receive(), expected);
    expected.clear();
    for (int i = 0; i < 89; ++i)
        expected += "\xF0\x9F\x98\x80";
    EXPECT_EQ(listener.Receive(), expected + "#42");

    // A number cannot go into a char16_t stream: the rest of that statement is lost, the next one is not.
    ZQ::DebugConsole::WDebugStream() << u"kept " << 42 << u"lost";
    ZQ::DebugConsole::WDebugStream() << u"and sent" << std::flush;
    EXPECT_EQ(listener.Receive(), "kept and sent");

    {
        ZQ::dostream unflushed;
        unflushed << "sent when the stream goes";
    }
    EXPECT_EQ(listener.Receive(), "sent when the stream goes");

    ZQ::DebugConsole::SetUDPTarget(nullptr, -1);
}

// Captures what the process writes to standard error while it lives.
class StderrCapture
{
public:
    StderrCapture() : mFile(std::tmpfile()), mSaved(::dup(2))
    {
        std::fflush(stderr);
        ::dup2(::fileno(mFile), 2);
    }
    ~StderrCapture()
    {
        ::dup2(mSaved, 2);
        ::close(mSaved);
        std::fclose(mFile);
    }

    std::string Text()
    {
        std::fflush(stderr);
        std::string text;
        std::rewind(mFile);
        for (int c; (c = std::fgetc(mFile)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }

private:
    std::FILE* mFile;
    int mSaved;
};

TEST(DebugStream, OpenedConsoleShowsNarrowAndWideTextInWritingOrder)
{
    ZQ::DebugConsole::Open();
    EXPECT_EQ(&ZQ::DebugConsole::Out(), &std::cerr);

    StderrCapture capture;
    ZQ::DebugConsole::Out() << "one ";
    ZQ::DebugConsole::WOut() << u"two \u00E9 ";
    ZQ::DebugConsole::Out() << "three ";
    ZQ::DebugConsole::WOut() << u"four\n";
    // A pair split between two writes still joins; a lone half becomes U+FFFD.
    ZQ::DebugConsole::WOut() << u"\xD83D";
    ZQ::DebugConsole::WOut() << u"\xDE00 " << u'5' << u" \xDE00!\n" << std::flush;
    EXPECT_TRUE(ZQ::DebugConsole::WOut().good());
    EXPECT_EQ(capture.Text(), "one two \xC3\xA9 three four\n"
                              "\xF0\x9F\x98\x80 5 \xEF\xBF\xBD!\n");
}

} // namespace
