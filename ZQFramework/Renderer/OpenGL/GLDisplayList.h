#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <cstdint>

namespace ZQ
{
// A run of consecutive GL display lists (names base .. base + count - 1), generated at the first
// BeginList and deleted with the object. Owned by the renderer's shape caches; GL calls need the
// renderer's context current. UI thread only.
class LGLDisplayList : public virtual LRefCountedObject
{
public:
    // A new object of count lists with no names yet; count 0 gives one shared empty object.
    [[nodiscard]] static RCPtr<LGLDisplayList> Create(int32_t count);
    ~LGLDisplayList() override;
    LGLDisplayList(const LGLDisplayList&) = delete;
    LGLDisplayList& operator=(const LGLDisplayList&) = delete;

    // Starts compiling list index: 0, or E_FAIL when no names could be had.
    ZQRESULT BeginList(int32_t index);
    // Ends the list being compiled: 0, or E_FAIL without names.
    ZQRESULT EndList();
    // Calls count lists from start: 0; E_FAIL without names or when one is not a list; E_INVALIDARG past
    // the last list.
    ZQRESULT Call(int32_t start, int32_t count) const;

    [[nodiscard]] int32_t GetName() const { return mName; }
    [[nodiscard]] int32_t GetCount() const { return mCount; }

private:
    explicit LGLDisplayList(int32_t count) : mCount(count) {}

    [[nodiscard]] bool HasValidName() const;

    int32_t mName = -1;
    int32_t mCount;
};
} // namespace ZQ
