#include "ZQFramework/Controls/Buttons/Label.h"

#include "ZQFramework/Controls/ControlPattern.h"

namespace ZQ
{
LLabel::LLabel(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name)
{
}

LLabel::~LLabel() = default;

ZQRESULT LLabel::OnCreated()
{
    SetNotFocusable(true);
    return 0;
}

WString LLabel::GetToolTipText() const
{
    return LabelOrToolTipText(*this);
}
} // namespace ZQ
