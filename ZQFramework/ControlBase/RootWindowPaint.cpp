// Painting a root window's tree: the top control, then the controls drawn above everything else.
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/ControlBase/RootWindow.h"

namespace ZQ
{
void LRootWindow::PaintRegion(const Region& /*region*/)
{
}
} // namespace ZQ
