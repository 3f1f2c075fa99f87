#pragma once

#include "ZQFramework/Application/IIniFileManager.h"

#include <memory>

namespace ZQ
{
// The settings-file manager's working part, owned by LIniFileManager: the list of open files, each with its
// path, key prefix, document and changed mark, in the order of opening. Handles are numbers drawn from
// one count of the process, so a closed file's handle never names a file opened later. A file that held
// no settings (not a property list, not a regular file) starts as a new document, and its first write
// moves what was there aside to the path + ".corrupt" before writing a new regular file in its place.
class CIniFileManagerProxy : public IIniFileManager
{
public:
    struct MemberData;

    CIniFileManagerProxy();
    // Frees the documents of files still open without writing them: the owner calls CloseAll first.
    ~CIniFileManagerProxy() override;
    CIniFileManagerProxy(const CIniFileManagerProxy&) = delete;
    CIniFileManagerProxy& operator=(const CIniFileManagerProxy&) = delete;

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
    std::unique_ptr<MemberData> mData;
};
} // namespace ZQ
