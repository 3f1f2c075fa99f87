#include "Support/InterruptedWriter.h"
#include "Support/TempRegistry.h"

#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryValues.h"

#include <filesystem>
#include <iterator>
#include <vector>

using namespace Platform;

namespace
{
size_t EntryCount(const std::string& folder)
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}
} // namespace

using RegistryTemporaryFilesTests = TestSupport::TempRegistry;

TEST_F(RegistryTemporaryFilesTests, TemporaryOfAKilledWriterIsRemovedByTheNextWriteToItsKey)
{
    const std::vector<uint8_t> big(10000, 0xAB);
    for (const char16_t* key : {u"Software\\Written", u"Software\\Other"})
    {
        ASSERT_EQ(RegistryWriteDword(RegCurrentUser, key, u"Keep", 1), RegSuccess);
        TestSupport::InterruptedWriter killed(
            [&] { (void)RegistryWriteBinary(RegCurrentUser, key, u"Big", big.data(), big.size()); }, false);
    }
    const std::string written = mRoot + "/HKEY_CURRENT_USER/Software/Written";
    const std::string other = mRoot + "/HKEY_CURRENT_USER/Software/Other";
    ASSERT_EQ(EntryCount(written), 2u) << "the value and the killed writer's temporary file";

    ASSERT_EQ(RegistryWriteDword(RegCurrentUser, u"Software\\Written", u"Keep", 2), RegSuccess);
    EXPECT_EQ(EntryCount(written), 1u);
    EXPECT_EQ(EntryCount(other), 2u) << "another key's leftover waits for a write to that key";
    uint32_t value = 0;
    EXPECT_EQ(RegistryReadDword(RegCurrentUser, u"Software\\Written", u"Keep", &value), RegSuccess);
    EXPECT_EQ(value, 2u);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(RegistryReadBinary(RegCurrentUser, u"Software\\Written", u"Big", &bytes), RegFileNotFound);
}
