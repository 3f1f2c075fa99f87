#pragma once

#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/Forward.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// A file opened by folder and name over a system file descriptor, read and written at an optional
// absolute offset; with path helpers beside it. A failed open is reported by Open's result; every other
// input or output failure throws Exception<std::runtime_error>. Copies share the descriptor, which the
// last copy that holds it closes. Paths are split at '/' and '\' and joined with '/'.
class File
{
public:
    static constexpr uint32_t kRead = 0x10000;       // every caller passes it; adds nothing to the mode
    static constexpr uint32_t kWrite = 0x20000;      // read and write; without it Write throws
    static constexpr uint32_t kExclusive = 0x40000;  // with kCreate: fail when the file exists
    static constexpr uint32_t kCreate = 0x80000;     // create the file when it does not exist
    static constexpr uint32_t kTemporary = 0x100000; // delete the file when it is closed

    File() = default;
    // Opens at once; the result of the open is kept to the object (see IsOpen).
    File(const WString& folder, const WString& name, uint32_t flags);
    virtual ~File();

    File(const File&) = default;
    File& operator=(const File&) = default;

    // S_OK, E_FAIL when the file cannot be opened or is not a regular file (a folder, a FIFO, a device or
    // a socket is refused without waiting for it), S_FALSE when this object is already open. With an empty
    // name the folder is the whole path; an empty path throws.
    virtual ZQRESULT Open(const WString& folder, const WString& name, uint32_t flags);
    // Closes the descriptor when this object is its only holder (deleting a temporary file); S_OK.
    virtual ZQRESULT Close();
    // Bytes read (0 at the end of the file); an offset other than -1 is sought to first.
    virtual int32_t Read(void* buffer, uint32_t count, int32_t offset = -1);
    // Bytes written; an offset other than -1 is sought to first.
    virtual int32_t Write(const void* buffer, uint32_t count, int32_t offset = -1);
    // The new position (origin 0 start, 1 current, 2 end), or -1.
    virtual int32_t Seek(int32_t offset, int32_t origin);

    // The size in bytes; 0 when not open. A size beyond the 32-bit range throws as a failed stat does.
    [[nodiscard]] int32_t GetLength() const;
    [[nodiscard]] bool IsOpen() const { return static_cast<bool>(mDescriptor); }
    [[nodiscard]] const WString& GetPath() const { return mPath; }
    [[nodiscard]] const WString& GetName() const { return mName; }

    // True when something that is not a folder exists at the path.
    [[nodiscard]] static bool Exists(const WString& path);
    // S_FALSE when the folder exists, E_FAIL when something else is in the way or it cannot be made;
    // otherwise makes it with its missing parents and gives S_OK.
    static ZQRESULT CreateFolder(const WString& path);
    [[nodiscard]] static bool DirectoryExists(const WString& path);
    // Fills names with folder + "/" + name for each file (not folder) of the folder whose name matches
    // the pattern ('*' and '?', case-insensitive), in name order; the count, E_NOTIMPL when the folder
    // does not exist, E_FAIL when the listing fails.
    static int32_t EnumerateFiles(const WString& folder, const WString& pattern, WStringArray& names);
    // The path itself when it exists (the system has no short names), else empty.
    [[nodiscard]] static WString GetLongPathName(const WString& path);
    // The part before the last separator; the whole path when there is none.
    [[nodiscard]] static WString GetFolderFromPath(const WString& path);
    // The part after the last separator; the whole path when there is none or it ends the path.
    [[nodiscard]] static WString GetFileNameFromPath(const WString& path);
    // A copy with each of \/:*?"<>|&;,^() replaced by '_'.
    [[nodiscard]] static WString MakeValidFileName(const WString& text);

private:
    RCPtr<LHolder<int>> mDescriptor; // null when not open
    WString mName;
    WString mPath;
    uint32_t mFlags = kRead;
};
} // namespace ZQ
