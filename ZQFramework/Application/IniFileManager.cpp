#include "ZQFramework/Application/IniFileManager.h"

#include "ZQFramework/Application/IniFileManagerProxy.h"

namespace ZQ
{
LIniFileManager::LIniFileManager() : mProxy(std::make_unique<CIniFileManagerProxy>())
{
}

LIniFileManager::~LIniFileManager() = default;

ZQRESULT LIniFileManager::Reserved(int32_t value)
{
    return mProxy->Reserved(value);
}

ZQRESULT LIniFileManager::CloseAll()
{
    return mProxy->CloseAll();
}

ZQRESULT LIniFileManager::Open(const WString& path, const WString& keyPrefix, const WString& applicationName,
                               Handle& handle)
{
    return mProxy->Open(path, keyPrefix, applicationName, handle);
}

ZQRESULT LIniFileManager::Save(Handle handle)
{
    return mProxy->Save(handle);
}

bool LIniFileManager::KeyExists(Handle handle, const WString& key)
{
    return mProxy->KeyExists(handle, key);
}

ZQRESULT LIniFileManager::Close(Handle handle, bool save)
{
    return mProxy->Close(handle, save);
}

ZQRESULT LIniFileManager::GetInteger(Handle handle, const WString& key, int32_t defaultValue, int32_t& value)
{
    return mProxy->GetInteger(handle, key, defaultValue, value);
}

ZQRESULT LIniFileManager::SetInteger(Handle handle, const WString& key, int32_t value)
{
    return mProxy->SetInteger(handle, key, value);
}

ZQRESULT LIniFileManager::GetString(Handle handle, const WString& key, const WString& defaultValue,
                                    WString& text)
{
    return mProxy->GetString(handle, key, defaultValue, text);
}

ZQRESULT LIniFileManager::SetString(Handle handle, const WString& key, const WString& text)
{
    return mProxy->SetString(handle, key, text);
}

ZQRESULT LIniFileManager::GetChildCount(Handle handle, const WString& key, int32_t& count)
{
    return mProxy->GetChildCount(handle, key, count);
}

ZQRESULT LIniFileManager::GetChildName(Handle handle, const WString& key, int32_t index, WString& name)
{
    return mProxy->GetChildName(handle, key, index, name);
}

ZQRESULT LIniFileManager::GetArrayCount(Handle handle, const WString& key, int32_t& count)
{
    return mProxy->GetArrayCount(handle, key, count);
}

ZQRESULT LIniFileManager::SetArrayCount(Handle handle, const WString& key, int32_t count)
{
    return mProxy->SetArrayCount(handle, key, count);
}

ZQRESULT LIniFileManager::GetArrayString(Handle handle, const WString& key, int32_t index, WString& text)
{
    return mProxy->GetArrayString(handle, key, index, text);
}

ZQRESULT LIniFileManager::SetArrayString(Handle handle, const WString& key, int32_t index,
                                         const WString& text)
{
    return mProxy->SetArrayString(handle, key, index, text);
}

ZQRESULT LIniFileManager::RemoveArrayItem(Handle handle, const WString& key, int32_t index)
{
    return mProxy->RemoveArrayItem(handle, key, index);
}
} // namespace ZQ
