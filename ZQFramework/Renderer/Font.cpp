#include "ZQFramework/Renderer/Font.h"

#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <atomic>

namespace ZQ
{
namespace
{
std::atomic<int32_t> gLastFontID{0};

bool SameName(const WString& a, const WString& b)
{
    return a.GetBuffer() == b.GetBuffer() || CRT::CompareNoCase(a.GetBuffer(), b.GetBuffer()) == 0;
}
} // namespace

LFont::LFont(const WString& name, float size, int32_t style)
    : mName(name), mSize(size), mStyle(style), mUniqueID(++gLastFontID)
{
}

LFont::FontList& LFont::GetFontList()
{
    static FontList list;
    return list;
}

int32_t LFont::FindFont(const WString& name, float size, int32_t style)
{
    const FontList& list = GetFontList();
    for (int32_t i = static_cast<int32_t>(list.GetCount()) - 1; i >= 0; --i)
    {
        const LFont& font = *list.GetAt(static_cast<uint32_t>(i));
        if (SameName(font.mName, name) && font.mSize == size && font.mStyle == style)
            return i;
    }
    return -1;
}

ConstRCPtr<LFont> LFont::GetFont(const WString& name, float size, int32_t style)
{
    const int32_t index = FindFont(name, size, style);
    if (index >= 0)
        return GetFontList().GetAt(static_cast<uint32_t>(index));
    RCPtr<LFont> font(new LFont(name, size, style));
    GetFontList().Add(font);
    return font;
}

ZQRESULT LFont::ReleaseInternalReferences()
{
    const int32_t index = FindFont(mName, mSize, mStyle);
    if (index < 0)
        return E_FAIL;
    // The list may hold the last reference: keep this font alive until the removal is done.
    const RCPtr<LFont> self(this);
    GetFontList().RemoveAt(static_cast<uint32_t>(index), 1);
    return S_OK;
}

bool LFont::FetchMetrics() const
{
    if (mHeight >= 0)
        return true;
    const RCPtr<LMeasurementRenderer> renderer = GetMeasurementRenderer();
    if (renderer == nullptr)
        return false;
    const ConstRCPtr<LFont> self(this);
    renderer->GetFontMetrics(self, mHeight, mAscent, mDescent);
    return mHeight >= 0;
}

int32_t LFont::GetHeight() const
{
    return FetchMetrics() ? mHeight : 0;
}

int32_t LFont::GetAscent() const
{
    return FetchMetrics() ? mAscent : 0;
}

int32_t LFont::GetDescent() const
{
    return FetchMetrics() ? mDescent : 0;
}
} // namespace ZQ
