#pragma once

#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/Midi/MidiDeviceConnectionStatusChangedNotification.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

namespace ZQ
{
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
