#pragma once

#include "ZQFramework/Utilities/Graphics/Rect.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
// Rectangles, each with a packed colour (0xAARRGGBB), that the renderer fills in one call from the last
// to the first; x and width are multiplied by the horizontal scale, y and height by the vertical one.
// Renderers cache what they build from a list under its handle and rebuild it when the changed flag is
// set, which every change raises and the renderer clears.
template <class T>
class ColorRectListT
{
public:
    struct Entry
    {
        RectT<T> rect;
        uint32_t color = 0;
    };

    void AddRect(const RectT<T>& rect, uint32_t color)
    {
        mEntries.push_back({rect, color});
        mChanged = true;
    }
    void RemoveAll()
    {
        mEntries.clear();
        mChanged = true;
    }
    [[nodiscard]] uint32_t GetCount() const { return static_cast<uint32_t>(mEntries.size()); }
    [[nodiscard]] const Entry& GetAt(uint32_t index) const { return mEntries[index]; }
    [[nodiscard]] const std::vector<Entry>& GetEntries() const { return mEntries; }

    [[nodiscard]] T GetHorizontalScale() const { return mHorizontalScale; }
    [[nodiscard]] T GetVerticalScale() const { return mVerticalScale; }
    void SetScale(T horizontal, T vertical)
    {
        mHorizontalScale = horizontal;
        mVerticalScale = vertical;
        mChanged = true;
    }

    [[nodiscard]] bool IsChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }

    // The key of the renderers' caches: the object's full-width address.
    [[nodiscard]] static intptr_t GetHandle(const ColorRectListT& list)
    {
        return reinterpret_cast<intptr_t>(&list);
    }

private:
    std::vector<Entry> mEntries;
    T mHorizontalScale = 1;
    T mVerticalScale = 1;
    bool mChanged = true;
};
} // namespace ZQ
