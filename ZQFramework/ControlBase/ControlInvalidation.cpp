// Invalidation of a control's areas up to its root window, and the update hooks.
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/ControlBase/ControlApplication.h"
#include "ZQFramework/ControlBase/RootWindow.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Renderer/Font.h"

namespace ZQ
{
void LControl::BeginUpdate()
{
}

void LControl::EndUpdate()
{
}

void LControl::ScrollBufferedContent(const PointT<double>& /*oldOffset*/, const PointT<double>& /*newOffset*/)
{
}

void LControl::InvalidateBufferedChild(const RCPtr<LControl>& /*child*/)
{
}

ZQRESULT LControl::InvalidateRect(const RectT<double>& /*windowRect*/, bool /*clip*/,
                                  const RectT<double>& /*visiblePart*/)
{
    return 1;
}

ZQRESULT LControl::Invalidate(const RectT<double>& /*rect*/, bool /*clip*/)
{
    return 1;
}

void LControl::InvalidateFloating()
{
}

bool LControl::IsDeferredCreate() const
{
    return false;
}
} // namespace ZQ
