#pragma once

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// The locales the skin tests run under: the "C" locale, and German taken from the environment as a
// GTK program's start-up takes it (LANG and LC_ALL set, then setlocale(LC_ALL, "")), where the decimal
// separator is a comma. Tests under German are skipped when the system lacks the locale.
class LocaleTest : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        const std::string locale = GetParam();
        if (locale == "C")
            return;
        mSaved = std::setlocale(LC_ALL, nullptr);
        mSavedLang = Get("LANG");
        mSavedAll = Get("LC_ALL");
        setenv("LANG", locale.c_str(), 1);
        setenv("LC_ALL", locale.c_str(), 1);
        if (std::setlocale(LC_ALL, "") == nullptr)
        {
            Restore();
            GTEST_SKIP() << locale << " is not installed (scripts/install-deps.sh generates it)";
        }
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }

    void TearDown() override { Restore(); }

private:
    void Restore()
    {
        if (mSaved.empty())
            return;
        Put("LANG", mSavedLang);
        Put("LC_ALL", mSavedAll);
        std::setlocale(LC_ALL, mSaved.c_str());
        mSaved.clear();
    }

    static std::optional<std::string> Get(const char* name)
    {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Put(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    std::string mSaved;
    std::optional<std::string> mSavedLang;
    std::optional<std::string> mSavedAll;
};

#define ZQ_INSTANTIATE_LOCALES(suite)                                                                        \
    INSTANTIATE_TEST_SUITE_P(Locales, suite, ::testing::Values("C", "de_DE.UTF-8"),                          \
                             [](const ::testing::TestParamInfo<const char*>& info) {                         \
                                 return std::string(info.param) == "C" ? std::string("C")                    \
                                                                       : std::string("German");              \
                             })
