#pragma once

#include "ZQFramework/Renderer/Forward.h"

namespace ZQ
{
// Fills polygons through the process-wide GLU tessellator, made by the first object and kept, like its
// array of vertex coordinates, until the process ends. Inside or outside a display list being compiled;
// GL calls need the renderer's context current. UI thread only (nothing is locked).
class CGLPolygon
{
public:
    CGLPolygon();
    virtual ~CGLPolygon() = default;

    // Fills the polygon of the points (x, y, 0), one contour, odd winding.
    void Fill(const PolylineT<float>& polyline) const;
};
} // namespace ZQ
