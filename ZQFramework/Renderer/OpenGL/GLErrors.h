#pragma once

#include <GL/gl.h>

namespace ZQ
{
// Reads and discards the pending GL errors: drawing never fails on them.
inline void ClearGLErrors()
{
    while (glGetError() != GL_NO_ERROR)
    {
    }
}
} // namespace ZQ
