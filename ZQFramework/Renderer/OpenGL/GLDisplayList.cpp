#include "ZQFramework/Renderer/OpenGL/GLDisplayList.h"

#include "ZQFramework/Renderer/OpenGL/GLErrors.h"

#include <GL/gl.h>

namespace ZQ
{
RCPtr<LGLDisplayList> LGLDisplayList::Create(int32_t count)
{
    if (count == 0)
    {
        static const RCPtr<LGLDisplayList> empty(new LGLDisplayList(0));
        return empty;
    }
    return RCPtr<LGLDisplayList>(new LGLDisplayList(count));
}

LGLDisplayList::~LGLDisplayList()
{
    if (HasValidName())
        glDeleteLists(static_cast<GLuint>(mName), mCount);
    mName = -1;
}

bool LGLDisplayList::HasValidName() const
{
    return mName > 0 && glIsList(static_cast<GLuint>(mName)) == GL_TRUE;
}

ZQRESULT LGLDisplayList::BeginList(int32_t index)
{
    if (mName <= 0 && mCount > 0)
    {
        const GLuint name = glGenLists(mCount);
        mName = name != 0 ? static_cast<int32_t>(name) : -1;
    }
    if (!HasValidName() || index < 0 || index >= mCount)
        return E_FAIL;
    glNewList(static_cast<GLuint>(mName + index), GL_COMPILE);
    ClearGLErrors();
    return S_OK;
}

ZQRESULT LGLDisplayList::EndList()
{
    if (!HasValidName())
        return E_FAIL;
    glEndList();
    ClearGLErrors();
    return S_OK;
}

ZQRESULT LGLDisplayList::Call(int32_t start, int32_t count) const
{
    if (mName <= 0)
        return E_FAIL;
    if (start < 0 || count < 0 || start + count > mCount)
        return E_INVALIDARG;
    for (int32_t i = start; i < start + count; ++i)
    {
        if (glIsList(static_cast<GLuint>(mName + i)) != GL_TRUE)
            return E_FAIL;
        glCallList(static_cast<GLuint>(mName + i));
        ClearGLErrors();
    }
    return S_OK;
}
} // namespace ZQ
