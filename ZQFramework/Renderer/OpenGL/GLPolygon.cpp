#include "ZQFramework/Renderer/OpenGL/GLPolygon.h"

#include "ZQFramework/Renderer/Polyline.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <vector>

namespace ZQ
{
namespace
{
GLUtesselator* gTessellator = nullptr;

std::vector<double>& Coordinates()
{
    static auto* const coordinates = new std::vector<double>;
    return *coordinates;
}

void CreateTessellator()
{
    gTessellator = gluNewTess();
    if (gTessellator == nullptr)
        return;
    gluTessNormal(gTessellator, 0, 0, 1);
    gluTessProperty(gTessellator, GLU_TESS_TOLERANCE, 1);
    gluTessCallback(gTessellator, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(&glBegin));
    gluTessCallback(gTessellator, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(&glVertex3dv));
    gluTessCallback(gTessellator, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(&glEnd));
}
} // namespace

CGLPolygon::CGLPolygon()
{
    if (gTessellator == nullptr)
        CreateTessellator();
}

void CGLPolygon::Fill(const PolylineT<float>& polyline) const
{
    if (gTessellator == nullptr)
        return;
    const uint32_t count = polyline.GetPointCount();
    std::vector<double>& coordinates = Coordinates();
    if (coordinates.size() < 3 * static_cast<size_t>(count))
        coordinates.resize(3 * static_cast<size_t>(count));
    gluTessProperty(gTessellator, GLU_TESS_BOUNDARY_ONLY, GL_FALSE);
    gluTessBeginPolygon(gTessellator, nullptr);
    gluTessBeginContour(gTessellator);
    for (uint32_t i = 0; i < count; ++i)
    {
        double* vertex = &coordinates[3 * static_cast<size_t>(i)];
        vertex[0] = polyline.GetPoint(i).x;
        vertex[1] = polyline.GetPoint(i).y;
        vertex[2] = 0;
        gluTessVertex(gTessellator, vertex, vertex);
    }
    gluTessEndContour(gTessellator);
    gluTessEndPolygon(gTessellator);
}
} // namespace ZQ
