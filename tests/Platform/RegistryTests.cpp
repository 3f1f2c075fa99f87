#include "Support/Fifo.h"
#include "Support/TempRegistry.h"

#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryValues.h"

#include <atomic>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Platform;

namespace
{
constexpr std::u16string_view kDriverKey = u"Software\\Brevik\\Audio\\Drivers\\{d58471f8}";

std::vector<std::u16string> SubkeyNames(RegKey key)
{
    std::vector<std::u16string> names;
    std::u16string name;
    for (uint32_t i = 0; RegistryEnumKey(key, i, &name) == RegSuccess; ++i)
        names.push_back(name);
    return names;
}

std::vector<std::u16string> ValueNames(RegKey key)
{
    std::vector<std::u16string> names;
    std::u16string name;
    for (uint32_t i = 0; RegistryEnumValue(key, i, &name) == RegSuccess; ++i)
        names.push_back(name);
    return names;
}
} // namespace

using RegistryTests = TestSupport::TempRegistry;

TEST_F(RegistryTests, TypedValuesRoundTripWithTheirStoredBytes)
{
    ASSERT_EQ(RegistryWriteString(RegLocalMachine, kDriverKey, u"DisplayVersion", u"1.0.5"), RegSuccess);
    ASSERT_EQ(RegistryWriteDword(RegLocalMachine, kDriverKey, u"Count", 0x01020304), RegSuccess);
    const uint8_t blob[] = {0, 1, 0, 0xFF};
    ASSERT_EQ(RegistryWriteBinary(RegLocalMachine, kDriverKey, u"", blob, sizeof blob), RegSuccess);
    ASSERT_EQ(RegistryWriteBinary(RegLocalMachine, kDriverKey, u"Empty", nullptr, 0), RegSuccess);

    struct Case
    {
        std::u16string_view name;
        uint32_t type;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {u"DisplayVersion", RegSz, {'1', 0, '.', 0, '0', 0, '.', 0, '5', 0, 0, 0}},
        {u"Count", RegDword, {4, 3, 2, 1}},
        {u"", RegBinary, {0, 1, 0, 0xFF}},
        {u"Empty", RegBinary, {}},
    };
    RegKey key = 0;
    ASSERT_EQ(RegistryOpenKey(RegLocalMachine, kDriverKey, RegKeyRead | RegWow64_32Key, &key), RegSuccess);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        uint32_t type = 0;
        uint32_t size = 0;
        ASSERT_EQ(RegistryQueryValue(key, c.name, &type, nullptr, &size), RegSuccess);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.bytes.size());
        std::vector<uint8_t> bytes(size + 3, 0xEE);
        uint32_t capacity = static_cast<uint32_t>(bytes.size());
        ASSERT_EQ(RegistryQueryValue(key, c.name, nullptr, bytes.data(), &capacity), RegSuccess);
        EXPECT_EQ(capacity, c.bytes.size());
        bytes.resize(capacity);
        EXPECT_EQ(bytes, c.bytes);
    }
    EXPECT_EQ(RegistryCloseKey(key), RegSuccess);

    std::u16string text;
    uint32_t dword = 0;
    EXPECT_EQ(RegistryReadString(RegLocalMachine, kDriverKey, u"DisplayVersion", &text), RegSuccess);
    EXPECT_EQ(text, u"1.0.5");
    EXPECT_EQ(RegistryReadDword(RegLocalMachine, kDriverKey, u"Count", &dword), RegSuccess);
    EXPECT_EQ(dword, 0x01020304u);
    EXPECT_EQ(RegistryReadDword(RegLocalMachine, kDriverKey, u"DisplayVersion", &dword), RegCantRead);
}

TEST_F(RegistryTests, ShortBufferGivesMoreDataAndTheSizeNeeded)
{
    ASSERT_EQ(RegistryWriteString(RegCurrentUser, u"K", u"V", u"abcdef"), RegSuccess);
    RegKey key = 0;
    ASSERT_EQ(RegistryOpenKey(RegCurrentUser, u"K", RegKeyRead, &key), RegSuccess);
    uint8_t buffer[4] = {};
    uint32_t size = sizeof buffer;
    EXPECT_EQ(RegistryQueryValue(key, u"V", nullptr, buffer, &size), RegMoreData);
    EXPECT_EQ(size, 14u);
    RegistryCloseKey(key);
}

TEST_F(RegistryTests, NamesAreFoundWithoutRegardToCaseAndKeepTheirStoredCase)
{
    RegKey key = 0;
    bool created = false;
    ASSERT_EQ(RegistryCreateKey(RegLocalMachine, u"Software\\Brevik", RegKeyAllAccess, &key, &created),
              RegSuccess);
    EXPECT_TRUE(created);
    RegistryCloseKey(key);
    ASSERT_EQ(RegistryCreateKey(RegLocalMachine, u"SOFTWARE\\brevik", RegKeyAllAccess, &key, &created),
              RegSuccess);
    EXPECT_FALSE(created);

    const uint8_t first[] = {1};
    const uint8_t second[] = {2};
    ASSERT_EQ(RegistrySetValue(key, u"Attached", RegBinary, first, 1), RegSuccess);
    ASSERT_EQ(RegistrySetValue(key, u"ATTACHED", RegBinary, second, 1), RegSuccess);
    EXPECT_EQ(ValueNames(key), std::vector<std::u16string>{u"Attached"});
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
    ASSERT_EQ(RegistryReadValue(key, u"attached", &type, &bytes), RegSuccess);
    EXPECT_EQ(bytes, std::vector<uint8_t>{2});
    RegistryCloseKey(key);

    RegKey root = 0;
    ASSERT_EQ(RegistryOpenKey(RegLocalMachine, u"software", RegKeyRead, &root), RegSuccess);
    EXPECT_EQ(SubkeyNames(root), std::vector<std::u16string>{u"Brevik"});
    RegistryCloseKey(root);

    // Beyond ASCII, as the letters pair in their scripts; other characters match only themselves.
    struct Case
    {
        std::u16string_view stored;
        std::u16string_view asked;
        bool found;
    };
    const Case cases[] = {
        {u"Z\u00fcrich", u"Z\u00dcRICH", true},
        {u"\u0421\u0442\u0440\u0430\u043d\u0430", u"\u0421\u0422\u0420\u0410\u041d\u0410", true},
        {u"\u03a3\u03bf\u03c6\u03af\u03b1", u"\u03c3\u039f\u03a6\u03af\u0391", true},
        {u"\u0141\u00f3d\u017a", u"\u0142\u00d3D\u0179", true},
        {u"\u00ff", u"\u0178", true},
        {u"\u00e9", u"e", false},
        {u"\u6771", u"\u6772", false},
    };
    ASSERT_EQ(RegistryCreateKey(RegLocalMachine, u"Names", RegKeyAllAccess, &key), RegSuccess);
    for (const Case& c : cases)
    {
        ASSERT_EQ(RegistrySetValue(key, c.stored, RegBinary, first, 1), RegSuccess);
        uint32_t size = 0;
        EXPECT_EQ(RegistryQueryValue(key, c.asked, nullptr, nullptr, &size) == RegSuccess, c.found)
            << std::string(c.asked.begin(), c.asked.end());
    }
    RegistryCloseKey(key);
}

TEST_F(RegistryTests, AwkwardNamesSurviveAndValuesAndSubkeysMayShareAName)
{
    const std::u16string names[] = {u"a/b", u"50%", u".hidden", u"@at", u"Z\u00fcrich \u6771", u"tab\there"};
    RegKey key = 0;
    ASSERT_EQ(RegistryCreateKey(RegCurrentUser, u"Odd", RegKeyAllAccess, &key), RegSuccess);
    for (const std::u16string& name : names)
    {
        RegKey sub = 0;
        ASSERT_EQ(RegistryCreateKey(key, name, RegKeyAllAccess, &sub), RegSuccess);
        RegistryCloseKey(sub);
        ASSERT_EQ(RegistrySetValue(key, name, RegNone, nullptr, 0), RegSuccess);
    }
    auto sorted = [](std::vector<std::u16string> v)
    {
        std::sort(v.begin(), v.end());
        return v;
    };
    const std::vector<std::u16string> expected(std::begin(names), std::end(names));
    EXPECT_EQ(sorted(SubkeyNames(key)), sorted(expected));
    EXPECT_EQ(sorted(ValueNames(key)), sorted(expected));
    RegistryCloseKey(key);
}

TEST_F(RegistryTests, EnumerationIsInCaseInsensitiveOrderAndEndsWithNoMoreItems)
{
    RegKey key = 0;
    ASSERT_EQ(RegistryCreateKey(RegLocalMachine, u"Instances", RegKeyAllAccess, &key), RegSuccess);
    for (const char16_t* name : {u"b", u"C", u"a"})
    {
        RegKey sub = 0;
        ASSERT_EQ(RegistryCreateKey(key, name, RegKeyAllAccess, &sub), RegSuccess);
        RegistryCloseKey(sub);
        ASSERT_EQ(RegistrySetValue(key, name, RegDword, "\0\0\0\0", 4), RegSuccess);
    }
    const std::vector<std::u16string> expected = {u"a", u"b", u"C"};
    EXPECT_EQ(SubkeyNames(key), expected);
    EXPECT_EQ(ValueNames(key), expected);
    std::u16string name;
    uint32_t type = 0;
    EXPECT_EQ(RegistryEnumValue(key, 1, &name, &type), RegSuccess);
    EXPECT_EQ(type, RegDword);
    EXPECT_EQ(RegistryEnumKey(key, 3, &name), RegNoMoreItems);
    RegistryCloseKey(key);
}

TEST_F(RegistryTests, ErrorsAreReported)
{
    RegKey key = 0;
    EXPECT_EQ(RegistryOpenKey(RegLocalMachine, u"Missing\\Key", RegKeyRead, &key), RegFileNotFound);
    EXPECT_EQ(RegistryOpenKey(12345, u"", RegKeyRead, &key), RegInvalidHandle);
    EXPECT_EQ(RegistryDeleteKey(RegLocalMachine, u""), RegInvalidParameter);
    EXPECT_EQ(RegistryDeleteKey(RegLocalMachine, u"Missing"), RegFileNotFound);

    ASSERT_EQ(RegistryCreateKey(RegLocalMachine, u"Present", RegKeyAllAccess, &key), RegSuccess);
    uint32_t size = 0;
    EXPECT_EQ(RegistryQueryValue(key, u"Missing", nullptr, nullptr, &size), RegFileNotFound);
    EXPECT_EQ(RegistryDeleteValue(key, u"Missing"), RegFileNotFound);
    EXPECT_EQ(RegistrySetValue(key, u"Bad", RegBinary, nullptr, 4), RegInvalidParameter);
    EXPECT_EQ(RegistryCloseKey(key), RegSuccess);
    EXPECT_EQ(RegistryCloseKey(key), RegInvalidHandle);
    EXPECT_EQ(RegistryQueryValue(key, u"", nullptr, nullptr, &size), RegInvalidHandle);

    const std::u16string tooLong(300, u'x');
    EXPECT_EQ(RegistryCreateKey(RegLocalMachine, tooLong, RegKeyAllAccess, &key), RegInvalidParameter);
}

TEST_F(RegistryTests, AValueThatIsNoRegularFileCannotBeReadAndNothingWaitsForAWriter)
{
    const uint8_t placement[44] = {44};
    ASSERT_EQ(RegistryWriteBinary(RegCurrentUser, u"Software\\Window", u"WP", placement, sizeof placement),
              RegSuccess);
    const std::string valueFile = mRoot + "/HKEY_CURRENT_USER/Software/Window/@WP";
    ASSERT_EQ(::unlink(valueFile.c_str()), 0);
    const TestSupport::Fifo fifo(valueFile);
    ASSERT_TRUE(fifo.IsMade());

    RegKey key = 0;
    ASSERT_EQ(RegistryOpenKey(RegCurrentUser, u"Software\\Window", RegKeyRead, &key), RegSuccess);
    EXPECT_TRUE(fifo.EndsWithoutAWriter(
        [&]
        {
            uint8_t bytes[44] = {};
            uint32_t type = 0;
            uint32_t size = sizeof bytes;
            EXPECT_EQ(RegistryQueryValue(key, u"WP", &type, bytes, &size), RegCantRead);
            std::u16string name;
            EXPECT_EQ(RegistryEnumValue(key, 0, &name, &type), RegCantRead);
            EXPECT_EQ(name, u"WP");
        }));
    EXPECT_EQ(RegistryCloseKey(key), RegSuccess);
}

TEST_F(RegistryTests, DeletedKeyIsGoneWithItsTreeAndItsHandlesFail)
{
    ASSERT_EQ(RegistryWriteString(RegLocalMachine, u"Drv\\Dev\\Instances\\01", u"LastPath", u"\\\\?\\usb#1"),
              RegSuccess);
    ASSERT_EQ(RegistryWriteBinary(RegLocalMachine, u"Drv\\Dev\\Instances\\01\\Attached", u"", "\1", 1),
              RegSuccess);
    RegKey instance = 0;
    ASSERT_EQ(RegistryOpenKey(RegLocalMachine, u"Drv\\Dev\\Instances\\01", RegKeyRead, &instance),
              RegSuccess);

    EXPECT_EQ(RegistryDeleteKey(RegLocalMachine, u"drv\\DEV\\"), RegSuccess);
    RegKey reopened = 0;
    EXPECT_EQ(RegistryOpenKey(RegLocalMachine, u"Drv\\Dev", RegKeyRead, &reopened), RegFileNotFound);

    // A key made again under the same name is a new key: the old handle stays dead.
    ASSERT_EQ(RegistryWriteString(RegLocalMachine, u"Drv\\Dev\\Instances\\01", u"LastPath", u"new"),
              RegSuccess);
    uint32_t size = 0;
    std::u16string name;
    EXPECT_EQ(RegistryQueryValue(instance, u"LastPath", nullptr, nullptr, &size), RegKeyDeleted);
    EXPECT_EQ(RegistryEnumKey(instance, 0, &name), RegKeyDeleted);
    EXPECT_EQ(RegistrySetValue(instance, u"X", RegNone, nullptr, 0), RegKeyDeleted);
    RegKey child = 0;
    EXPECT_EQ(RegistryCreateKey(instance, u"Child", RegKeyAllAccess, &child), RegKeyDeleted);
    RegistryCloseKey(instance);

    RegKey drv = 0;
    ASSERT_EQ(RegistryOpenKey(RegLocalMachine, u"Drv", RegKeyRead, &drv), RegSuccess);
    EXPECT_EQ(SubkeyNames(drv), std::vector<std::u16string>{u"Dev"});
    RegistryCloseKey(drv);
}

TEST_F(RegistryTests, ValueWrittenByAnotherProcessIsRead)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        const int32_t result = RegistryWriteString(RegLocalMachine, kDriverKey, u"ProductCode", u"{ABC}");
        ::_exit(result == RegSuccess ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::u16string text;
    EXPECT_EQ(RegistryReadString(RegLocalMachine, kDriverKey, u"ProductCode", &text), RegSuccess);
    EXPECT_EQ(text, u"{ABC}");
}

TEST(RegistryRootTests, RootFollowsTheEnvironment)
{
    const char* saved = std::getenv("ZQ_REGISTRY_ROOT");
    const std::string keep = saved ? saved : "";
    ::setenv("ZQ_REGISTRY_ROOT", "/somewhere/reg", 1);
    EXPECT_EQ(RegistryRootFolder(), "/somewhere/reg");
    ::unsetenv("ZQ_REGISTRY_ROOT");
    ::setenv("XDG_STATE_HOME", "/state", 1);
    EXPECT_EQ(RegistryRootFolder(), "/state/zq-registry");
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_NE(RegistryRootFolder().find("/.local/state/zq-registry"), std::string::npos);
    if (saved)
        ::setenv("ZQ_REGISTRY_ROOT", keep.c_str(), 1);
}

using RegistryConcurrency = TestSupport::TempRegistry;

TEST_F(RegistryConcurrency, ReaderNeverSeesHalfAValue)
{
    const std::vector<uint8_t> small(8, 0x11);
    const std::vector<uint8_t> large(64 * 1024, 0x22);
    ASSERT_EQ(RegistryWriteBinary(RegCurrentUser, u"Busy", u"V", small.data(), small.size()), RegSuccess);
    std::atomic<bool> stop{false};
    std::thread writer(
        [&]
        {
            RegKey key = 0;
            ASSERT_EQ(RegistryOpenKey(RegCurrentUser, u"Busy", RegKeyAllAccess, &key), RegSuccess);
            for (int i = 0; i < 300; ++i)
            {
                const auto& bytes = (i % 2) ? large : small;
                ASSERT_EQ(
                    RegistrySetValue(key, u"V", RegBinary, bytes.data(), static_cast<uint32_t>(bytes.size())),
                    RegSuccess);
            }
            RegistryCloseKey(key);
            stop = true;
        });
    RegKey key = 0;
    ASSERT_EQ(RegistryOpenKey(RegCurrentUser, u"Busy", RegKeyRead, &key), RegSuccess);
    int reads = 0;
    while (!stop || reads == 0)
    {
        std::vector<uint8_t> bytes;
        uint32_t type = 0;
        ASSERT_EQ(RegistryReadValue(key, u"V", &type, &bytes), RegSuccess);
        ASSERT_TRUE(bytes == small || bytes == large) << bytes.size();
        ++reads;
    }
    writer.join();
    RegistryCloseKey(key);
}
