// A program over the framework's entry for the x11 tests: the test application, its documents read from
// the folder $ZQ_TEST_RESOURCE_FOLDER, the command line as the updater builds it.
#include "Program/ProgramTestApplication.h"

#include "Panel/Engine/UpdateProcessor.h"

#include <cstdlib>
#include <vector>

namespace
{
std::filesystem::path ResourceFolder()
{
    const char* folder = std::getenv("ZQ_TEST_RESOURCE_FOLDER");
    return folder != nullptr ? folder : ".";
}

ZQTest::ProgramTestHost theApp(ResourceFolder());
} // namespace

int main(int argc, char** argv)
{
    std::vector<const char*> arguments{""};
    arguments.insert(arguments.end(), argv, argv + argc);
    return ZQ::FrameworkWinMain(BuildCommandLine(static_cast<int>(arguments.size()), arguments.data()), 1, -1,
                                u"Splash.png");
}
