#include "ZQFramework/Controls/Buttons/FileDropper.h"

#include "ZQFramework/Controls/Buttons/Dropper.h"

namespace ZQ
{
LFileDropper::LFileDropper(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LFileDropper::~LFileDropper() = default;

ZQRESULT LFileDropper::EndDrag()
{
    return DragToken::EndDrag(*this);
}

void LFileDropper::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    DragToken::OnConditionsChanged(*this, conditions);
}

ZQRESULT LFileDropper::OnCreated()
{
    return DragToken::OnCreated(*this);
}
} // namespace ZQ
