#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// An immutable description of a typeface (face name, size in points, style bits), shared by the whole
// process: GetFont hands out the one listed instance per description, creating and listing it on first
// use, and the list keeps every font until the process ends. Renderers turn a font into their own font
// objects, keyed by its unique id. Its vertical metrics come from the application's measurement renderer
// on first use and are kept. UI thread only.
class LFont : public virtual LRefCountedObject
{
public:
    static constexpr int32_t kBold = 1;
    static constexpr int32_t kItalic = 2;
    static constexpr int32_t kUnderline = 4;
    static constexpr int32_t kStrikeout = 8;

    using FontList = RCPtrArray<LFont, 1, 0>;

    // Fonts are only ever shared, never copied.
    LFont(const LFont&) = delete;
    LFont& operator=(const LFont&) = delete;

    // The listed font with this description, or a new one, listed first. Names match ignoring case,
    // sizes exactly.
    [[nodiscard]] static ConstRCPtr<LFont> GetFont(const WString& name, float size, int32_t style);
    // The index of the matching font in the list (the last match), or -1.
    [[nodiscard]] static int32_t FindFont(const WString& name, float size, int32_t style);
    // The process-wide font list, made on first use.
    [[nodiscard]] static FontList& GetFontList();

    // Takes the font off the list: 0, or E_FAIL when it is not listed.
    ZQRESULT ReleaseInternalReferences() override;

    [[nodiscard]] const WString& GetName() const { return mName; }
    [[nodiscard]] float GetSize() const { return mSize; }
    [[nodiscard]] int32_t GetStyle() const { return mStyle; }
    // Unique in the process: the first font made has 1, each next one more; never reused.
    [[nodiscard]] int32_t GetUniqueID() const { return mUniqueID; }

    // The line height, ascent (negative) and descent in pixels, asked of the application's measurement
    // renderer on first use and kept. Without a measurement renderer, or when it leaves them unwritten,
    // they read 0 and are asked for again next time.
    [[nodiscard]] int32_t GetHeight() const;
    [[nodiscard]] int32_t GetAscent() const;
    [[nodiscard]] int32_t GetDescent() const;

private:
    LFont(const WString& name, float size, int32_t style);

    [[nodiscard]] bool FetchMetrics() const;

    WString mName;
    float mSize;
    int32_t mStyle;
    mutable int32_t mHeight = -1; // -1 until fetched
    mutable int32_t mAscent = 0;
    mutable int32_t mDescent = 0;
    int32_t mUniqueID;
};
} // namespace ZQ
