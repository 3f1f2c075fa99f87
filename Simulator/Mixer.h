#pragma once

#include "Platform/Clock/Clock.h"
#include "Platform/Midi/Forward.h"
#include "Simulator/RequestLog.h"
#include "Simulator/Scheduler.h"
#include "Simulator/SimulatedDriver.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Simulator
{
// Four firmware version bytes: major, minor, patch, build, as the identity reply carries them.
using Version = std::array<uint8_t, 4>;

enum class DeviceMode
{
    Normal, // answers the identity request
    Update, // ports present, silent
};

// How instance 0's "Attached" value is written.
enum class AttachedMode
{
    FollowPresence, // 01 while plugged, 00 while not
    Fixed,          // the given bytes, whatever the presence
    Missing,        // no value at all
};

struct MixerSettings
{
    std::u16string portName = u"Tavrin DJ Q3300 Splen";
    Version version = {1, 1, 5, 7};
    Version newVersion = {1, 2, 0, 1}; // what the device runs after a complete update
    DeviceMode mode = DeviceMode::Normal;
    Platform::Duration replyDelay = std::chrono::milliseconds(5);
    std::optional<std::vector<uint8_t>> rawReply; // sent instead of the identity reply when set
    std::optional<std::u16string> driverVersion = u"1.0.5";
    std::optional<std::u16string> productCode = u"{6A3C1E42-8B7D-4F19-A2E5-3D0C9B8F7A61}";
    uint32_t instanceCount = 1;
    AttachedMode attachedMode = AttachedMode::FollowPresence;
    std::vector<uint8_t> attachedBytes; // for AttachedMode::Fixed
    std::u16string lastPath =
        u"\\\\?\\usb#vid_15e4&pid_8007#q3300splen#{a0634132-2f7f-4fda-93ba-ea6d7d1bdd0d}";
    Platform::Duration rebootDelay = std::chrono::milliseconds(1000);
    // The size of a complete image; 0: a complete image is one that ends with F7, as a SysEx image does.
    size_t imageSize = 0;
};

// The "Tavrin DJ Q3300 Splen" and its driver, simulated: its MIDI ports (through Platform/Midi's socket
// peer), its identity reply, the driver's registry entries (through Platform/Registry) and the driver's
// private channel (SimulatedDriver). After a complete image and update control switched off it reboots:
// its ports vanish for the reboot delay and it comes back in normal mode with the new version.
// Owned by the program or a test; every call may come from any thread.
class Mixer
{
public:
    explicit Mixer(MixerSettings settings = {});
    ~Mixer(); // Stop()
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Writes the driver's installation entries and the device instances, then plugs unless told not to.
    void Start(bool plugged = true);
    // Unplugs and removes every socket and registry entry it made. Start may follow again.
    void Stop();

    // Plugging returns what kept the device from appearing whole (a MIDI port that could not be
    // published, the driver's socket not made), empty when nothing did.
    std::string Plug();
    void Unplug();
    // Called (on the thread that plugs) with each such problem, also when the device comes back after a
    // reboot; the program prints them.
    void SetProblemHandler(std::function<void(const std::string&)> handler);
    [[nodiscard]] bool IsPlugged() const;

    void SetMode(DeviceMode mode);
    void SetVersion(const Version& version);
    void SetReplyDelay(Platform::Duration delay);
    void SetRawReply(std::optional<std::vector<uint8_t>> bytes);
    void SetDriverVersion(std::optional<std::u16string> version);
    void SetProductCode(std::optional<std::u16string> code);
    void SetInstanceCount(uint32_t count);
    void SetAttached(AttachedMode mode, std::vector<uint8_t> bytes = {});
    void SetLastPath(std::u16string path);
    void SetRebootDelay(Platform::Duration delay);
    void SetNewVersion(const Version& version);
    void SetImageSize(size_t size);

    // Back to the default settings and behaviour, log and firmware cleared, plugged when it was started.
    void Reset();

    [[nodiscard]] MixerSettings Settings() const;
    [[nodiscard]] uint32_t RebootCount() const;
    [[nodiscard]] SimulatedDriver& Driver() { return mDriver; }
    [[nodiscard]] RequestLog& Log() { return mLog; }

    // The 37-byte identity reply for a version: F0 7E, device id, 06 02, maker and model bytes, the
    // version in bytes 11 to 14, padding, F7.
    [[nodiscard]] static std::vector<uint8_t> IdentityReply(const Version& version);
    // "A.B.C.D", as the control language reads and writes versions.
    [[nodiscard]] static std::string VersionText(const Version& version);
    // The registry key of the driver, of the device model and of instance i (below HKEY_LOCAL_MACHINE).
    [[nodiscard]] static std::u16string DriverKey();
    [[nodiscard]] static std::u16string InstanceKey(uint32_t index);
    [[nodiscard]] static std::u16string UninstallKey(const std::u16string& productCode);

private:
    std::string PlugLocked();
    void UnplugLocked();
    void WriteInstallEntries();
    void WriteInstances();
    void WriteAttached();
    void OnMidiMessage(bool sysEx, const std::vector<uint8_t>& bytes);
    void OnUpdateControl(bool on, size_t sessionBytes);
    void Reboot();

    RequestLog mLog;
    SimulatedDriver mDriver{mLog};
    std::unique_ptr<Platform::MidiPeer> mPeer;

    // mOperation serialises plugging, unplugging and registry writes; it is taken before mLock.
    std::recursive_mutex mOperation;
    mutable std::mutex mLock; // guards every field below
    MixerSettings mSettings;
    bool mStarted = false;
    bool mPlugged = false;
    bool mRebooting = false;
    uint32_t mRebootCount = 0;
    uint32_t mInputPort = 0;
    uint32_t mOutputPort = 0;
    std::optional<std::u16string> mWrittenUninstallKey;
    uint32_t mWrittenInstances = 0;
    std::function<void(const std::string&)> mProblemHandler;

    Scheduler mScheduler; // last: its thread ends first
};
} // namespace Simulator
