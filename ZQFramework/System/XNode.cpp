#include "ZQFramework/System/XNode.h"

#include "Platform/Registry/TemporaryFiles.h"
#include "ZQFramework/Utilities/Storage/StringConversion.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <expat.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace ZQ
{
namespace
{
constexpr size_t kMaxDepth = 64; // levels of the reader's state: nesting deeper than this is an error

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

bool SameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

int32_t ErrnoOr5()
{
    return errno != 0 ? errno : 5;
}

// The length of the well-formed UTF-8 sequence at text[i] that XML may carry, or 0 when there is none.
size_t Utf8SequenceLength(std::string_view text, size_t i)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data()) + i;
    const size_t length = bytes[0] < 0x80 ? 1 : bytes[0] >= 0xF0 ? 4 : bytes[0] >= 0xE0 ? 3 : 2;
    if (i + length > text.size() || !IsLegalUtf8(bytes, static_cast<int>(length)))
        return 0;
    // U+FFFE and U+FFFF are not XML characters.
    if (length == 3 && bytes[0] == 0xEF && bytes[1] == 0xBF && bytes[2] >= 0xBE)
        return 0;
    return length;
}

// Appends text as XML character data: markup characters as entities, a carriage return as a character
// reference (a parser would fold it into a line feed otherwise). Control characters that XML cannot carry
// at all are left out, and bytes that are not UTF-8 become U+FFFD, so that the document stays readable.
void AppendEscaped(std::string& out, std::string_view text)
{
    for (size_t i = 0; i < text.size();)
    {
        const char c = text[i];
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
                break;
            if (const size_t length = Utf8SequenceLength(text, i); length > 0)
            {
                out.append(text.substr(i, length));
                i += length;
                continue;
            }
            out += "\xEF\xBF\xBD";
            break;
        }
        ++i;
    }
}

void AppendInteger(std::string& out, int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// "%f": fixed notation with six decimals, independent of the locale.
void AppendReal(std::string& out, double value)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out.append(buffer, result.ptr);
}

const char* ContainerElement(XNode::Type type)
{
    return type == XNode::TypeDictionary ? "dict" : "array";
}
} // namespace

// ---- nodes ----

XNode::XNode(Type type) : mFlags(type & kTypeMask)
{
}

XNode::~XNode()
{
    DiscardValue();
    // Leave every container that still lists this node, so that none keeps a dangling slot.
    while (!mParents.empty())
    {
        XNode* parent = mParents.back();
        mParents.pop_back();
        const auto slot = std::find(parent->mChildren.begin(), parent->mChildren.end(), this);
        if (slot != parent->mChildren.end())
            parent->mChildren.erase(slot);
    }
}

XNode* XNode::Create(XNode* parent, Type type)
{
    auto node = std::make_unique<XNode>(type);
    if (parent != nullptr && !parent->AddChild(node.get()))
        return nullptr;
    return node.release();
}

bool XNode::IsContainer() const
{
    return GetType() == TypeDictionary || GetType() == TypeArray;
}

void XNode::DiscardValue()
{
    mText.clear();
    mText.shrink_to_fit();
    mBoolean = false;
    mInteger = 0;
    mReal = 0.0f;
    std::vector<XNode*> children;
    children.swap(mChildren);
    for (XNode* child : children)
        if (child != nullptr && child->Unlink(this))
            delete child;
}

void XNode::Link(XNode* parent)
{
    mParents.push_back(parent);
}

bool XNode::Unlink(XNode* parent)
{
    const auto found = std::find(mParents.begin(), mParents.end(), parent);
    if (found != mParents.end())
        mParents.erase(found);
    return mParents.empty();
}

int XNode::SetType(Type type)
{
    if (GetType() == type)
        return 0;
    DiscardValue();
    mFlags = (mFlags & ~kTypeMask) | (type & kTypeMask);
    return 1;
}

uint32_t XNode::HashKey(const char* bytes, size_t length)
{
    uint32_t hash = 0;
    int32_t previous = 1;
    for (size_t i = 0; i < length; ++i)
    {
        const int32_t factor = (static_cast<int8_t>(bytes[i]) | 0x20) + 1;
        hash += static_cast<uint32_t>(factor * previous);
        previous = factor;
    }
    return hash;
}

void XNode::SetKey(const char* bytes, size_t length)
{
    if (bytes == nullptr || (bytes[0] == '\0' && length == 0))
    {
        mKey.clear();
        mKeyHash = 0;
        return;
    }
    if (length == 0)
        length = std::strlen(bytes);
    mKey.assign(bytes, length);
    mKeyHash = HashKey(mKey.data(), mKey.size());
}

void XNode::SetString(std::string_view text)
{
    SetType(TypeString);
    mText.assign(text);
    SetDirty(true);
}

void XNode::SetInteger(int32_t value)
{
    if (GetType() == TypeInteger && mInteger == value)
        return;
    SetType(TypeInteger);
    mInteger = value;
    SetDirty(true);
}

void XNode::AppendText(const char* text, size_t length)
{
    mText.append(text, length);
}

void XNode::SetValueFromText(const char* text, size_t length)
{
    const std::string_view view(text != nullptr ? text : "", text != nullptr ? length : 0);
    switch (GetType())
    {
    case TypeString:
        mText.append(view);
        break;
    case TypeBoolean:
        mBoolean = view.size() >= 4 && EqualsNoCase(view.substr(0, 4), "true");
        break;
    case TypeInteger:
    {
        // The value as a 32-bit strtol reads it: out-of-range values stop at the limits.
        const std::string copy(view);
        const long long value = std::strtoll(copy.c_str(), nullptr, 0);
        mInteger = static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
        break;
    }
    case TypeReal:
    {
        size_t start = 0;
        while (start < view.size() && (view[start] == ' ' || (view[start] >= '\t' && view[start] <= '\r')))
            ++start;
        if (start < view.size() && view[start] == '+')
            ++start;
        float value = 0.0f;
        const auto result = std::from_chars(view.data() + start, view.data() + view.size(), value);
        if (result.ec == std::errc())
            mReal = value;
        break;
    }
    case TypeData:
        mText.assign(view);
        break;
    default:
        return;
    }
    SetDirty(true);
}

void XNode::SetDirty(bool on)
{
    if (on)
    {
        std::vector<XNode*> pending{this};
        while (!pending.empty())
        {
            XNode* node = pending.back();
            pending.pop_back();
            if (node->IsDirty() || node->IsVolatile())
                continue;
            node->mFlags |= kDirty;
            pending.insert(pending.end(), node->mParents.begin(), node->mParents.end());
        }
        return;
    }
    // Every node below is visited, not only the dirty ones: a volatile node is never marked, yet nodes
    // below it may be. A node held by several containers is visited once.
    std::vector<XNode*> pending{this};
    std::unordered_set<const XNode*> visited{this};
    while (!pending.empty())
    {
        XNode* node = pending.back();
        pending.pop_back();
        node->mFlags &= ~kDirty;
        for (XNode* child : node->mChildren)
            if (child != nullptr && visited.insert(child).second)
                pending.push_back(child);
    }
}

bool XNode::AddChild(XNode* child)
{
    if (child == nullptr || !IsContainer())
        return false;
    child->Link(this);
    mChildren.push_back(child);
    if (!child->IsVolatile())
        SetDirty(true);
    return true;
}

bool XNode::RemoveChild(XNode* child)
{
    if (child == nullptr || !IsContainer())
        return false;
    const auto slot = std::find(mChildren.begin(), mChildren.end(), child);
    if (slot == mChildren.end())
        return false;
    mChildren.erase(slot);
    const bool wasVolatile = child->IsVolatile();
    if (child->Unlink(this))
        delete child;
    if (!wasVolatile)
        SetDirty(true);
    return true;
}

bool XNode::SetArrayItem(size_t index, XNode* child)
{
    if (child == nullptr || GetType() != TypeArray)
        return false;
    child->Link(this);
    if (mChildren.size() < index + 1)
        mChildren.resize(index + 1, nullptr);
    if (XNode* old = mChildren[index]; old != nullptr && old->Unlink(this))
        delete old;
    mChildren[index] = child;
    if (!child->IsVolatile())
        SetDirty(true);
    return true;
}

bool XNode::SetArrayCount(size_t count)
{
    if (GetType() != TypeArray)
        return false;
    if (count == mChildren.size())
        return true;
    while (mChildren.size() > count)
    {
        XNode* last = mChildren.back();
        mChildren.pop_back();
        if (last != nullptr && last->Unlink(this))
            delete last;
    }
    mChildren.resize(count, nullptr);
    SetDirty(true);
    return true;
}

size_t XNode::GetChildCount() const
{
    return IsContainer() ? mChildren.size() : 0;
}

size_t XNode::GetChildCount(bool includeVolatile) const
{
    if (!IsContainer())
        return 0;
    return static_cast<size_t>(std::count_if(
        mChildren.begin(), mChildren.end(),
        [&](const XNode* child) { return child != nullptr && (includeVolatile || !child->IsVolatile()); }));
}

XNode* XNode::GetChild(size_t index) const
{
    return IsContainer() && index < mChildren.size() ? mChildren[index] : nullptr;
}

XNode* XNode::FindChild(const char* key, size_t length) const
{
    if (!IsContainer() || key == nullptr)
        return nullptr;
    const uint32_t hash = HashKey(key, length);
    const std::string_view wanted(key, length);
    for (XNode* child : mChildren)
        if (child != nullptr && child->mKeyHash == hash && SameKey(child->mKey, wanted))
            return child;
    return nullptr;
}

XNode* XNode::Lookup(const char* path, uint32_t flags)
{
    if (path == nullptr || path[0] == '\0')
        return this;
    const bool create = (flags & (kLookupCreate | kLookupCreateVolatile)) != 0;
    const bool makeVolatile = (flags & kLookupCreateVolatile) != 0;
    XNode* current = this;
    XNode* container = nullptr;
    const char* p = path;
    while (*p != '\0')
    {
        const size_t segment = std::strcspn(p, "[.");
        if (segment > 0)
        {
            XNode* child = current->FindChild(p, segment);
            if (child == nullptr)
            {
                if (!create)
                    return nullptr;
                if (current->GetType() != TypeDictionary)
                    current->SetType(TypeDictionary);
                auto made = std::make_unique<XNode>();
                made->SetKey(p, segment);
                if (makeVolatile && p[segment] == '\0')
                    made->SetVolatile(true);
                current->AddChild(made.get());
                child = made.release();
            }
            container = current;
            current = child;
            p += segment;
        }
        if (*p == '.')
        {
            ++p;
            continue;
        }
        if (*p != '[')
            continue;
        ++p;
        size_t index = 0;
        while (*p >= '0' && *p <= '9')
        {
            index = std::min<size_t>(index * 10 + static_cast<size_t>(*p - '0'), UINT32_MAX);
            ++p;
        }
        XNode* item = current->GetChild(index);
        if (item == nullptr)
        {
            if (!create)
                return nullptr;
            if (current->GetChildCount() == 0)
                current->SetType(TypeArray);
            if (index < current->GetChildCount())
                return nullptr;
            while (current->GetChildCount() <= index)
            {
                auto made = std::make_unique<XNode>(TypeDictionary);
                if (makeVolatile)
                    made->SetVolatile(true);
                current->AddChild(made.get());
                made.release();
            }
            item = current->GetChild(index);
        }
        container = current;
        current = item;
        if (*p == ']')
            ++p;
        if (*p == '.')
            ++p;
    }
    if ((flags & kLookupRemove) && container != nullptr)
    {
        container->RemoveChild(current);
        return nullptr;
    }
    return current;
}

// ---- writing ----

void XNode::OutputFile::Write(const char* bytes, size_t length)
{
    if (mError != 0)
        return;
    auto put = [&](const char* data, size_t size)
    {
        if (size > 0 && std::fwrite(data, size, 1, mFile) != 1)
            mError = ErrnoOr5();
    };
    if (!mCrlf)
    {
        put(bytes, length);
        return;
    }
    size_t start = 0;
    for (size_t i = 0; i < length && mError == 0; ++i)
    {
        if (bytes[i] != '\n')
            continue;
        put(bytes + start, i - start);
        put("\r\n", 2);
        start = i + 1;
    }
    if (mError == 0)
        put(bytes + start, length - start);
}

namespace
{
struct WriteStep
{
    const XNode* container;
    size_t next;
};

// A node without a type writes nothing; a volatile one only when volatile nodes are asked for.
bool IsWritten(const XNode* node, uint32_t flags)
{
    return node != nullptr && node->GetType() != XNode::TypeNone &&
           (!node->IsVolatile() || (flags & XNode::kWriteVolatile));
}

// Whether a container has a child that writes anything: a container without one is written as an empty
// element, so that the file reads back into the tree it was written from.
bool HasWrittenChild(const XNode& node, uint32_t flags)
{
    for (size_t i = 0; i < node.GetChildCount(); ++i)
        if (IsWritten(node.GetChild(i), flags))
            return true;
    return false;
}

std::string Attributes(const XNode& node, uint32_t flags)
{
    std::string text;
    if (node.IsVisible())
        text += " visible=\"true\"";
    if (node.IsLocked())
        text += " locked=\"true\"";
    if (flags & XNode::kWriteAttributes)
    {
        if (node.IsVolatile())
            text += " volatile=\"true\"";
        if (node.IsDirty())
            text += " dirty=\"true\"";
    }
    return text;
}

// The text of one node: its indentation, key and value element (or the opening tag of a container).
std::string NodeText(const XNode& node, const XNode* container, size_t depth, uint32_t flags)
{
    std::string text;
    const XNode::Type type = node.GetType();
    if (type == XNode::TypeNone)
        return text;
    text.assign(depth, '\t');
    const bool keyed = container != nullptr ? container->GetType() != XNode::TypeArray
                                            : (flags & XNode::kWriteDocument) == 0;
    if (node.HasKey() && keyed)
    {
        text += "<key>";
        AppendEscaped(text, node.GetKey());
        text += "</key>";
    }
    const std::string attributes = Attributes(node, flags);
    switch (type)
    {
    case XNode::TypeString:
        text += "<string" + attributes + ">";
        AppendEscaped(text, node.GetString());
        text += "</string>\n";
        break;
    case XNode::TypeBoolean:
        text += std::string("<") + (node.GetBoolean() ? "true" : "false") + attributes + "/>\n";
        break;
    case XNode::TypeInteger:
        text += "<integer" + attributes + ">";
        AppendInteger(text, node.GetInteger());
        text += "</integer>\n";
        break;
    case XNode::TypeReal:
        text += "<real" + attributes + ">";
        AppendReal(text, static_cast<double>(node.GetReal()));
        text += "</real>\n";
        break;
    case XNode::TypeData:
        text += "<data" + attributes + ">";
        AppendEscaped(text, node.GetData());
        text += "</data>\n";
        break;
    case XNode::TypeDictionary:
    case XNode::TypeArray:
        text += std::string("<") + ContainerElement(type) + attributes;
        text += HasWrittenChild(node, flags) ? ">\n" : "/>\n";
        break;
    default:
        text.clear();
        break;
    }
    return text;
}
} // namespace

int32_t XNode::Write(Output& output, uint32_t flags) const
{
    output.mFlags = flags;
    auto emit = [&output](const XNode* node, std::string_view text)
    {
        output.mNode = node;
        if (output.mError == 0 && !text.empty())
            output.Write(text.data(), text.size());
    };
    if (flags & kWriteDocument)
        emit(this, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                   "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                   "<plist version=\"1.0\">\n");

    // Depth-first with an explicit stack, so that a deep tree cannot exhaust the call stack.
    std::vector<WriteStep> open;
    auto visit = [&](const XNode* node, const XNode* container)
    {
        emit(node, NodeText(*node, container, open.size(), flags));
        if (node->IsContainer() && HasWrittenChild(*node, flags))
            open.push_back({node, 0});
    };
    if (IsWritten(this, flags))
        visit(this, nullptr);
    while (!open.empty() && output.mError == 0)
    {
        WriteStep& step = open.back();
        const XNode* container = step.container;
        const XNode* next = nullptr;
        while (step.next < container->mChildren.size() && next == nullptr)
        {
            const XNode* child = container->mChildren[step.next++];
            if (IsWritten(child, flags))
                next = child;
        }
        if (next != nullptr)
        {
            visit(next, container);
            continue;
        }
        open.pop_back();
        emit(container,
             std::string(open.size(), '\t') + "</" + ContainerElement(container->GetType()) + ">\n");
    }
    if (flags & kWriteDocument)
        emit(this, "</plist>\n");
    return output.mError;
}

namespace
{
// A folder open for the calls that name files in it; closed at the end of the scope.
class FolderHandle
{
public:
    explicit FolderHandle(const std::string& path)
        : mFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~FolderHandle()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    [[nodiscard]] int Fd() const { return mFd; }

private:
    const int mFd;
};

// Writes the document to a new temporary file made from the pattern temp (which then names it), with the
// given permissions, and flushes it to the disk. On failure no temporary file is left.
int32_t WriteTemporary(const XNode& node, std::string& temp, mode_t permissions, uint32_t flags)
{
    errno = 0;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return ErrnoOr5();
    ::fchmod(fd, permissions);
    FILE* file = ::fdopen(fd, "w");
    if (file == nullptr)
    {
        const int32_t error = ErrnoOr5();
        ::close(fd);
        ::unlink(temp.c_str());
        return error;
    }
    XNode::OutputFile output(file, true);
    int32_t error = node.Write(output, flags | XNode::kWriteDocument);
    errno = 0;
    if (error == 0 && std::fflush(file) != 0)
        error = ErrnoOr5();
    if (error == 0 && ::fsync(::fileno(file)) != 0)
        error = ErrnoOr5();
    errno = 0;
    if (std::fclose(file) != 0 && error == 0)
        error = ErrnoOr5();
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}
} // namespace

int32_t XNode::WriteFile(const char* path, uint32_t flags) const
{
    if (path == nullptr || path[0] == '\0')
        return ENOENT;
    // The path's own entry is replaced by the new regular file: a symbolic link there is replaced, never
    // written through, so a link cannot make this write replace some other file.
    const std::string target = path;
    struct stat existing
    {
    };
    const bool regular = ::lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    // A file we may not write stays as it is, although the folder would let us replace it.
    errno = 0;
    if (regular && ::access(target.c_str(), W_OK) != 0)
        return ErrnoOr5();
    const size_t slash = target.rfind('/');
    const std::string folderPath = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : target.substr(0, slash);
    const std::string fileName = slash == std::string::npos ? target : target.substr(slash + 1);
    errno = 0;
    const FolderHandle folder(folderPath);
    if (folder.Fd() < 0)
        return ErrnoOr5();
    // The temporary file's name carries this process's id, so that the next write can tell the
    // temporaries of writers killed half-way from those of writers still at work.
    const std::string temporaryPrefix = fileName + ".tmp.";
    Platform::RemoveStaleTemporaries(folder.Fd(), temporaryPrefix);
    std::string temp = folderPath + "/" + Platform::TemporaryNamePrefix(temporaryPrefix) + "XXXXXX";
    const mode_t permissions = regular ? (existing.st_mode & 07777) : 0644;
    if (const int32_t error = WriteTemporary(*this, temp, permissions, flags); error != 0)
        return error;
    errno = 0;
    if (std::rename(temp.c_str(), target.c_str()) != 0)
    {
        const int32_t error = ErrnoOr5();
        ::unlink(temp.c_str());
        return error;
    }
    // The new file is in place; a folder that cannot be flushed only risks the rename at a power cut.
    (void)Platform::SyncFolder(folder.Fd());
    return 0;
}

// ---- reading ----

// The reader's state while Expat walks one document.
class XNodeReader
{
public:
    explicit XNodeReader(XML_Parser parser) : mParser(parser), mLevels(kMaxDepth) {}

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<XNodeReader*>(data)->Start(name, attributes);
    }
    static void XMLCALL OnEnd(void* data, const XML_Char* name)
    {
        static_cast<XNodeReader*>(data)->End(name);
    }
    static void XMLCALL OnText(void* data, const XML_Char* text, int length)
    {
        static_cast<XNodeReader*>(data)->Text(text, static_cast<size_t>(length));
    }

    std::unique_ptr<XNode> mRoot;
    std::string mFailure; // our own reason to stop, when not Expat's

private:
    struct Level
    {
        XNode* node = nullptr;
        bool acceptText = false;
        std::string number; // the text of an integer or real, which may come in pieces
    };

    void Fail(const char* reason)
    {
        mFailure = reason;
        XML_StopParser(mParser, XML_FALSE);
    }

    XNode* MakeNode()
    {
        auto node = std::make_unique<XNode>();
        XNode* made = node.get();
        XNode* above = mDepth > 0 ? mLevels[mDepth - 1].node : nullptr;
        if (!mRoot)
            mRoot = std::move(node);
        else if (above != nullptr && above->AddChild(made))
            node.release();
        else
            mStray.push_back(std::move(node)); // held nowhere: freed with the reader
        return made;
    }

    void Start(const char* name, const char** attributes)
    {
        Level& level = mLevels[mDepth];
        if (level.node == nullptr)
        {
            level.node = MakeNode();
            level.acceptText = false;
        }
        XNode* node = level.node;
        for (size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
        {
            const bool on = EqualsNoCase(attributes[i + 1], "true");
            if (EqualsNoCase(attributes[i], "visible"))
                node->SetVisible(on);
            else if (EqualsNoCase(attributes[i], "locked"))
                node->SetLocked(on);
        }
        const std::string_view element = name;
        if (EqualsNoCase(element, "key"))
        {
            level.acceptText = true;
        }
        else if (EqualsNoCase(element, "dict") || EqualsNoCase(element, "array"))
        {
            node->SetType(EqualsNoCase(element, "dict") ? XNode::TypeDictionary : XNode::TypeArray);
            if (mDepth + 1 >= kMaxDepth)
                return Fail("nesting too deep");
            ++mDepth;
            mLevels[mDepth] = Level{};
        }
        else if (EqualsNoCase(element, "string") || EqualsNoCase(element, "integer") ||
                 EqualsNoCase(element, "real") || EqualsNoCase(element, "data"))
        {
            node->SetType(EqualsNoCase(element, "string")    ? XNode::TypeString
                          : EqualsNoCase(element, "integer") ? XNode::TypeInteger
                          : EqualsNoCase(element, "real")    ? XNode::TypeReal
                                                             : XNode::TypeData);
            level.acceptText = true;
            level.number.clear();
        }
        else if (EqualsNoCase(element, "true") || EqualsNoCase(element, "false"))
        {
            node->SetType(XNode::TypeBoolean);
            node->mBoolean = EqualsNoCase(element, "true");
        }
    }

    void End(const char* name)
    {
        const std::string_view element = name;
        {
            Level& level = mLevels[mDepth];
            XNode* node = level.node;
            if (node != nullptr && level.acceptText &&
                (node->GetType() == XNode::TypeInteger || node->GetType() == XNode::TypeReal))
                node->SetValueFromText(level.number.data(), level.number.size());
        }
        if ((EqualsNoCase(element, "plist") || EqualsNoCase(element, "dict") ||
             EqualsNoCase(element, "array")) &&
            mDepth > 0)
            --mDepth;
        Level& level = mLevels[mDepth];
        level.acceptText = false;
        if (level.node != nullptr && level.node->GetType() != XNode::TypeNone)
            level.node = nullptr;
    }

    void Text(const char* text, size_t length)
    {
        Level& level = mLevels[mDepth];
        XNode* node = level.node;
        if (node == nullptr || !level.acceptText)
            return;
        switch (node->GetType())
        {
        case XNode::TypeNone:
        {
            std::string key(node->GetKey());
            key.append(text, length);
            node->SetKey(key.data(), key.size());
            break;
        }
        case XNode::TypeInteger:
        case XNode::TypeReal:
            level.number.append(text, length);
            break;
        case XNode::TypeString:
        case XNode::TypeData:
            node->AppendText(text, length);
            break;
        default:
            node->SetValueFromText(text, length);
            break;
        }
    }

    XML_Parser mParser;
    std::vector<Level> mLevels;
    size_t mDepth = 0;
    std::vector<std::unique_ptr<XNode>> mStray;
};

std::unique_ptr<XNode> XNode::ParseMemory(const char* text, size_t length, const char* name, XNode* errorNode)
{
    if (text == nullptr)
        length = 0;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr)
        return nullptr;
    XNodeReader reader(parser);
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, &XNodeReader::OnStart, &XNodeReader::OnEnd);
    XML_SetCharacterDataHandler(parser, &XNodeReader::OnText);

    bool parsed = true;
    size_t done = 0;
    constexpr size_t kChunk = 1u << 28;
    do
    {
        const size_t piece = std::min(kChunk, length - done);
        const bool last = done + piece == length;
        if (XML_Parse(parser, text != nullptr ? text + done : "", static_cast<int>(piece), last) !=
            XML_STATUS_OK)
        {
            parsed = false;
            break;
        }
        done += piece;
    } while (done < length);

    if (!parsed)
    {
        const std::string reason =
            reader.mFailure.empty() ? XML_ErrorString(XML_GetErrorCode(parser)) : reader.mFailure;
        const auto line = static_cast<int>(XML_GetCurrentLineNumber(parser));
        if (errorNode != nullptr)
            errorNode->SetString("XML Load Error \"" + reason + "\" line " + std::to_string(line));
        std::fprintf(stderr, "%s:%d: %s\n", name != nullptr ? name : "XML Load Error", line, reason.c_str());
        XML_ParserFree(parser);
        return nullptr;
    }
    XML_ParserFree(parser);
    if (reader.mRoot)
        reader.mRoot->SetDirty(false);
    return std::move(reader.mRoot);
}

std::unique_ptr<XNode> XNode::ParseFile(const char* path, XNode* errorNode)
{
    if (path == nullptr)
        return nullptr;
    // Opened without waiting, so that a FIFO or a device in the file's place is refused at once instead
    // of blocking until another process opens its other end.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info
    {
    };
    FILE* file = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? ::fdopen(fd, "rb") : nullptr;
    if (file == nullptr)
    {
        ::close(fd);
        return nullptr;
    }
    std::string text;
    char buffer[65536];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, read);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return nullptr;
    return ParseMemory(text.data(), text.size(), path, errorNode);
}
} // namespace ZQ
