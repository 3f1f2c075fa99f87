#pragma once

#include "ZQFramework/Application/Forward.h"
#include "ZQFramework/Application/IIniFileManager.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <memory>

namespace ZQ
{
// The settings-file manager the application holds (counted): every operation is its proxy's
// (IniFileManagerProxy.h), which it owns. Its owner closes the files (CloseAll) before letting it go.
class LIniFileManager : public IIniFileManager, public virtual LRefCountedObject
{
public:
    LIniFileManager();
    ~LIniFileManager() override;
    LIniFileManager(const LIniFileManager&) = delete;
    LIniFileManager& operator=(const LIniFileManager&) = delete;

    ZQRESULT Reserved(int32_t value) override;
    ZQRESULT CloseAll() override;
    ZQRESULT Open(const WString& path, const WString& keyPrefix, const WString& applicationName,
                  Handle& handle) override;
    ZQRESULT Save(Handle handle) override;
    [[nodiscard]] bool KeyExists(Handle handle, const WString& key) override;
    ZQRESULT Close(Handle handle, bool save) override;
    ZQRESULT GetInteger(Handle handle, const WString& key, int32_t defaultValue, int32_t& value) override;
    ZQRESULT SetInteger(Handle handle, const WString& key, int32_t value) override;
    ZQRESULT GetString(Handle handle, const WString& key, const WString& defaultValue,
                       WString& text) override;
    ZQRESULT SetString(Handle handle, const WString& key, const WString& text) override;
    ZQRESULT GetChildCount(Handle handle, const WString& key, int32_t& count) override;
    ZQRESULT GetChildName(Handle handle, const WString& key, int32_t index, WString& name) override;
    ZQRESULT GetArrayCount(Handle handle, const WString& key, int32_t& count) override;
    ZQRESULT SetArrayCount(Handle handle, const WString& key, int32_t count) override;
    ZQRESULT GetArrayString(Handle handle, const WString& key, int32_t index, WString& text) override;
    ZQRESULT SetArrayString(Handle handle, const WString& key, int32_t index, const WString& text) override;
    ZQRESULT RemoveArrayItem(Handle handle, const WString& key, int32_t index) override;

private:
    std::unique_ptr<CIniFileManagerProxy> mProxy;
};
} // namespace ZQ
