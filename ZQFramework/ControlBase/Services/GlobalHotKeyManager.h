#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Services/KeyBindingTable.h"
#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// The hot keys of one scope (the application, or one root window): key bindings whose actions are
// notifications, handed to a receiver, normally a queue's posting receiver, so that the notification is
// delivered at the next idle pass rather than inside the key handling. Asked by the keyboard handling
// once the focused control and its ancestors passed a key on. UI thread only.
class LGlobalHotKeyManager : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LGlobalHotKeyManager> Create(const RCPtr<LNotificationReceiver>& receiver);

    explicit LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& receiver);
    ~LGlobalHotKeyManager() override;

    // 1 when no action is bound to key; 0 when one is and its notification, with an LKeyParam of key and
    // stay-inside 1, was handed to the receiver (or dropped, without receiver).
    int32_t ProcessKey(const KeyCode& key);

    // The owner fills and asks the bindings here.
    [[nodiscard]] KeyBindingTable& GetKeyBindings() { return mKeyBindings; }
    [[nodiscard]] const KeyBindingTable& GetKeyBindings() const { return mKeyBindings; }

private:
    KeyBindingTable mKeyBindings;
    RCPtr<LNotificationReceiver> mReceiver;
};
} // namespace ZQ
