#include "Panel/Engine/UpdateProcessor.h"
#include "Panel/UI/Application.h"
#include "ZQFramework/Application/Framework/FrameworkWinMain.h"

#include <vector>

namespace
{
// The process's one host of the updater application.
ZQ::MFCFrameworkApp<LApplication> theApp;

// The show command of a program started normally.
constexpr int32_t kShowNormal = 1;
} // namespace

int main(int argc, char** argv)
{
    // The whole command line, program path first: the builder joins the arguments after its first, so the
    // program's own path goes in behind an empty placeholder.
    std::vector<const char*> arguments{""};
    arguments.insert(arguments.end(), argv, argv + argc);
    const ZQ::WString commandLine = BuildCommandLine(static_cast<int>(arguments.size()), arguments.data());
    theApp.SetFailedStartExitValue(LUpdateProcessor::kExitNoWindow);
    return ZQ::FrameworkWinMain(commandLine, kShowNormal, -1, u"Splash.png");
}
