#pragma once

// Forward declarations of the OpenGL back end of the renderer.
namespace ZQ
{
class LGLRenderer;
class LGLRenderContextInfo;
class LGLTexture;
class LGLDisplayList;
class CGLPolygon;
class LGLGlyphRenderer;
struct GLTextureImage;
struct GLEdges;
} // namespace ZQ
