#pragma once

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace TestSupport
{
// Points the registry (ZQ_REGISTRY_ROOT) at a fresh folder of its own for each test and removes it
// afterwards. Use as a fixture base: `using MyTests = TestSupport::TempRegistry;`.
class TempRegistry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zq-registry-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mRoot = pattern;
        ::setenv("ZQ_REGISTRY_ROOT", mRoot.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("ZQ_REGISTRY_ROOT");
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }

    std::string mRoot;
};
} // namespace TestSupport
