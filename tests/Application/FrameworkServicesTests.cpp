#include "ZQFramework/Application/FrameworkServices.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(FrameworkServices, FoldersOfTheProgram)
{
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(ZQ::MFCFrameworkApp::GetFolder(ZQ::MFCFrameworkApp::kProgramFolder).ToNarrow(),
              program.parent_path().string().c_str());
    EXPECT_EQ(ZQ::MFCFrameworkApp::GetFolder(ZQ::MFCFrameworkApp::kResourceFolder), u"::");
    EXPECT_TRUE(ZQ::MFCFrameworkApp::GetFolder(7).IsEmpty());
}

TEST(FrameworkServices, ExitValueStartsAtZero)
{
    EXPECT_EQ(ZQ::ProcessExitValue.load(), 0);
}
