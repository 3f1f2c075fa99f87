#include "ZQFramework/System/RegistryKey.h"

#include "Platform/Registry/Registry.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/VariantEx.h"

#include <string_view>
#include <vector>

namespace ZQ
{
namespace
{
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kWow64_64Key = 0x0100;

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

// The value's type and bytes; false when it cannot be read. The value may change size between asking for
// the size and reading, so a read that finds it grown asks again.
bool ReadValue(intptr_t key, std::u16string_view name, uint32_t* type, std::vector<uint8_t>* bytes)
{
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        uint32_t size = 0;
        if (Platform::RegistryQueryValue(key, name, type, nullptr, &size) != Platform::RegSuccess)
            return false;
        bytes->resize(size);
        const int32_t result = Platform::RegistryQueryValue(key, name, type, bytes->data(), &size);
        if (result == Platform::RegSuccess)
        {
            bytes->resize(size);
            return true;
        }
        if (result != Platform::RegMoreData)
            return false;
    }
    return false;
}

// A REG_SZ value's text: UTF-16LE up to its terminator, or up to the end of the stored bytes when it has
// none.
WString StringFromBytes(const std::vector<uint8_t>& bytes)
{
    std::vector<char16_t> units;
    units.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const auto unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    units.push_back(0);
    return WString(units.data());
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
    const uint32_t access = kKeyRead | (mView64 != 0 ? kWow64_64Key : 0);
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
    if (ReadValue(mKey, View(name), &type, &bytes))
    {
        if (type == Platform::RegSz)
        {
            value.SetString(StringFromBytes(bytes).ToNarrow());
            result = S_OK;
        }
        else
        {
            result = value.Unpack(bytes.data(), static_cast<uint32_t>(bytes.size())) == S_OK ? S_OK : E_FAIL;
        }
    }
    if (!wasOpen)
        Close();
    return result;
}
} // namespace ZQ
