#pragma once

#include <cstdint>

// Forward declarations of the renderer layer: the renderer interface and its measuring half, render
// contexts and states, clip guards and stencils, fonts and text layout, and the shapes the renderer
// draws.
namespace ZQ
{
class LMeasurementRenderer;
class LRenderer;
class RenderState;
class LRenderContextInfo;
class LD3D9Renderer;
class LD3D9RenderContextInfo;
class CAutoClip;
struct ClipDescription;
class LStencil;
class LFont;
class LFontText;
template <class T>
class PolylineT;
template <class T>
class ColorRectListT;

// The bitmap of the graphics library, drawn by the renderers.
class LBitmap;
} // namespace ZQ
