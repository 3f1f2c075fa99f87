#include "ZQFramework/Midi/MidiDeviceStatusChecker.h"

#include "ZQFramework/Midi/MidiCommInterface.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"

namespace ZQ
{
RCPtr<LMidiDeviceStatusChecker> LMidiDeviceStatusChecker::Create(const RCPtr<LMidiCommInterface>& midi)
{
    return RCPtr<LMidiDeviceStatusChecker>(new LMidiDeviceStatusChecker(midi));
}

LMidiDeviceStatusChecker::LMidiDeviceStatusChecker(const RCPtr<LMidiCommInterface>& midi) : mMidi(midi)
{
}

void LMidiDeviceStatusChecker::AddInputDevice(const WString& name)
{
    (void)mInputDevices.Add(DeviceInfo{name, IsPresent(name, true)});
}

void LMidiDeviceStatusChecker::AddOutputDevice(const WString& name)
{
    (void)mOutputDevices.Add(DeviceInfo{name, IsPresent(name, false)});
}

void LMidiDeviceStatusChecker::AddInputDevices(const WStringArray& names)
{
    for (uint32_t i = 0; i < names.GetCount(); ++i)
        AddInputDevice(names.GetAt(i));
}

void LMidiDeviceStatusChecker::AddOutputDevices(const WStringArray& names)
{
    for (uint32_t i = 0; i < names.GetCount(); ++i)
        AddOutputDevice(names.GetAt(i));
}

bool LMidiDeviceStatusChecker::Check()
{
    if (!CheckList(mInputDevices, true))
        return false;
    return CheckList(mOutputDevices, false);
}

bool LMidiDeviceStatusChecker::IsPresent(const WString& name, bool input) const
{
    if (mMidi.IsNull())
        return false;
    // The port goes at the end of this call, which closes it unless someone else holds it.
    RCPtr<LRefCountedObject> port;
    const ZQRESULT result = input ? mMidi->OpenCapturePort(name, port) : mMidi->OpenRenderPort(name, port);
    return result >= 0 && !port.IsNull();
}

bool LMidiDeviceStatusChecker::CheckList(Array<DeviceInfo>& devices, bool input)
{
    const char16_t* notificationName = input ? kMidiInputDeviceStatusChangedNotificationName
                                             : kMidiOutputDeviceStatusChangedNotificationName;
    bool allPresent = true;
    for (uint32_t i = 0; i < devices.GetCount(); ++i)
    {
        DeviceInfo& device = devices.GetAt(i);
        const bool present = IsPresent(device.name, input);
        if (present != device.connected)
        {
            device.connected = present;
            const int32_t status = present ? LMidiDeviceConnectionStatusChangedNotification::kConnected
                                           : LMidiDeviceConnectionStatusChangedNotification::kDisconnected;
            const RCPtr<LMidiDeviceConnectionStatusChangedNotification> param(
                new LMidiDeviceConnectionStatusChangedNotification(device.name, status));
            const RCPtr<LNotification> notification = LNotification::Create(notificationName, param);
            const RCPtr<LNotificationCenter> center = GetDefaultNotificationCenter();
            if (!notification.IsNull() && !center.IsNull())
                (void)center->PostNotification(notification);
        }
        if (!device.connected)
            allPresent = false;
    }
    return allPresent;
}
} // namespace ZQ
