#include "ZQFramework/System/RegistryKey.h"

#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryValues.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/VariantEx.h"

#include <string_view>
#include <vector>

namespace ZQ
{
namespace
{
bool RootHandle(int32_t rootIndex, Platform::RegKey* root)
{
    switch (rootIndex)
    {
    case LRegistryKey::kClassesRoot:
        *root = Platform::RegClassesRoot;
        return true;
    case LRegistryKey::kCurrentUser:
        *root = Platform::RegCurrentUser;
        return true;
    case LRegistryKey::kLocalMachine:
        *root = Platform::RegLocalMachine;
        return true;
    case LRegistryKey::kUsers:
        *root = Platform::RegUsers;
        return true;
    default:
        return false;
    }
}

std::u16string_view View(const WString& text)
{
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}

// A REG_SZ value's text: UTF-16LE up to its terminator, or up to the end of the stored bytes when it has
// none.
AString NarrowText(const std::vector<uint8_t>& bytes)
{
    const std::u16string text = Platform::RegistryStringFromBytes(bytes.data(), bytes.size());
    return WString(text.c_str()).ToNarrow();
}
} // namespace

RCPtr<LRegistryKey> LRegistryKey::Create(int32_t rootIndex, const WString& path, int32_t view64)
{
    return RCPtr<LRegistryKey>(new LRegistryKey(rootIndex, path, view64));
}

LRegistryKey::LRegistryKey(int32_t rootIndex, const WString& path, int32_t view64)
    : mRootIndex(rootIndex), mPath(path), mView64(view64)
{
}

LRegistryKey::~LRegistryKey()
{
    Close();
}

void LRegistryKey::Close()
{
    MutexLocker lock(mLock);
    if (mKey != -1)
    {
        Platform::RegistryCloseKey(mKey);
        mKey = -1;
    }
}

ZQRESULT LRegistryKey::Open()
{
    MutexLocker lock(mLock);
    if (mKey != -1)
        return S_FALSE;
    Platform::RegKey root = 0;
    if (!RootHandle(mRootIndex, &root))
        return E_FAIL;
    const uint32_t access = Platform::RegKeyRead | (mView64 != 0 ? Platform::RegWow64_64Key : 0);
    Platform::RegKey key = 0;
    if (Platform::RegistryOpenKey(root, View(mPath), access, &key) != Platform::RegSuccess)
        return E_FAIL;
    mKey = key;
    return S_OK;
}

ZQRESULT LRegistryKey::QueryValue(const WString& name, VariantEx& value)
{
    MutexLocker lock(mLock);
    const bool wasOpen = mKey != -1;
    if (!wasOpen)
        Open();
    if (mKey == -1)
        return E_FAIL;

    ZQRESULT result = E_FAIL;
    uint32_t type = Platform::RegNone;
    std::vector<uint8_t> bytes;
    if (Platform::RegistryReadValue(mKey, View(name), &type, &bytes) == Platform::RegSuccess)
    {
        if (type == Platform::RegSz)
        {
            value.SetString(NarrowText(bytes));
            result = S_OK;
        }
        else
        {
            // Unpacked aside, so that bytes which are no packed record leave the value as it was.
            VariantEx unpacked;
            if (unpacked.Unpack(bytes.data(), static_cast<uint32_t>(bytes.size())) == S_OK)
            {
                value = unpacked;
                result = S_OK;
            }
        }
    }
    if (!wasOpen)
        Close();
    return result;
}
} // namespace ZQ
