#pragma once

#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

namespace ZQ
{
inline constexpr const char16_t* kMidiInputDeviceStatusChangedNotificationName =
    u"NID_MIDI_INPUT_DEVICE_CONNECTION_STATUS_CHANGED";
inline constexpr const char16_t* kMidiOutputDeviceStatusChangedNotificationName =
    u"NID_MIDI_OUTPUT_DEVICE_CONNECTION_STATUS_CHANGED";

// The parameter of both status notifications.
class LMidiDeviceConnectionStatusChangedNotification : public LRefCountedObject
{
public:
    static constexpr int32_t kConnected = 0;
    static constexpr int32_t kDisconnected = 1;

    LMidiDeviceConnectionStatusChangedNotification(const WString& deviceName, int32_t status)
        : mDeviceName(deviceName), mStatus(status)
    {
    }

    [[nodiscard]] const WString& GetDeviceName() const { return mDeviceName; }
    [[nodiscard]] int32_t GetStatus() const { return mStatus; }

private:
    const WString mDeviceName;
    const int32_t mStatus;
};

// Tells whether named MIDI devices are present and posts each change of presence, once, to the default
// notification center when Check first sees it. No thread, no timer: its owner calls Check. Used on its
// owner's thread only.
class LMidiDeviceStatusChecker : public LRefCountedObject
{
public:
    struct DeviceInfo
    {
        WString name;
        bool connected = false;
    };

    [[nodiscard]] static RCPtr<LMidiDeviceStatusChecker> Create(const RCPtr<LMidiCommInterface>& midi);

    // Appends names with their presence now; posts nothing.
    void AddInputDevice(const WString& name);
    void AddOutputDevice(const WString& name);
    void AddInputDevices(const WStringArray& names);
    void AddOutputDevices(const WStringArray& names);

    // Checks the inputs and, only when all are present, the outputs; true when both checks passed.
    bool Check();

    [[nodiscard]] const Array<DeviceInfo>& GetInputDevices() const { return mInputDevices; }
    [[nodiscard]] const Array<DeviceInfo>& GetOutputDevices() const { return mOutputDevices; }

private:
    explicit LMidiDeviceStatusChecker(const RCPtr<LMidiCommInterface>& midi);

    [[nodiscard]] bool IsPresent(const WString& name, bool input) const;
    bool CheckList(Array<DeviceInfo>& devices, bool input);

    RCPtr<LMidiCommInterface> mMidi;
    Array<DeviceInfo> mInputDevices;
    Array<DeviceInfo> mOutputDevices;
};
} // namespace ZQ
