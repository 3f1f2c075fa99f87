#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"

#include <cstdint>

namespace ZQ
{
// A key routed to controls. Controls that pass the key on append themselves to the visited list; the
// list holds them as counted objects, and the typed accessors need LControl complete where they are used.
class LKeyParam : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LKeyParam> Create(const KeyCode& keyCode, uint32_t stayInside);

    LKeyParam(const KeyCode& keyCode, uint32_t stayInside) : mKeyCode(keyCode), mStayInside(stayInside) {}
    ~LKeyParam() override;

    // The key code's text, such as "Alt+VKEY_F4".
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    template <class C = LControl>
    void AddVisitedControl(C* control)
    {
        mVisitedControls.Add(RCPtr<LRefCountedObject>(control));
    }

    template <class C = LControl>
    [[nodiscard]] bool WasVisited(const C* control) const
    {
        const LRefCountedObject* object = control;
        for (uint32_t i = 0; i < mVisitedControls.GetCount(); ++i)
            if (mVisitedControls.GetAt(i).Get() == object)
                return true;
        return false;
    }

    KeyCode mKeyCode;
    uint32_t mStayInside; // for tab navigation: wrap inside the container instead of leaving it
    RCPtrArray<LRefCountedObject, 1, 0> mVisitedControls;
};
} // namespace ZQ
