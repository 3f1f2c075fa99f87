#include "Support/SimulatorFixture.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Registry/Registry.h"
#include "Simulator/CommandInterpreter.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace TestSupport;
using namespace std::chrono_literals;
using TestSupport::WaitFor;

extern char** environ;

namespace
{
class CommandInterpreterTest : public SimulatorTestBase
{
protected:
    Simulator::CommandInterpreter interpreter{*mixer};
};

TEST_F(CommandInterpreterTest, CommandsChangeTheMixerAndAnswerOneLine)
{
    struct Case
    {
        std::string command;
        std::string replyStart;
    };
    const std::vector<Case> cases = {
        {"mode update", "OK mode update"},
        {"version 1.2.0.1", "OK version 1.2.0.1"},
        {"new-version 2.0.0.0", "OK new-version 2.0.0.0"},
        {"reply-delay 0x10", "OK reply-delay"},
        {"reply raw F0 7E 00 06 02 F7", "OK reply raw 6 bytes"},
        {"driver-version 1.0.10", "OK driver-version 1.0.10"},
        {"release paced 20", "OK release paced 20"},
        {"fail 13 after 3", "OK fail 13 after 3"},
        {"fail open after 0", "OK fail open after 0"},
        {"exclusive on", "OK exclusive on"},
        {"attached 0000", "OK attached 0000"},
        {"unplug", "OK unplugged"},
        // Bad input answers ERR and changes nothing.
        {"mode sideways", "ERR"},
        {"version 1.2.3", "ERR"},
        {"version 1.2.3.256", "ERR"},
        {"reply raw F0 7", "ERR"},
        {"release delayed", "ERR"},
        {"release paced 99999999999999", "ERR"},
        {"reply-delay 99999999999999", "ERR"},
        {"reboot-delay 0xFFFFFFFFFFFFFFFF", "ERR"},
        {"fail 13 before 3", "ERR"},
        {"input 32 F0F7", "ERR"},
        {"", "ERR"},
        {"frobnicate", "ERR"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(interpreter.Execute(c.command).rfind(c.replyStart, 0), 0u) << c.command;

    const auto settings = mixer->Settings();
    EXPECT_EQ(settings.mode, Simulator::DeviceMode::Update);
    EXPECT_EQ(settings.version, (Simulator::Version{1, 2, 0, 1}));
    EXPECT_EQ(settings.newVersion, (Simulator::Version{2, 0, 0, 0}));
    EXPECT_EQ(settings.replyDelay, 16ms);
    EXPECT_EQ(settings.rawReply, (std::vector<uint8_t>{0xF0, 0x7E, 0x00, 0x06, 0x02, 0xF7}));
    EXPECT_EQ(settings.driverVersion, u"1.0.10");
    EXPECT_EQ(mixer->Driver().GetReleasePolicy(), Simulator::ReleasePolicy::Paced);
    EXPECT_FALSE(mixer->IsPlugged());
    EXPECT_FALSE(interpreter.QuitRequested());

    EXPECT_EQ(interpreter.Execute("reset"), "OK reset");
    EXPECT_TRUE(mixer->IsPlugged());
    EXPECT_EQ(mixer->Settings().mode, Simulator::DeviceMode::Normal);
    EXPECT_EQ(interpreter.Execute("quit"), "OK quit");
    EXPECT_TRUE(interpreter.QuitRequested());
}

TEST_F(CommandInterpreterTest, LogAndFirmwareAreReadableAsText)
{
    ASSERT_TRUE(DriverClient(path).UpdateControl(true));
    {
        DriverClient pipe(path);
        ASSERT_TRUE(pipe.Pipe(Platform::DriverRequests::OpenOutputPort, 0));
        Slot slot({'1', '2', '3', '4', '5', '6', '7', '8', '9'});
        ASSERT_TRUE(pipe.Write(0, slot));
        ASSERT_TRUE(WaitFor([&] { return slot.IsFree(); }));
    }
    EXPECT_EQ(interpreter.Execute("firmware"), "OK 9 CBF43926"); // the CRC-32 check value of "123456789"
    EXPECT_EQ(interpreter.Execute("firmware hex 2 3"), "OK 333435");
    const std::string log = interpreter.Execute("log");
    EXPECT_EQ(log.rfind("OK ", 0), 0u);
    EXPECT_NE(log.find("request 16 ok update control value=1"), std::string::npos) << log;
    EXPECT_NE(log.find("request 13 ok write port=0 count=9"), std::string::npos) << log;
    EXPECT_EQ(interpreter.Execute("log clear"), "OK log clear");
    EXPECT_EQ(interpreter.Execute("log"), "OK 0");
}

// Reads one line from a descriptor, waiting for it up to a generous deadline.
std::string ReadLine(int descriptor)
{
    std::string line;
    char c = 0;
    pollfd entry{descriptor, POLLIN, 0};
    while (poll(&entry, 1, 10000) == 1 && read(descriptor, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

// The program, started as a user would with one command, found through the control socket it prints and
// driven through it; however it is stopped, it removes its sockets and registry entries.
TEST(SimulatorProgramTest, RunsUntilQuitOrSignalAndCleansUp)
{
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string program = std::filesystem::path(self).parent_path() / "zq-simulator";
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << "zq-simulator is not built next to this test";

    struct Case
    {
        const char* name;
        int signal; // 0: the quit command
    };
    for (const Case& c : {Case{"quit", 0}, Case{"SIGINT", SIGINT}, Case{"SIGTERM", SIGTERM}})
    {
        SCOPED_TRACE(c.name);
        TempEnvironment environment;
        int output[2] = {-1, -1};
        ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--version"),
                        const_cast<char*>("1.2.0.1"), nullptr};
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(output[1]);

        const std::string announced = ReadLine(output[0]);
        const std::string prefix = "control socket: ";
        ASSERT_EQ(announced.rfind(prefix, 0), 0u) << announced;
        const std::string socketPath = announced.substr(prefix.size());
        EXPECT_EQ(socketPath, environment.Root() + "/midi/zq-simulator.sock");

        std::error_code error;
        const Platform::Io::UniqueFd controlSocket =
            Platform::Io::ConnectUnix(socketPath, Platform::Io::SocketType::Stream, error);
        ASSERT_FALSE(error) << error.message();
        const int control = controlSocket.Get();
        const auto ask = [&](const std::string& command)
        {
            const std::string line = command + "\n";
            EXPECT_EQ(send(control, line.data(), line.size(), MSG_NOSIGNAL),
                      static_cast<ssize_t>(line.size()));
            return ReadLine(control);
        };

        EXPECT_EQ(ask("status").rfind("OK plugged=1 mode=normal version=1.2.0.1", 0), 0u);
        if (c.signal == 0)
        {
            // A second simulator on the same socket refuses to start and leaves the first alone.
            pid_t second = 0;
            ASSERT_EQ(posix_spawn(&second, program.c_str(), nullptr, nullptr, argv, environ), 0);
            int secondStatus = -1;
            ASSERT_EQ(waitpid(second, &secondStatus, 0), second);
            EXPECT_TRUE(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 1);
            EXPECT_EQ(ask("status").rfind("OK plugged=1", 0), 0u);
        }
        ASSERT_NO_FATAL_FAILURE(ExpectIdentityVersion({1, 2, 0, 1}));
        EXPECT_TRUE(DriverClient(Simulator::MixerSettings{}.lastPath).IsOpen());
        EXPECT_EQ(ask("unplug"), "OK unplugged");
        EXPECT_FALSE(DriverClient(Simulator::MixerSettings{}.lastPath).IsOpen());
        EXPECT_EQ(ask("plug"), "OK plugged");

        if (c.signal == 0)
            EXPECT_EQ(ask("quit"), "OK quit");
        else
            EXPECT_EQ(kill(child, c.signal), 0);
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(ReadLine(output[0]), "zq-simulator: stopped");
        close(output[0]);

        EXPECT_FALSE(std::filesystem::exists(socketPath));
        EXPECT_TRUE(std::filesystem::is_empty(environment.Root() + "/midi"));
        EXPECT_TRUE(!std::filesystem::exists(environment.Root() + "/driver") ||
                    std::filesystem::is_empty(environment.Root() + "/driver"));
        Platform::RegKey key = 0;
        EXPECT_NE(Platform::RegistryOpenKey(Platform::RegLocalMachine, Simulator::Mixer::DriverKey(),
                                            Platform::RegKeyRead, &key),
                  0);
        EXPECT_NE(
            Platform::RegistryOpenKey(Platform::RegLocalMachine,
                                      Simulator::Mixer::UninstallKey(*Simulator::MixerSettings{}.productCode),
                                      Platform::RegKeyRead, &key),
            0);
    }
}
} // namespace
