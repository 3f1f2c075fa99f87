#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
class VariantEx;

// Reads values of one registry key, named by a root index and a path below it. The key is opened for
// reading when first needed: a key that is never opened explicitly is opened and closed around each query,
// one opened with Open stays open until the object goes. Nothing is written through it. Each key's
// operations are serialised by its own lock; keys are independent.
class LRegistryKey : public LRefCountedObject
{
public:
    // Root indexes; any other value names no root, so opening fails.
    static constexpr int32_t kClassesRoot = 0;
    static constexpr int32_t kCurrentUser = 1;
    static constexpr int32_t kLocalMachine = 2;
    static constexpr int32_t kUsers = 3;

    [[nodiscard]] static RCPtr<LRegistryKey> Create(int32_t rootIndex, const WString& path, int32_t view64);

    // view64 not zero asks for the 64-bit view of the registry.
    LRegistryKey(int32_t rootIndex, const WString& path, int32_t view64);
    ~LRegistryKey() override;

    // 0 when opened, S_FALSE when already open, E_FAIL when the key cannot be opened.
    ZQRESULT Open();

    // Reads the value name into value: a string value as narrow text, any other type through
    // VariantEx::Unpack. 0 on success; E_FAIL when the key cannot be opened, the value cannot be read or
    // its bytes are no packed record (value is left as it was when the value is missing).
    ZQRESULT QueryValue(const WString& name, VariantEx& value);

private:
    void Close();

    intptr_t mKey = -1; // the open handle, -1 while closed; guarded by mLock
    const int32_t mRootIndex;
    const WString mPath;
    const int32_t mView64;
    Mutex mLock;
};
} // namespace ZQ
