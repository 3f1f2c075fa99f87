#include "ZQFramework/ControlBase/Look.h"

#include "ZQFramework/ControlBase/LookDescriptor.h"
#include "ZQFramework/ControlBase/VisualPart.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

namespace ZQ
{
RCPtr<LLook> LLook::Create(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap)
{
    RCPtr<LLook> look(new LLook());
    look->Initialize(descriptor, wordWrap);
    return look;
}

LLook::LLook() = default;
LLook::~LLook() = default;

ZQRESULT LLook::Initialize(const ConstRCPtr<LLookDescriptor>& descriptor, bool /*wordWrap*/)
{
    mDescriptor = descriptor;
    return 0;
}

bool LLook::SetSize(int32_t width, int32_t height)
{
    mWidth = width;
    mHeight = height;
    mClientRect = {0, 0, width, height};
    return true;
}

bool LLook::SetText(const WString& /*text*/)
{
    return true;
}

bool LLook::SetFont(const ConstRCPtr<LFont>& /*font*/)
{
    return true;
}

ZQRESULT LLook::DrawNonClientParts(const RCPtr<LRenderer>& /*renderer*/, const Region& /*region*/)
{
    return 0;
}

ZQRESULT LLook::DrawClientPart(const RCPtr<LRenderer>& /*renderer*/, const Region& /*region*/)
{
    return 0;
}

ZQRESULT LLook::DrawLabelText(const RCPtr<LRenderer>& /*renderer*/, const Region& /*region*/,
                              const PointT<double>& /*offset*/)
{
    return 1;
}

uint32_t LLook::GetColorAtPoint(const PointT<int32_t>& /*point*/) const
{
    return 0x00FFFFFF;
}

void LLook::SetOverlay(const ConstRCPtr<LBitmap>& /*bitmap*/, int32_t /*resizeType*/, bool /*replacesClient*/)
{
}

void LLook::SetRegion(const Region& region)
{
    mRegion = region;
}

void LLook::ClearRegion()
{
    mRegion.Clear();
}

void LLook::SetTextForegroundPart(const ConstRCPtr<LVisualPart>& part)
{
    mTextForegroundPart = part;
}
} // namespace ZQ
