#include "Support/TempRegistry.h"

#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryValues.h"
#include "ZQFramework/System/RegistryKey.h"
#include "ZQFramework/Utilities/Storage/VariantEx.h"

#include <cstring>
#include <vector>

using namespace ZQ;

namespace
{
constexpr char16_t kDriverPath[] =
    u"Software\\Brevik\\Audio\\Drivers\\{d58471f8-2a4c-4860-a699-48bfb73a6313}";

std::vector<uint8_t> PackedInt32(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    return {16,
            0,
            0,
            0,
            1,
            0,
            0,
            0,
            6,
            0,
            0,
            0,
            static_cast<uint8_t>(v),
            static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

std::u16string Text(const VariantEx& value)
{
    const WString text = value.ToString();
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}

class RegistryKeyTests : public TestSupport::TempRegistry
{
protected:
    void Write(const char16_t* name, uint32_t type, const std::vector<uint8_t>& bytes)
    {
        Platform::RegKey key = 0;
        ASSERT_EQ(Platform::RegistryCreateKey(Platform::RegLocalMachine, kDriverPath, 0, &key), 0);
        ASSERT_EQ(
            Platform::RegistrySetValue(key, name, type, bytes.data(), static_cast<uint32_t>(bytes.size())),
            0);
        Platform::RegistryCloseKey(key);
    }
};
} // namespace

TEST_F(RegistryKeyTests, ReadsStringsAsTextAndOtherTypesAsPackedRecords)
{
    Write(u"DisplayVersion", Platform::RegSz, Platform::RegistryStringBytes(u"1.0.5"));
    Write(u"NoTerminator", Platform::RegSz, {'a', 0, 'b', 0, 'c', 0});
    Write(u"EarlyZero", Platform::RegSz, {'a', 0, 'b', 0, 0, 0, 'c', 0, 0, 0});
    Write(u"Packed", Platform::RegBinary, PackedInt32(-2));
    const RCPtr<LRegistryKey> key = LRegistryKey::Create(LRegistryKey::kLocalMachine, kDriverPath, 0);

    struct Case
    {
        const char16_t* name;
        uint32_t kind;
        std::u16string text;
    };
    const Case cases[] = {
        {u"DisplayVersion", 15, u"1.0.5"}, {u"displayversion", 15, u"1.0.5"},  {u"NoTerminator", 15, u"abc"},
        {u"EarlyZero", 15, u"ab"},         {u"Packed", 6, u"-2 (0xFFFFFFFE)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
        VariantEx value;
        ASSERT_EQ(key->QueryValue(c.name, value), S_OK);
        EXPECT_EQ(value.GetKind(), c.kind);
        EXPECT_EQ(Text(value), c.text);
    }
}

TEST_F(RegistryKeyTests, FailuresGiveEFail)
{
    Write(u"Dword", Platform::RegDword, {5, 0, 0, 0});
    Write(u"BadRecord", Platform::RegBinary, {16, 0, 0, 0, 9, 0, 0, 0, 6, 0, 0, 0, 1, 0, 0, 0});
    Write(u"ShortInt", Platform::RegBinary, {13, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0, 7});
    const RCPtr<LRegistryKey> key = LRegistryKey::Create(LRegistryKey::kLocalMachine, kDriverPath, 1);

    VariantEx value;
    value.SetString("kept");
    EXPECT_EQ(key->QueryValue(u"Missing", value), E_FAIL);
    EXPECT_EQ(Text(value), u"kept") << "a missing value leaves the variant as it was";
    EXPECT_EQ(key->QueryValue(u"Dword", value), E_FAIL) << "four raw bytes are no packed record";
    EXPECT_EQ(key->QueryValue(u"BadRecord", value), E_FAIL);
    EXPECT_EQ(key->QueryValue(u"ShortInt", value), E_FAIL) << "a 32-bit integer record with one byte";
    EXPECT_EQ(Text(value), u"kept") << "bytes that fail to unpack leave the variant as it was";

    const RCPtr<LRegistryKey> badRoot = LRegistryKey::Create(7, kDriverPath, 0);
    EXPECT_EQ(badRoot->Open(), E_FAIL);
    EXPECT_EQ(badRoot->QueryValue(u"Dword", value), E_FAIL);
    const RCPtr<LRegistryKey> missing =
        LRegistryKey::Create(LRegistryKey::kLocalMachine, u"Software\\Nothing", 0);
    EXPECT_EQ(missing->Open(), E_FAIL);
    EXPECT_EQ(missing->QueryValue(u"Dword", value), E_FAIL);
}

TEST_F(RegistryKeyTests, OpenKeepsTheKeyWhileQueriesAloneReopenItEachTime)
{
    Write(u"ProductCode", Platform::RegSz, Platform::RegistryStringBytes(u"{OLD}"));
    const RCPtr<LRegistryKey> kept = LRegistryKey::Create(LRegistryKey::kLocalMachine, kDriverPath, 0);
    const RCPtr<LRegistryKey> fresh = LRegistryKey::Create(LRegistryKey::kLocalMachine, kDriverPath, 0);
    EXPECT_EQ(kept->Open(), S_OK);
    EXPECT_EQ(kept->Open(), S_FALSE);
    VariantEx value;
    ASSERT_EQ(fresh->QueryValue(u"ProductCode", value), S_OK);

    // The driver is reinstalled: its key is deleted and made again.
    ASSERT_EQ(Platform::RegistryDeleteKey(Platform::RegLocalMachine, kDriverPath), 0);
    Write(u"ProductCode", Platform::RegSz, Platform::RegistryStringBytes(u"{NEW}"));

    EXPECT_EQ(kept->QueryValue(u"ProductCode", value), E_FAIL) << "the open key is the deleted one";
    ASSERT_EQ(fresh->QueryValue(u"ProductCode", value), S_OK);
    EXPECT_EQ(Text(value), u"{NEW}");
}
