#include "ZQFramework/Application/IniFileManagerProxy.h"

#include "ZQFramework/System/XNode.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ZQ
{
struct CIniFileManagerProxy::MemberData
{
    // One open file.
    struct IniFileInfo
    {
        std::string path;      // UTF-8
        std::string keyPrefix; // UTF-8, dots made "_", ending in "."
        std::unique_ptr<XNode> document;
        bool changed = false; // set by each successful write, cleared when the file has been written
        // Something that held no settings was at the path when it was read: it is kept beside the file,
        // under kUnreadableSuffix, before the first write replaces it.
        bool keepUnreadable = false;
        Handle handle = 0;
    };

    std::vector<std::unique_ptr<IniFileInfo>> files; // in the order of opening
};

namespace
{
using IniFileInfo = CIniFileManagerProxy::MemberData::IniFileInfo;
using Handle = IIniFileManager::Handle;

constexpr ZQRESULT kAlreadyOpen = 1;
constexpr ZQRESULT kFailed = -1;
constexpr ZQRESULT kUnknownHandle = -3;

constexpr const char* kUnreadableSuffix = ".corrupt";

// Shared by every manager of the process, so that no handle is given out twice in a run.
std::atomic<Handle> gLastHandle{0};

std::string Utf8(const WString& text)
{
    const AString narrow(text);
    return std::string(narrow.GetBuffer(), static_cast<size_t>(narrow.GetLength()));
}

WString Wide(std::string_view text)
{
    return WString(std::string(text).c_str());
}

// What a file that is missing or holds no property list starts as. Built as nodes, so that any
// application name is kept as it is.
std::unique_ptr<XNode> NewDocument(const WString& applicationName)
{
    auto document = std::make_unique<XNode>(XNode::TypeDictionary);
    XNode* name = XNode::Create(document.get(), XNode::TypeString);
    name->SetKey("Application");
    name->SetString(Utf8(applicationName));
    return document;
}

// Whether what is at the path (not followed when it is a link) is worth keeping when it held no settings:
// anything but nothing, a folder or an empty file.
bool HoldsSomething(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return false;
    return !std::filesystem::is_regular_file(status) || std::filesystem::file_size(path, error) != 0;
}

void ReadDocument(IniFileInfo& file, const WString& applicationName)
{
    file.document = XNode::ParseFile(file.path.c_str(), nullptr);
    // XML whose elements are none of a property list's reads as a node without a type.
    if (!file.document || file.document->GetType() == XNode::TypeNone)
    {
        file.document = NewDocument(applicationName);
        file.keepUnreadable = HoldsSomething(file.path);
    }
}

// Moves an unreadable file out of the way of the first write, so that it is not lost; false when it
// cannot be moved (and must then not be replaced).
bool KeepUnreadable(IniFileInfo& file)
{
    if (!file.keepUnreadable)
        return true;
    std::error_code error;
    std::filesystem::rename(file.path, file.path + kUnreadableSuffix, error);
    if (error && error != std::errc::no_such_file_or_directory)
        return false;
    file.keepUnreadable = false;
    return true;
}

XNode* Resolve(IniFileInfo& file, const WString& key, bool create)
{
    const std::string path = file.keyPrefix + Utf8(key);
    return file.document->Lookup(path.c_str(), create ? XNode::kLookupCreate : 0);
}

bool IsContainer(const XNode& node)
{
    return node.GetType() == XNode::TypeDictionary || node.GetType() == XNode::TypeArray;
}

// Reals are truncated toward zero; values beyond the integers stop at their limits.
int32_t IntegerOf(const XNode& node)
{
    switch (node.GetType())
    {
    case XNode::TypeBoolean:
        return node.GetBoolean() ? 1 : 0;
    case XNode::TypeInteger:
        return node.GetInteger();
    case XNode::TypeReal:
    {
        const float real = node.GetReal();
        if (std::isnan(real))
            return 0;
        if (real >= 2147483648.0f)
            return INT32_MAX;
        if (real <= -2147483648.0f)
            return INT32_MIN;
        return static_cast<int32_t>(real);
    }
    default:
        return 0;
    }
}

WString TextOf(const XNode& node)
{
    return Wide(node.GetType() == XNode::TypeData ? node.GetData() : node.GetString());
}

// The element at index of an array, or null for an index out of range, an empty slot or another node.
XNode* ArrayItem(const XNode* array, int32_t index)
{
    if (array == nullptr || array->GetType() != XNode::TypeArray || index < 0)
        return nullptr;
    return array->GetChild(static_cast<size_t>(index));
}

// Makes node an array of count elements, each missing one an empty string.
ZQRESULT ResizeArray(XNode& node, int64_t count)
{
    if (count < 0)
        return kFailed;
    node.SetType(XNode::TypeArray);
    node.SetArrayCount(static_cast<size_t>(count));
    for (size_t i = 0; i < static_cast<size_t>(count); ++i)
    {
        if (node.GetChild(i) != nullptr)
            continue;
        auto item = std::make_unique<XNode>(XNode::TypeString);
        if (node.SetArrayItem(i, item.get()))
            item.release();
    }
    return S_OK;
}

IniFileInfo* Find(CIniFileManagerProxy::MemberData& data, Handle handle)
{
    const auto found = std::find_if(data.files.rbegin(), data.files.rend(),
                                    [handle](const auto& file) { return file->handle == handle; });
    return found != data.files.rend() ? found->get() : nullptr;
}

// Runs a reader on the file of handle; nothing it throws leaves the manager.
template <class Reader>
ZQRESULT Read(CIniFileManagerProxy::MemberData& data, Handle handle, Reader&& reader)
{
    IniFileInfo* file = Find(data, handle);
    if (file == nullptr)
        return kUnknownHandle;
    try
    {
        return reader(*file);
    }
    catch (const std::exception&)
    {
        return kFailed;
    }
}

// A writer's answer when the file already held what it was asked to write.
constexpr ZQRESULT kUnchanged = S_FALSE;

// Runs a writer on the file of handle and marks the file changed when it succeeds (or stopped half-way).
// A writer that found the value already there leaves the file unmarked, so that it is not written again.
template <class Writer>
ZQRESULT Change(CIniFileManagerProxy::MemberData& data, Handle handle, Writer&& writer)
{
    IniFileInfo* file = Find(data, handle);
    if (file == nullptr)
        return kUnknownHandle;
    try
    {
        const ZQRESULT result = writer(*file);
        if (result == kUnchanged)
            return S_OK;
        if (result == S_OK)
            file->changed = true;
        return result;
    }
    catch (const std::exception&)
    {
        file->changed = true;
        return kFailed;
    }
}

ZQRESULT WriteIfChanged(IniFileInfo& file)
{
    if (!file.changed)
        return S_OK;
    try
    {
        if (!KeepUnreadable(file) || file.document->WriteFile(file.path.c_str(), 0) != 0)
            return kFailed;
    }
    catch (const std::exception&)
    {
        return kFailed;
    }
    file.changed = false;
    return S_OK;
}
} // namespace

CIniFileManagerProxy::CIniFileManagerProxy() : mData(std::make_unique<MemberData>())
{
}

CIniFileManagerProxy::~CIniFileManagerProxy() = default;

ZQRESULT CIniFileManagerProxy::Reserved(int32_t)
{
    return S_OK;
}

ZQRESULT CIniFileManagerProxy::CloseAll()
{
    while (!mData->files.empty())
    {
        const std::unique_ptr<IniFileInfo> file = std::move(mData->files.back());
        mData->files.pop_back();
        (void)WriteIfChanged(*file);
    }
    return S_OK;
}

ZQRESULT CIniFileManagerProxy::Open(const WString& path, const WString& keyPrefix,
                                    const WString& applicationName, Handle& handle)
{
    handle = 0;
    try
    {
        auto file = std::make_unique<IniFileInfo>();
        file->path = Utf8(path);
        const auto same = std::find_if(mData->files.rbegin(), mData->files.rend(),
                                       [&](const auto& open) { return open->path == file->path; });
        if (same != mData->files.rend())
        {
            handle = (*same)->handle;
            return kAlreadyOpen;
        }
        file->keyPrefix = Utf8(keyPrefix);
        std::replace(file->keyPrefix.begin(), file->keyPrefix.end(), '.', '_');
        file->keyPrefix += '.';
        ReadDocument(*file, applicationName);
        file->handle = ++gLastHandle;
        mData->files.push_back(std::move(file));
        handle = mData->files.back()->handle;
        return S_OK;
    }
    catch (const std::exception&)
    {
        return kFailed;
    }
}

ZQRESULT CIniFileManagerProxy::Save(Handle handle)
{
    IniFileInfo* file = Find(*mData, handle);
    return file != nullptr ? WriteIfChanged(*file) : kUnknownHandle;
}

bool CIniFileManagerProxy::KeyExists(Handle handle, const WString& key)
{
    return Read(*mData, handle,
                [&](IniFileInfo& file)
                { return Resolve(file, key, false) != nullptr ? S_OK : kFailed; }) == S_OK;
}

ZQRESULT CIniFileManagerProxy::Close(Handle handle, bool save)
{
    IniFileInfo* file = Find(*mData, handle);
    if (file == nullptr)
        return kUnknownHandle;
    const ZQRESULT result = save ? WriteIfChanged(*file) : S_OK;
    std::erase_if(mData->files, [file](const auto& open) { return open.get() == file; });
    return result;
}

ZQRESULT CIniFileManagerProxy::GetInteger(Handle handle, const WString& key, int32_t defaultValue,
                                          int32_t& value)
{
    value = defaultValue;
    return Read(*mData, handle,
                [&](IniFileInfo& file)
                {
                    if (const XNode* node = Resolve(file, key, false))
                        value = IntegerOf(*node);
                    return S_OK;
                });
}

ZQRESULT CIniFileManagerProxy::SetInteger(Handle handle, const WString& key, int32_t value)
{
    return Change(*mData, handle,
                  [&](IniFileInfo& file)
                  {
                      if (const XNode* held = Resolve(file, key, false);
                          held != nullptr && held->GetType() == XNode::TypeInteger &&
                          held->GetInteger() == value)
                          return kUnchanged;
                      XNode* node = Resolve(file, key, true);
                      if (node == nullptr)
                          return kFailed;
                      node->SetInteger(value);
                      return S_OK;
                  });
}

ZQRESULT CIniFileManagerProxy::GetString(Handle handle, const WString& key, const WString& defaultValue,
                                         WString& text)
{
    text = defaultValue;
    return Read(*mData, handle,
                [&](IniFileInfo& file)
                {
                    if (const XNode* node = Resolve(file, key, false))
                        text = TextOf(*node);
                    return S_OK;
                });
}

ZQRESULT CIniFileManagerProxy::SetString(Handle handle, const WString& key, const WString& text)
{
    return Change(*mData, handle,
                  [&](IniFileInfo& file)
                  {
                      const std::string utf8 = Utf8(text);
                      if (const XNode* held = Resolve(file, key, false);
                          held != nullptr && held->GetType() == XNode::TypeString &&
                          held->GetString() == utf8)
                          return kUnchanged;
                      XNode* node = Resolve(file, key, true);
                      if (node == nullptr)
                          return kFailed;
                      node->SetString(utf8);
                      return S_OK;
                  });
}

ZQRESULT CIniFileManagerProxy::GetChildCount(Handle handle, const WString& key, int32_t& count)
{
    count = 0;
    return Read(*mData, handle,
                [&](IniFileInfo& file)
                {
                    const XNode* node = Resolve(file, key, false);
                    if (node == nullptr)
                        return kFailed;
                    count = static_cast<int32_t>(node->GetChildCount());
                    return S_OK;
                });
}

ZQRESULT CIniFileManagerProxy::GetChildName(Handle handle, const WString& key, int32_t index, WString& name)
{
    name.Empty();
    return Read(*mData, handle,
                [&](IniFileInfo& file)
                {
                    const XNode* node = Resolve(file, key, false);
                    if (node == nullptr || !IsContainer(*node) || index < 0)
                        return kFailed;
                    const XNode* child = node->GetChild(static_cast<size_t>(index));
                    if (child == nullptr)
                        return kFailed;
                    name = Wide(child->GetKey());
                    return S_OK;
                });
}

ZQRESULT CIniFileManagerProxy::GetArrayCount(Handle handle, const WString& key, int32_t& count)
{
    count = 0;
    return Read(*mData, handle,
                [&](IniFileInfo& file)
                {
                    const XNode* node = Resolve(file, key, false);
                    if (node == nullptr || node->GetType() != XNode::TypeArray)
                        return kFailed;
                    count = static_cast<int32_t>(node->GetChildCount());
                    return S_OK;
                });
}

ZQRESULT CIniFileManagerProxy::SetArrayCount(Handle handle, const WString& key, int32_t count)
{
    return Change(*mData, handle,
                  [&](IniFileInfo& file)
                  {
                      XNode* node = Resolve(file, key, true);
                      return node != nullptr ? ResizeArray(*node, count) : kFailed;
                  });
}

ZQRESULT CIniFileManagerProxy::GetArrayString(Handle handle, const WString& key, int32_t index, WString& text)
{
    text.Empty();
    return Read(*mData, handle,
                [&](IniFileInfo& file)
                {
                    const XNode* item = ArrayItem(Resolve(file, key, false), index);
                    if (item == nullptr)
                        return kFailed;
                    text = TextOf(*item);
                    return S_OK;
                });
}

ZQRESULT CIniFileManagerProxy::SetArrayString(Handle handle, const WString& key, int32_t index,
                                              const WString& text)
{
    return Change(*mData, handle,
                  [&](IniFileInfo& file)
                  {
                      XNode* node = Resolve(file, key, true);
                      if (node == nullptr || index < 0)
                          return kFailed;
                      // Grows a shorter array; an array long enough only has its empty slots filled.
                      node->SetType(XNode::TypeArray);
                      const auto wanted = static_cast<size_t>(index);
                      const auto count = static_cast<int64_t>(std::max(node->GetChildCount(), wanted + 1));
                      if (ResizeArray(*node, count) != S_OK)
                          return kFailed;
                      node->GetChild(wanted)->SetString(Utf8(text));
                      return S_OK;
                  });
}

ZQRESULT CIniFileManagerProxy::RemoveArrayItem(Handle handle, const WString& key, int32_t index)
{
    return Change(*mData, handle,
                  [&](IniFileInfo& file)
                  {
                      XNode* node = Resolve(file, key, false);
                      XNode* item = ArrayItem(node, index);
                      if (item == nullptr)
                          return kFailed;
                      node->RemoveChild(item);
                      return S_OK;
                  });
}
} // namespace ZQ
