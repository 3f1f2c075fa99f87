#include "Simulator/Mixer.h"

#include "Platform/Midi/MidiPeer.h"
#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryValues.h"
#include "Platform/Text/Utf.h"

#include <cstdio>

namespace Simulator
{
namespace
{
using Platform::RegLocalMachine;

constexpr char16_t DriversKey[] = u"Software\\Brevik\\Audio\\Drivers\\{d58471f8-2a4c-4860-a699-48bfb73a6313}";
// Vendor 0x15E4, product 0x8007.
constexpr char16_t DeviceKeyName[] = u"01020304E415000007800000DECAFBAD";
constexpr char16_t UninstallRoot[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::u16string HexDigits(const std::array<uint8_t, 16>& bytes)
{
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text;
    for (const uint8_t byte : bytes)
    {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

// Instance ids sort in their index order, so instance 0 (the simulated device) is found first.
std::array<uint8_t, 16> InstanceId(uint32_t index)
{
    std::array<uint8_t, 16> id = {0x51, 0x33, 0x30, 0x30, 0x53, 0x50, 0x4C, 0x4E};
    id[12] = static_cast<uint8_t>((index + 1) >> 24);
    id[13] = static_cast<uint8_t>((index + 1) >> 16);
    id[14] = static_cast<uint8_t>((index + 1) >> 8);
    id[15] = static_cast<uint8_t>(index + 1);
    return id;
}

void DeleteValue(const std::u16string& keyPath, std::u16string_view name)
{
    Platform::RegKey key = 0;
    if (Platform::RegistryOpenKey(RegLocalMachine, keyPath, Platform::RegKeyAllAccess, &key) != 0)
        return;
    Platform::RegistryDeleteValue(key, name);
    Platform::RegistryCloseKey(key);
}

bool IsIdentityRequest(const std::vector<uint8_t>& bytes)
{
    return bytes.size() == 6 && bytes[0] == 0xF0 && bytes[1] == 0x7E && bytes[3] == 0x06 &&
           bytes[4] == 0x01 && bytes[5] == 0xF7;
}
} // namespace

Mixer::Mixer(MixerSettings settings)
    : mPeer(std::make_unique<Platform::MidiPeer>()), mSettings(std::move(settings))
{
    mDriver.SetUpdateControlHandler([this](bool on, size_t sessionBytes)
                                    { OnUpdateControl(on, sessionBytes); });
}

Mixer::~Mixer()
{
    Stop();
    mDriver.SetUpdateControlHandler(nullptr);
    mDriver.Stop();
    // Replies in flight use the peer: the scheduler ends first.
    mScheduler.Stop();
    mPeer.reset();
}

std::string Mixer::VersionText(const Version& version)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", version[0], version[1], version[2], version[3]);
    return text;
}

std::u16string Mixer::DriverKey()
{
    return DriversKey;
}

std::u16string Mixer::InstanceKey(uint32_t index)
{
    return std::u16string(DriversKey) + u"\\" + DeviceKeyName + u"\\Instances\\" +
           HexDigits(InstanceId(index));
}

std::u16string Mixer::UninstallKey(const std::u16string& productCode)
{
    return UninstallRoot + productCode;
}

std::vector<uint8_t> Mixer::IdentityReply(const Version& version)
{
    std::vector<uint8_t> reply(37, 0);
    const uint8_t head[] = {0xF0, 0x7E, 0x10, 0x06, 0x02, 0x00, 0x21, 0x5C, 0x33, 0x00, 0x01};
    std::copy(std::begin(head), std::end(head), reply.begin());
    std::copy(version.begin(), version.end(), reply.begin() + 11);
    reply[36] = 0xF7;
    return reply;
}

void Mixer::Start(bool plugged)
{
    std::lock_guard operation(mOperation);
    {
        std::lock_guard lock(mLock);
        mStarted = true;
    }
    WriteInstallEntries();
    WriteInstances();
    if (plugged)
        PlugLocked();
    else
        WriteAttached();
}

void Mixer::Stop()
{
    std::lock_guard operation(mOperation);
    std::optional<std::u16string> uninstallKey;
    {
        std::lock_guard lock(mLock);
        if (!mStarted)
            return;
        mStarted = false;
        uninstallKey = mWrittenUninstallKey;
        mWrittenUninstallKey.reset();
        mWrittenInstances = 0;
    }
    UnplugLocked();
    Platform::RegistryDeleteKey(RegLocalMachine, DriversKey);
    if (uninstallKey)
        Platform::RegistryDeleteKey(RegLocalMachine, *uninstallKey);
    mLog.Add("stop", 0, true, "");
}

std::string Mixer::Plug()
{
    std::lock_guard operation(mOperation);
    return PlugLocked();
}

void Mixer::SetProblemHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard lock(mLock);
    mProblemHandler = std::move(handler);
}

void Mixer::Unplug()
{
    std::lock_guard operation(mOperation);
    UnplugLocked();
}

std::string Mixer::PlugLocked()
{
    std::u16string name;
    std::u16string path;
    {
        std::lock_guard lock(mLock);
        if (mPlugged || !mStarted)
            return {};
        name = mSettings.portName;
        path = mSettings.lastPath;
    }
    std::vector<std::string> problems;
    const bool listening = mDriver.Listen(path);
    if (!listening)
        problems.push_back("driver socket could not be made");
    const auto publish = [&](bool input)
    {
        std::error_code error;
        const auto port = input ? mPeer->PublishInput(name, error) : mPeer->PublishOutput(name, error);
        if (port == 0)
            problems.push_back(std::string("MIDI ") + (input ? "input" : "output") + " port \"" +
                               Platform::Utf16ToUtf8(name) + "\" could not be published in " +
                               mPeer->Folder() + ": " + error.message());
        return port;
    };
    const auto input = publish(true);
    const auto output = publish(false);
    mPeer->SetHandler(output, [this](const Platform::MidiPeerMessage& message)
                      { OnMidiMessage(message.sysEx, message.bytes); });
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard lock(mLock);
        mPlugged = true;
        mInputPort = input;
        mOutputPort = output;
        handler = mProblemHandler;
    }
    WriteAttached();
    std::string problem;
    for (const auto& text : problems)
        problem += (problem.empty() ? "" : "; ") + text;
    mLog.Add("plug", 0, problems.empty(), problem);
    if (handler)
        for (const auto& text : problems)
            handler(text);
    return problem;
}

void Mixer::UnplugLocked()
{
    uint32_t input = 0;
    uint32_t output = 0;
    {
        std::lock_guard lock(mLock);
        if (!mPlugged)
            return;
        mPlugged = false;
        input = std::exchange(mInputPort, 0);
        output = std::exchange(mOutputPort, 0);
    }
    // The device goes first, then the driver notices and updates its entries.
    mDriver.Stop();
    mPeer->Unpublish(input);
    mPeer->Unpublish(output);
    WriteAttached();
    mLog.Add("unplug", 0, true, "");
}

bool Mixer::IsPlugged() const
{
    std::lock_guard lock(mLock);
    return mPlugged;
}

void Mixer::WriteInstallEntries()
{
    std::optional<std::u16string> productCode;
    std::optional<std::u16string> driverVersion;
    std::optional<std::u16string> oldUninstallKey;
    {
        std::lock_guard lock(mLock);
        if (!mStarted)
            return;
        productCode = mSettings.productCode;
        driverVersion = mSettings.driverVersion;
        oldUninstallKey = mWrittenUninstallKey;
    }
    if (productCode)
        (void)Platform::RegistryWriteString(RegLocalMachine, DriversKey, u"ProductCode", *productCode);
    else
        DeleteValue(DriversKey, u"ProductCode");

    // Without a product code the version still sits under the default code, where nobody finds it.
    const std::u16string uninstallKey = UninstallKey(productCode.value_or(*MixerSettings{}.productCode));
    if (oldUninstallKey && *oldUninstallKey != uninstallKey)
        Platform::RegistryDeleteKey(RegLocalMachine, *oldUninstallKey);
    if (driverVersion)
        (void)Platform::RegistryWriteString(RegLocalMachine, uninstallKey, u"DisplayVersion", *driverVersion);
    else
        DeleteValue(uninstallKey, u"DisplayVersion");
    std::lock_guard lock(mLock);
    mWrittenUninstallKey = uninstallKey;
}

void Mixer::WriteInstances()
{
    uint32_t count = 0;
    uint32_t written = 0;
    std::u16string lastPath;
    {
        std::lock_guard lock(mLock);
        if (!mStarted)
            return;
        count = mSettings.instanceCount;
        written = mWrittenInstances;
        lastPath = mSettings.lastPath;
        mWrittenInstances = count;
    }
    for (uint32_t i = count; i < written; ++i)
        Platform::RegistryDeleteKey(RegLocalMachine, InstanceKey(i));
    for (uint32_t i = 0; i < count; ++i)
    {
        const std::u16string path =
            i == 0 ? lastPath : lastPath + u"#" + Platform::Utf8ToUtf16(std::to_string(i));
        (void)Platform::RegistryWriteString(RegLocalMachine, InstanceKey(i), u"LastPath", path);
    }
    WriteAttached();
}

void Mixer::WriteAttached()
{
    uint32_t count = 0;
    bool plugged = false;
    AttachedMode mode = AttachedMode::FollowPresence;
    std::vector<uint8_t> fixed;
    {
        std::lock_guard lock(mLock);
        if (!mStarted)
            return;
        count = mSettings.instanceCount;
        plugged = mPlugged;
        mode = mSettings.attachedMode;
        fixed = mSettings.attachedBytes;
    }
    const uint8_t presence = plugged ? 1 : 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const std::u16string key = InstanceKey(i) + u"\\Attached";
        if (i == 0 && mode == AttachedMode::Missing)
        {
            Platform::RegKey created = 0;
            if (Platform::RegistryCreateKey(RegLocalMachine, key, Platform::RegKeyAllAccess, &created) == 0)
                Platform::RegistryCloseKey(created);
            DeleteValue(key, u"");
        }
        else if (i == 0 && mode == AttachedMode::Fixed)
        {
            (void)Platform::RegistryWriteBinary(RegLocalMachine, key, u"", fixed.data(), fixed.size());
        }
        else
        {
            (void)Platform::RegistryWriteBinary(RegLocalMachine, key, u"", &presence, 1);
        }
    }
}

void Mixer::SetMode(DeviceMode mode)
{
    std::lock_guard lock(mLock);
    mSettings.mode = mode;
}

void Mixer::SetVersion(const Version& version)
{
    std::lock_guard lock(mLock);
    mSettings.version = version;
}

void Mixer::SetReplyDelay(Platform::Duration delay)
{
    std::lock_guard lock(mLock);
    mSettings.replyDelay = delay;
}

void Mixer::SetRawReply(std::optional<std::vector<uint8_t>> bytes)
{
    std::lock_guard lock(mLock);
    mSettings.rawReply = std::move(bytes);
}

void Mixer::SetDriverVersion(std::optional<std::u16string> version)
{
    std::lock_guard operation(mOperation);
    {
        std::lock_guard lock(mLock);
        mSettings.driverVersion = std::move(version);
    }
    WriteInstallEntries();
}

void Mixer::SetProductCode(std::optional<std::u16string> code)
{
    std::lock_guard operation(mOperation);
    {
        std::lock_guard lock(mLock);
        mSettings.productCode = std::move(code);
    }
    WriteInstallEntries();
}

void Mixer::SetInstanceCount(uint32_t count)
{
    std::lock_guard operation(mOperation);
    {
        std::lock_guard lock(mLock);
        mSettings.instanceCount = count;
    }
    WriteInstances();
}

void Mixer::SetAttached(AttachedMode mode, std::vector<uint8_t> bytes)
{
    std::lock_guard operation(mOperation);
    {
        std::lock_guard lock(mLock);
        mSettings.attachedMode = mode;
        mSettings.attachedBytes = std::move(bytes);
    }
    WriteAttached();
}

void Mixer::SetLastPath(std::u16string path)
{
    std::lock_guard operation(mOperation);
    bool replug = false;
    {
        std::lock_guard lock(mLock);
        mSettings.lastPath = std::move(path);
        replug = mPlugged;
    }
    // The driver's socket follows the path the registry names.
    if (replug)
    {
        mDriver.Stop();
        std::lock_guard lock(mLock);
        mDriver.Listen(mSettings.lastPath);
    }
    WriteInstances();
}

void Mixer::SetRebootDelay(Platform::Duration delay)
{
    std::lock_guard lock(mLock);
    mSettings.rebootDelay = delay;
}

void Mixer::SetNewVersion(const Version& version)
{
    std::lock_guard lock(mLock);
    mSettings.newVersion = version;
}

void Mixer::SetImageSize(size_t size)
{
    std::lock_guard lock(mLock);
    mSettings.imageSize = size;
}

void Mixer::Reset()
{
    std::lock_guard operation(mOperation);
    bool started = false;
    {
        std::lock_guard lock(mLock);
        started = mStarted;
    }
    Stop();
    mDriver.ResetBehaviour();
    {
        std::lock_guard lock(mLock);
        mSettings = MixerSettings{};
        mRebooting = false;
        mRebootCount = 0;
    }
    mLog.Clear();
    if (started)
        Start(true);
}

MixerSettings Mixer::Settings() const
{
    std::lock_guard lock(mLock);
    return mSettings;
}

uint32_t Mixer::RebootCount() const
{
    std::lock_guard lock(mLock);
    return mRebootCount;
}

void Mixer::OnMidiMessage(bool sysEx, const std::vector<uint8_t>& bytes)
{
    if (!sysEx || !IsIdentityRequest(bytes))
    {
        mLog.Add("midi", 0, true,
                 std::string(sysEx ? "sysex" : "short") + " count=" + std::to_string(bytes.size()));
        return;
    }
    std::lock_guard lock(mLock);
    if (mSettings.mode != DeviceMode::Normal)
    {
        mLog.Add("identity", 0, false, "silent in update mode");
        return;
    }
    const auto reply = mSettings.rawReply.value_or(IdentityReply(mSettings.version));
    const std::string detail = mSettings.rawReply ? "raw reply" : "version " + VersionText(mSettings.version);
    mLog.Add("identity", 0, true, detail);
    mScheduler.PostAfter(mSettings.replyDelay,
                         [this, reply, detail]
                         {
                             uint32_t input = 0;
                             {
                                 std::lock_guard lock(mLock);
                                 input = mPlugged ? mInputPort : 0;
                             }
                             const size_t reached = input ? mPeer->SendSysEx(input, reply) : 0;
                             mLog.Add("reply", 0, reached > 0,
                                      detail + " count=" + std::to_string(reply.size()));
                         });
}

void Mixer::OnUpdateControl(bool on, size_t sessionBytes)
{
    if (on)
        return;
    // An update cut short (aborted, or the device gone) leaves the device waiting in update mode.
    const auto firmware = mDriver.Firmware();
    std::lock_guard lock(mLock);
    const bool endsAsSysEx = sessionBytes > 0 && !firmware.empty() && firmware.back() == 0xF7;
    const bool complete =
        sessionBytes > 0 && (mSettings.imageSize == 0 ? endsAsSysEx : sessionBytes == mSettings.imageSize);
    mLog.Add("image", 0, complete,
             "count=" + std::to_string(sessionBytes) + (complete ? " complete" : " incomplete"));
    if (!complete || mRebooting)
        return;
    mRebooting = true;
    // Not on the driver's thread: unplugging stops the driver, which waits for that thread.
    mScheduler.PostAfter({}, [this] { Reboot(); });
}

void Mixer::Reboot()
{
    Platform::Duration delay{};
    {
        std::lock_guard operation(mOperation);
        {
            std::lock_guard lock(mLock);
            if (!mRebooting || !mStarted)
                return;
            delay = mSettings.rebootDelay;
        }
        mLog.Add("reboot", 0, true, "");
        UnplugLocked();
    }
    mScheduler.PostAfter(delay,
                         [this]
                         {
                             std::lock_guard operation(mOperation);
                             {
                                 std::lock_guard lock(mLock);
                                 if (!mRebooting || !mStarted)
                                     return;
                                 mRebooting = false;
                                 ++mRebootCount;
                                 mSettings.version = mSettings.newVersion;
                                 mSettings.mode = DeviceMode::Normal;
                             }
                             PlugLocked();
                         });
}
} // namespace Simulator
