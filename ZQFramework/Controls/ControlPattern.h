#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <climits>
#include <cmath>
#include <cstdint>

// What the library's control classes share beyond the control base: reading a class's own create
// parameters, finding typed named children and delivering notifications to a class's handler before
// the base's.
namespace ZQ
{
// Rounded half away from zero, held inside the 32-bit range (NaN gives 0): pixel places and sizes computed
// from values and skin numbers.
[[nodiscard]] inline int32_t RoundToInt(double value)
{
    const double rounded = std::round(value);
    if (std::isnan(rounded))
    {
        return 0;
    }
    if (!(rounded > INT32_MIN))
    {
        return INT32_MIN;
    }
    return rounded < INT32_MAX ? static_cast<int32_t>(rounded) : INT32_MAX;
}

// The text of the control's create parameter key; false (text untouched) when the skin gave no
// create-parameter table or no such key.
[[nodiscard]] inline bool FindCreateParam(const LControl& control, const char16_t* key, WString& text)
{
    const RCPtr<LControlDescriptor>& descriptor = control.GetDescriptor();
    return descriptor != nullptr && descriptor->mCreateParams != nullptr &&
           descriptor->mCreateParams->GetString(key, text);
}

// A class's own boolean key: the value lower-cased, not trimmed, equal to "true" (" true" is false).
// False, value untouched, when the key is absent.
[[nodiscard]] inline bool ReadFlagParam(const LControl& control, const char16_t* key, bool& value)
{
    WString text;
    if (!FindCreateParam(control, key, text))
    {
        return false;
    }
    value = text.ToLower() == u"true";
    return true;
}

// The child called name when it is a T; null when it is missing or of another class.
template <class T>
[[nodiscard]] RCPtr<T> FindTypedChild(const LControl& control, const WString& name)
{
    return RCPtr<T>(control.FindChild(name));
}

// Delivery to a control with a handler of its own: the class's handler first, and the base's when that
// one did not handle the notification (0). Nothing is dispatched before the control's creation has
// ended.
template <class T>
ZQRESULT DispatchClassFirst(T& control, const RCPtr<LNotificationHandler<T>>& handler,
                            const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification)
{
    if (control.IsCreated() && handler != nullptr)
    {
        const ZQRESULT handled = handler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return control.LControl::ReceiveNotification(source, notification);
}

// Unbinding for the same controls: the class's handler, then the base's handler and registration.
template <class T>
ZQRESULT RemoveClassCallback(T& control, const RCPtr<LNotificationHandler<T>>& handler,
                             const RCPtr<LNotificationDistributor>& source, NotificationID id)
{
    if (handler != nullptr)
    {
        handler->RemoveCallback(source.Get(), id);
    }
    return control.LControl::RemoveNotificationCallback(source, id);
}

// Holds control for the length of a call that may drop the tree's references to it (a click handler, a
// focus change). A control that nobody holds yet gets no guard, as releasing it would delete it.
[[nodiscard]] inline RCPtr<LControl> KeepControlAlive(LControl* control)
{
    return control->GetRefCount() > 0 ? RCPtr<LControl>(control) : RCPtr<LControl>();
}

// The tool-tip text of a control showing a label: the whole label when it does not fit the look's text
// area, else the skin's "TOOLTIP" text.
[[nodiscard]] inline WString LabelOrToolTipText(const LControl& control)
{
    return control.IsLabelTruncated() ? control.GetLabel() : control.LControl::GetToolTipText();
}
} // namespace ZQ
