#pragma once

#include <cstdint>

// Forward declarations of the GDI+ back end of the renderer.
namespace ZQ
{
class LGDIRenderer;
class LGDIRenderContextInfo;
class LGDIRendererOffscreenSurface;
} // namespace ZQ
