#pragma once

#include "ZQFramework/Utilities/Graphics/Point.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
// A list of points that the renderer draws as separate segments, an open line, a closed outline or a
// filled polygon, with its line width. Renderers cache what they build from a polyline under its handle
// and rebuild it when the changed flag is set, which every change raises and the renderer clears.
template <class T>
class PolylineT
{
public:
    void AddPoint(const PointT<T>& point)
    {
        mPoints.push_back(point);
        mChanged = true;
    }
    // No range check: callers stay below the count.
    void SetPoint(uint32_t index, const PointT<T>& point)
    {
        mPoints[index] = point;
        mChanged = true;
    }
    void RemoveAll()
    {
        mPoints.clear();
        mChanged = true;
    }
    [[nodiscard]] uint32_t GetPointCount() const { return static_cast<uint32_t>(mPoints.size()); }
    [[nodiscard]] const PointT<T>& GetPoint(uint32_t index) const { return mPoints[index]; }
    [[nodiscard]] const std::vector<PointT<T>>& GetPoints() const { return mPoints; }

    [[nodiscard]] T GetLineWidth() const { return mLineWidth; }
    void SetLineWidth(T width)
    {
        mLineWidth = width;
        mChanged = true;
    }

    [[nodiscard]] bool IsChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }

    // The key of the renderers' caches: the object's full-width address.
    [[nodiscard]] static intptr_t GetHandle(const PolylineT& polyline)
    {
        return reinterpret_cast<intptr_t>(&polyline);
    }

private:
    std::vector<PointT<T>> mPoints;
    T mLineWidth = 1;
    bool mChanged = true;
};
} // namespace ZQ
