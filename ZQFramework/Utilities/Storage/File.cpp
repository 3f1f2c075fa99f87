#include "ZQFramework/Utilities/Storage/File.h"

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ZQ
{
namespace
{
bool IsSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

// The UTF-8 form of a path for the system, every backslash turned into '/'.
std::string SystemPath(const WString& path)
{
    std::string narrow = path.ToNarrow().GetBuffer();
    std::replace(narrow.begin(), narrow.end(), '\\', '/');
    return narrow;
}

int LastSeparator(const WString& path)
{
    for (int i = path.GetLength() - 1; i >= 0; --i)
    {
        if (IsSeparator(path.GetAt(i)))
            return i;
    }
    return -1;
}

bool IsFolder(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(int descriptor)
{
    struct stat info
    {
    };
    return ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

bool ClearNonBlocking(int descriptor)
{
    const int status = ::fcntl(descriptor, F_GETFL);
    return status >= 0 && ::fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK) == 0;
}

int DescriptorOf(const RCPtr<LHolder<int>>& holder)
{
    return holder ? *holder->mValue : -1;
}

// Moves to an absolute offset first unless it is -1 (go on from the current position).
bool SeekForTransfer(int descriptor, int32_t offset)
{
    return offset == -1 || ::lseek(descriptor, offset, SEEK_SET) == offset;
}

template <typename Transfer>
ssize_t RetryInterrupted(Transfer transfer)
{
    ssize_t done;
    do
        done = transfer();
    while (done < 0 && errno == EINTR);
    return done;
}

// Makes every folder of the chain up to each separator after the first character, then the whole path.
bool CreateFolderChain(const std::string& path)
{
    for (size_t i = 1; i < path.size(); ++i)
    {
        if (path[i] == '/')
            (void)::mkdir(path.substr(0, i).c_str(), 0777);
    }
    (void)::mkdir(path.c_str(), 0777);
    return ::access(path.c_str(), F_OK) == 0;
}
} // namespace

File::File(const WString& folder, const WString& name, uint32_t flags)
{
    (void)Open(folder, name, flags);
}

File::~File()
{
    try
    {
        Close();
    }
    catch (...)
    {
    }
}

ZQRESULT File::Open(const WString& folder, const WString& name, uint32_t flags)
{
    if (mDescriptor)
        return S_FALSE;
    if (!name.IsEmpty())
    {
        mName = name;
        mPath = folder + WString(u"/") + name;
    }
    else
    {
        if (folder.IsEmpty())
            throw Exception<std::runtime_error>(
                "Runtime Error : invalid pathname : ZQ::File::Open : Utilities\\Storage\\ZQFile : Line 318");
        mPath = folder;
    }
    mFlags = flags;

    int mode = O_CLOEXEC | ((flags & kWrite) ? O_RDWR : O_RDONLY);
    if (flags & kCreate)
    {
        mode |= O_CREAT;
        if (flags & kExclusive)
            mode |= O_EXCL;
    }
    // Opened without waiting, so that a FIFO or a device in the file's place is refused at once instead of
    // blocking until another process opens its other end.
    const int descriptor = ::open(SystemPath(mPath).c_str(), mode | O_NONBLOCK, S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        return E_FAIL;
    if (!IsRegularFile(descriptor) || !ClearNonBlocking(descriptor))
    {
        ::close(descriptor);
        return E_FAIL;
    }
    mDescriptor = LHolder<int>::Create(descriptor);
    return S_OK;
}

ZQRESULT File::Close()
{
    if (!mDescriptor || mDescriptor->GetRefCount() != 1)
        return S_OK;
    ::close(*mDescriptor->mValue);
    if (mFlags & kTemporary)
        (void)::unlink(SystemPath(mPath).c_str());
    mDescriptor = nullptr;
    return S_OK;
}

int32_t File::Read(void* buffer, uint32_t count, int32_t offset)
{
    const int descriptor = DescriptorOf(mDescriptor);
    if (!SeekForTransfer(descriptor, offset))
        throw Exception<std::runtime_error>(
            "Runtime Error : lseek : ZQ::File::Read : Utilities\\Storage\\ZQFile : Line 472");
    const ssize_t done = RetryInterrupted([&] { return ::read(descriptor, buffer, count); });
    if (done < 0)
        throw Exception<std::runtime_error>(
            "Runtime Error : read : ZQ::File::Read : Utilities\\Storage\\ZQFile : Line 500");
    return static_cast<int32_t>(done);
}

int32_t File::Write(const void* buffer, uint32_t count, int32_t offset)
{
    if (!(mFlags & kWrite))
        throw Exception<std::runtime_error>(
            "Runtime Error : file is read only : ZQ::File::Write : Utilities\\Storage\\ZQFile : Line 579");
    const int descriptor = DescriptorOf(mDescriptor);
    if (!SeekForTransfer(descriptor, offset))
        throw Exception<std::runtime_error>(
            "Runtime Error : lseek : ZQ::File::Write : Utilities\\Storage\\ZQFile : Line 588");
    const ssize_t done = RetryInterrupted([&] { return ::write(descriptor, buffer, count); });
    if (done < 0)
        throw Exception<std::runtime_error>(
            "Runtime Error : write : ZQ::File::Write : Utilities\\Storage\\ZQFile : Line 627");
    return static_cast<int32_t>(done);
}

int32_t File::Seek(int32_t offset, int32_t origin)
{
    const int descriptor = DescriptorOf(mDescriptor);
    const int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    return static_cast<int32_t>(::lseek(descriptor, offset, whence));
}

int32_t File::GetLength() const
{
    if (!mDescriptor)
        return 0;
    struct stat info
    {
    };
    // A size beyond the 32-bit result fails as the system's 32-bit stat fails on it, rather than being cut
    // to a smaller size that a reader would take for the whole file.
    if (::fstat(*mDescriptor->mValue, &info) != 0 || info.st_size > INT32_MAX)
        throw Exception<std::runtime_error>(
            "Runtime Error : fstat : ZQ::File::GetLength : Utilities\\Storage\\ZQFile : Line 126");
    return static_cast<int32_t>(info.st_size);
}

bool File::Exists(const WString& path)
{
    struct stat info
    {
    };
    return !path.IsEmpty() && ::stat(SystemPath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

ZQRESULT File::CreateFolder(const WString& path)
{
    const std::string systemPath = SystemPath(path);
    struct stat info
    {
    };
    if (::stat(systemPath.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? S_FALSE : E_FAIL;
    if (systemPath.empty())
        return E_FAIL;
    return CreateFolderChain(systemPath) && IsFolder(systemPath) ? S_OK : E_FAIL;
}

bool File::DirectoryExists(const WString& path)
{
    std::string systemPath = SystemPath(path);
    const bool driveRoot = systemPath.size() == 3 && systemPath[1] == ':';
    if (systemPath.size() > 1 && systemPath.back() == '/' && !driveRoot)
        systemPath.pop_back();
    return IsFolder(systemPath);
}

int32_t File::EnumerateFiles(const WString& folder, const WString& pattern, WStringArray& names)
{
    names.RemoveAll();
    const std::string systemFolder = SystemPath(folder);
    if (!IsFolder(systemFolder))
        return E_NOTIMPL;
    DIR* listing = ::opendir(systemFolder.c_str());
    if (!listing)
        return E_FAIL;
    const std::string systemPattern = pattern.ToNarrow().GetBuffer();
    std::vector<std::string> found;
    bool failed = false;
    for (;;)
    {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (!entry)
        {
            failed = errno != 0;
            break;
        }
        if (::fnmatch(systemPattern.c_str(), entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        if (IsFolder(systemFolder + "/" + entry->d_name))
            continue;
        found.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    if (failed)
        return E_FAIL;
    std::sort(found.begin(), found.end());
    for (const std::string& name : found)
        names.Add(folder + WString(u"/") + WString(name.c_str()));
    return static_cast<int32_t>(names.GetCount());
}

WString File::GetLongPathName(const WString& path)
{
    struct stat info
    {
    };
    if (path.IsEmpty() || ::stat(SystemPath(path).c_str(), &info) != 0)
        return WString();
    return path;
}

WString File::GetFolderFromPath(const WString& path)
{
    const int separator = LastSeparator(path);
    return separator < 0 ? path : path.Left(separator);
}

WString File::GetFileNameFromPath(const WString& path)
{
    const int separator = LastSeparator(path);
    if (separator < 0 || separator == path.GetLength() - 1)
        return path;
    return path.Mid(separator + 1);
}

WString File::MakeValidFileName(const WString& text)
{
    WString result = text;
    result.ReplaceChars(u"\\/:*?\"<>|&;,^()", u'_');
    return result;
}
} // namespace ZQ
