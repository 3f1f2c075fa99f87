#include "Support/SimulatorFixture.h"
#include "Support/WaitFor.h"

#include "Panel/Engine/AudioDriverInterface.h"
#include "Panel/Engine/BrevikDriverDevice.h"
#include "Panel/Engine/BrevikDriverDiscovery.h"
#include "Platform/Registry/RegistryValues.h"

#include <atomic>
#include <gtest/gtest.h>

namespace
{
using Platform::RegLocalMachine;

const std::u16string kDriverName = u"{d58471f8-2a4c-4860-a699-48bfb73a6313}";
constexpr BrevikInstanceId kAnyInstance{};

std::u16string DeviceKey(const std::u16string& name = u"01020304E415000007800000DECAFBAD")
{
    return BrevikDriverKeyPath(kDriverName) + u"\\" + name;
}

void WriteInstance(const std::u16string& deviceKey, const std::u16string& instance,
                   std::vector<uint8_t> attached = {1})
{
    const auto key = deviceKey + u"\\Instances\\" + instance;
    ASSERT_EQ(Platform::RegistryWriteString(RegLocalMachine, key, u"LastPath", u"/dev/none"), 0);
    ASSERT_EQ(Platform::RegistryWriteBinary(RegLocalMachine, key + u"\\Attached", u"", attached.data(),
                                            attached.size()),
              0);
}

std::u16string InstanceName(int n)
{
    BrevikInstanceId id{};
    id[15] = static_cast<uint8_t>(n);
    return BrevikBytesToHex(id);
}

class DriverDiscoveryTests : public ::testing::Test
{
protected:
    TestSupport::TempEnvironment environment;
};

TEST(DriverNamesTests, DeviceKeyNamesAndHexDigits)
{
    EXPECT_EQ(BrevikDeviceKeyName(0x15E4, 0x8007), u"01020304E415000007800000DECAFBAD");
    int32_t vendor = 0;
    int32_t product = 0;
    EXPECT_TRUE(ParseBrevikDeviceKeyName(u"01020304E415000007800000DECAFBAD", &vendor, &product));
    EXPECT_EQ(vendor, 0x15E4);
    EXPECT_EQ(product, 0x8007);
    EXPECT_FALSE(ParseBrevikDeviceKeyName(u"01020304E415000007800000decafbad", nullptr, nullptr));
    EXPECT_FALSE(ParseBrevikDeviceKeyName(u"01020304E415000007800000DECAFBA", nullptr, nullptr));

    BrevikInstanceId bytes{};
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 17 + 10);
    const auto text = BrevikBytesToHex(bytes);
    EXPECT_EQ(text.substr(0, 6), u"0A1B2C");
    EXPECT_EQ(BrevikHexToBytes(text), bytes);
    // Lower case reads as digits; anything else as 0.
    const auto parsed = BrevikHexToBytes(u"ab" + std::u16string(u"zZ") + std::u16string(28, u'0'));
    EXPECT_EQ(parsed[0], 0xAB);
    EXPECT_EQ(parsed[1], 0x00);

    const auto header =
        MakeBrevikRequestHeader({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, 0x10, 2);
    EXPECT_EQ(header[0], 1);
    EXPECT_EQ(header[15], 16);
    EXPECT_EQ(header[16], 0x10);
    EXPECT_EQ(header[17], 0);
    EXPECT_EQ(header[20], 2);
}

TEST_F(DriverDiscoveryTests, EnumerationSkipsForeignKeysAndBadInstanceNames)
{
    WriteInstance(DeviceKey(), InstanceName(1));
    WriteInstance(DeviceKey(), InstanceName(2), {1, 0});
    WriteInstance(DeviceKey(), InstanceName(3).substr(1)); // 31 characters
    WriteInstance(DeviceKey(), InstanceName(4) + u"0");    // 33 characters
    // Names are found without regard to case, so the lower-case key is another model's.
    WriteInstance(DeviceKey(u"01020304E415000008800000decafbad"), InstanceName(5));
    WriteInstance(DeviceKey(u"Other"), InstanceName(6));
    WriteInstance(DeviceKey(u"0102030411110000222200000DECAFBAD"), InstanceName(7)); // 33 characters

    BrevikDriverDeviceInfo records[4];
    uint32_t count = 0;
    uint32_t total = 0;
    EnumerateDriverInstances(kDriverName, records, 4, count, total);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(total, 2u);
    EXPECT_EQ(records[0].driverName, kDriverName);
    EXPECT_EQ(records[0].vendorId, 0x15E4);
    EXPECT_EQ(records[0].productId, 0x8007);
    EXPECT_EQ(records[0].instanceId[15], 1);
    EXPECT_TRUE(records[0].attached);
    EXPECT_FALSE(records[1].attached);

    EnumerateDriverInstances(kDriverName, nullptr, 0, count, total);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(total, 2u);
    EnumerateDriverInstances(u"{no such driver}", records, 4, count, total);
    EXPECT_EQ(total, 0u);
}

TEST_F(DriverDiscoveryTests, AttachedStateNeedsABinaryValueEndingInNonZero)
{
    struct Case
    {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> bytes;
        bool attached;
    };
    const Case cases[] = {
        {"one byte 01", Platform::RegBinary, {1}, true},
        {"ends in 01", Platform::RegBinary, {0, 0, 1}, true},
        {"ends in 00", Platform::RegBinary, {1, 0}, false},
        {"empty", Platform::RegBinary, {}, false},
        {"a DWORD", Platform::RegDword, {1, 0, 0, 1}, false},
        {"32 bytes", Platform::RegBinary, std::vector<uint8_t>(32, 1), true},
        {"33 bytes", Platform::RegBinary, std::vector<uint8_t>(33, 1), false},
    };
    const auto key = DeviceKey() + u"\\Instances\\" + InstanceName(1) + u"\\Attached";
    for (const auto& c : cases)
    {
        Platform::RegKey handle = 0;
        ASSERT_EQ(Platform::RegistryCreateKey(RegLocalMachine, key, Platform::RegKeyAllAccess, &handle), 0);
        ASSERT_EQ(Platform::RegistrySetValue(handle, u"", c.type, c.bytes.data(),
                                             static_cast<uint32_t>(c.bytes.size())),
                  0);
        EXPECT_EQ(ReadBrevikAttachedState(handle), c.attached) << c.what;
        Platform::RegistryCloseKey(handle);
    }
    Platform::RegKey handle = 0;
    ASSERT_EQ(Platform::RegistryOpenKey(RegLocalMachine, key, Platform::RegKeyRead, &handle), 0);
    Platform::RegistryDeleteValue(handle, u"");
    EXPECT_FALSE(ReadBrevikAttachedState(handle)) << "no value";
    Platform::RegistryCloseKey(handle);
}

TEST_F(DriverDiscoveryTests, LastPathIsReadWithinItsStoredSize)
{
    const auto key = DeviceKey() + u"\\Instances\\" + InstanceName(1);
    Platform::RegKey handle = 0;
    ASSERT_EQ(Platform::RegistryCreateKey(RegLocalMachine, key, Platform::RegKeyAllAccess, &handle), 0);
    std::u16string path;

    // No terminator: only the stored bytes count.
    const uint8_t unterminated[] = {'/', 0, 'a', 0};
    ASSERT_EQ(Platform::RegistrySetValue(handle, u"LastPath", Platform::RegSz, unterminated, 4), 0);
    EXPECT_TRUE(ReadBrevikLastPath(handle, path));
    EXPECT_EQ(path, u"/a");

    ASSERT_EQ(Platform::RegistryWriteString(RegLocalMachine, key, u"LastPath", std::u16string(259, u'x')), 0);
    EXPECT_TRUE(ReadBrevikLastPath(handle, path));
    EXPECT_EQ(path.size(), 259u);
    ASSERT_EQ(Platform::RegistryWriteString(RegLocalMachine, key, u"LastPath", std::u16string(260, u'x')), 0);
    EXPECT_FALSE(ReadBrevikLastPath(handle, path));
    ASSERT_EQ(Platform::RegistryWriteDword(RegLocalMachine, key, u"LastPath", 7), 0);
    EXPECT_FALSE(ReadBrevikLastPath(handle, path));
    Platform::RegistryCloseKey(handle);
}

TEST_F(DriverDiscoveryTests, FindTakesTheFirstAttachedMatchAndGrowsItsRoom)
{
    // Nine attached instances: only the ninth is asked for, so the search must widen past eight records.
    for (int i = 1; i <= 9; ++i)
        WriteInstance(DeviceKey(), InstanceName(i));
    BrevikInstanceId ninth{};
    ninth[15] = 9;
    BrevikDriverDeviceInfo record;
    ASSERT_EQ(FindDriverDevice(0, record, kDriverName, 0x15E4, 0x8007, ninth), kFindDriverDeviceFound);
    EXPECT_EQ(record.instanceId, ninth);

    ASSERT_EQ(FindDriverDevice(0, record, kDriverName, -1, -1, kAnyInstance), kFindDriverDeviceFound);
    EXPECT_EQ(record.instanceId[15], 1);
    EXPECT_EQ(FindDriverDevice(0, record, kDriverName, 0x15E4, 0x8008, kAnyInstance),
              kFindDriverDeviceNotFound);
}

TEST_F(DriverDiscoveryTests, DetachedInstanceIsNotFoundWithinTheWait)
{
    WriteInstance(DeviceKey(), InstanceName(1), {1, 0});
    BrevikDriverDeviceInfo record;
    EXPECT_EQ(FindDriverDevice(50, record, kDriverName, 0x15E4, 0x8007, kAnyInstance),
              kFindDriverDeviceNotFound);
}

TEST_F(DriverDiscoveryTests, FindSeesAnInstanceThatAttachesWhileItWaits)
{
    WriteInstance(DeviceKey(), InstanceName(1), {0});
    std::thread attach(
        [&]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            WriteInstance(DeviceKey(), InstanceName(1), {1});
        });
    BrevikDriverDeviceInfo record;
    EXPECT_EQ(FindDriverDevice(10000, record, kDriverName, 0x15E4, 0x8007, kAnyInstance),
              kFindDriverDeviceFound);
    attach.join();
}

// The simulated device and its driver.
class DriverDeviceTests : public TestSupport::SimulatorTestBase
{
protected:
    BrevikDriverDeviceInfo Find()
    {
        BrevikDriverDeviceInfo record;
        EXPECT_EQ(FindDriverDevice(50, record, kDriverName, 0x15E4, 0x8007, kAnyInstance), 0);
        return record;
    }
};

TEST_F(DriverDeviceTests, UpdateRequestSwitchesTheDriversUpdateHandling)
{
    const auto record = Find();
    ASSERT_TRUE(SetDriverUpdateRequest(record, true));
    EXPECT_TRUE(mixer->Driver().IsUpdateControlOn());
    ASSERT_TRUE(SetDriverUpdateRequest(record, false));
    EXPECT_FALSE(mixer->Driver().IsUpdateControlOn());
    // The simulated driver sees the close on its own thread.
    EXPECT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().OpenHandleCount() == 0; }))
        << "the handle is closed again";

    mixer->Driver().FailAfter(16, 0);
    EXPECT_FALSE(SetDriverUpdateRequest(record, true));
    mixer->Driver().ClearFailures();
    ASSERT_EQ(Platform::RegistryWriteString(RegLocalMachine, Simulator::Mixer::InstanceKey(0), u"LastPath",
                                            u"/no/such/device"),
              0);
    EXPECT_FALSE(SetDriverUpdateRequest(record, true));
}

struct RecordingReceiver : BrevikDeviceAttachedStateCallbackReceiver
{
    void OnAttachedStateChanged(bool attached, BrevikDriverDevice& device) override
    {
        last = attached ? 1 : 0;
        open = device.IsOpen();
        ++calls;
    }
    std::atomic<int> last{-1};
    std::atomic<bool> open{false};
    std::atomic<int> calls{0};
};

TEST_F(DriverDeviceTests, ControlNeedsAnOpenDevice)
{
    BrevikDriverDevice device(Find());
    EXPECT_FALSE(device.IsOpen());
    uint8_t value[4] = {1, 0, 0, 0};
    const auto header = MakeBrevikRequestHeader(AudioDriverInterface::kUpdateControlInterface, 16, 2);
    const size_t before = mixer->Log().Find("request").size();
    EXPECT_FALSE(device.Control(0x2F0003, header.data(), 24, value, 4, nullptr));
    EXPECT_EQ(mixer->Log().Find("request").size(), before) << "no driver call without an open device";

    ASSERT_TRUE(device.Open());
    EXPECT_TRUE(device.Open()) << "already open";
    EXPECT_TRUE(device.Control(0x2F0003, header.data(), 24, value, 4, nullptr));
    EXPECT_TRUE(mixer->Driver().IsUpdateControlOn());
}

TEST_F(DriverDeviceTests, WatcherFollowsDetachAndAttach)
{
    BrevikDriverDevice device(Find());
    RecordingReceiver receiver;
    device.SetAttachedCallback(&receiver);
    EXPECT_EQ(receiver.last, 1) << "the current state is reported at once";
    ASSERT_TRUE(device.Open());

    mixer->Unplug();
    ASSERT_TRUE(TestSupport::WaitFor([&] { return receiver.last == 0; }));
    EXPECT_FALSE(device.IsOpen()) << "a detach closes the device";
    EXPECT_FALSE(device.Open()) << "a detached instance does not open";

    mixer->Plug();
    ASSERT_TRUE(TestSupport::WaitFor([&] { return receiver.last == 1; }));
    EXPECT_TRUE(device.Open());
    device.SetAttachedCallback(nullptr);
}

TEST_F(DriverDeviceTests, WatcherFollowsAnInstanceWrittenAnew)
{
    BrevikDriverDevice device(Find());
    RecordingReceiver receiver;
    device.SetAttachedCallback(&receiver);
    mixer->Stop(); // removes every entry, the instance's key with it
    ASSERT_TRUE(TestSupport::WaitFor([&] { return receiver.last == 0; }));
    mixer->Start();
    ASSERT_TRUE(TestSupport::WaitFor([&] { return receiver.last == 1; }));
    EXPECT_TRUE(device.Open());
    device.SetAttachedCallback(nullptr);
}
} // namespace
