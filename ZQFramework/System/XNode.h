#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ZQ
{
// A tree of typed values in the shape of an XML property list (dictionaries of keyed values, arrays,
// strings, integers, reals, booleans, data), read from and written to the settings files, with nodes found
// by dotted key paths such as "Window.Position[1].X".
//
// Ownership: a node belongs to the containers it sits in (it may sit in several); it is deleted when it is
// taken out of the last one, and a container deletes the children that no other container holds. A node in
// no container (a root, or one made with a null parent) belongs to its creator. Text is UTF-8 bytes; keys
// compare without regard to ASCII case. A tree is used by one thread at a time.
class XNode
{
public:
    enum Type : uint32_t
    {
        TypeNone = 0,
        TypeString = 1,
        TypeBoolean = 2,
        TypeInteger = 3,
        TypeReal = 4,
        TypeDictionary = 5,
        TypeArray = 6,
        TypeData = 7,
    };

    // Bits of the flags word besides the type (bits 0-3).
    static constexpr uint32_t kTypeMask = 0x0F;
    static constexpr uint32_t kDirty = 0x10;
    static constexpr uint32_t kVolatile = 0x20;
    static constexpr uint32_t kVisible = 0x40;
    static constexpr uint32_t kLocked = 0x80;

    // Lookup flags.
    static constexpr uint32_t kLookupCreate = 1;
    static constexpr uint32_t kLookupCreateVolatile = 2;
    static constexpr uint32_t kLookupRemove = 4;

    // Write flags.
    static constexpr uint32_t kWriteDocument = 1;   // the XML header and the plist element around the tree
    static constexpr uint32_t kWriteAttributes = 2; // also the volatile and dirty attributes
    static constexpr uint32_t kWriteVolatile =
        4; // also volatile nodes (skipped with their subtree otherwise)

    // The writer's sink. A non-zero error stops the writer.
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual void Write(const char* bytes, size_t length) = 0;

        uint32_t mFlags = 0;          // flags of the current write
        const XNode* mNode = nullptr; // node being written
        int32_t mError = 0;
    };

    // Writes to a standard I/O stream; a failed write sets the error to errno (5 when errno is 0). With
    // crlf, each line feed is written as a carriage return and a line feed.
    class OutputFile : public Output
    {
    public:
        explicit OutputFile(FILE* file, bool crlf = false) : mFile(file), mCrlf(crlf) {}
        void Write(const char* bytes, size_t length) override;

    private:
        FILE* mFile;
        bool mCrlf;
    };

    explicit XNode(Type type = TypeNone);
    // Deletes the children that no other container holds and leaves every container that still holds it.
    ~XNode();
    XNode(const XNode&) = delete;
    XNode& operator=(const XNode&) = delete;

    // A new node of the given type, added to parent when parent is given (which then owns it); without a
    // parent the caller owns it.
    static XNode* Create(XNode* parent, Type type);

    // Reads a property-list document. On a parse error the result is null, a message goes to stderr and,
    // when errorNode is given, it becomes a string "XML Load Error \"<reason>\" line <n>".
    [[nodiscard]] static std::unique_ptr<XNode> ParseMemory(const char* text, size_t length, const char* name,
                                                            XNode* errorNode);
    // Null without an error text when the file cannot be opened or is not a regular file (a FIFO or a
    // device is refused without waiting for it).
    [[nodiscard]] static std::unique_ptr<XNode> ParseFile(const char* path, XNode* errorNode);

    // The output's error code (0 on success).
    int32_t Write(Output& output, uint32_t flags) const;
    // Writes the document (always with the header) to a temporary file beside path, flushes it to the disk
    // and renames it over path, so the previous or the new file survives any failure or power cut; a file
    // this process may not write is left alone. A symbolic link at path is itself replaced by the new
    // file, never written through. Temporary files of this path left by writers that no
    // longer run are removed first (Platform/Registry/TemporaryFiles.h). 0 on success, else errno (5 when
    // errno is 0).
    [[nodiscard]] int32_t WriteFile(const char* path, uint32_t flags) const;

    [[nodiscard]] Type GetType() const { return static_cast<Type>(mFlags & kTypeMask); }
    [[nodiscard]] uint32_t GetFlags() const { return mFlags; }
    // 1 when the type changed (the old value is discarded), 0 when the node already had it.
    int SetType(Type type);

    [[nodiscard]] bool HasKey() const { return !mKey.empty(); }
    [[nodiscard]] std::string_view GetKey() const { return mKey; }
    [[nodiscard]] uint32_t GetKeyHash() const { return mKeyHash; }
    // length 0 takes bytes up to their terminating zero; null or empty bytes remove the key.
    void SetKey(const char* bytes, size_t length = 0);

    [[nodiscard]] std::string_view GetString() const
    {
        return GetType() == TypeString ? mText : std::string_view{};
    }
    [[nodiscard]] std::string_view GetData() const
    {
        return GetType() == TypeData ? mText : std::string_view{};
    }
    [[nodiscard]] bool GetBoolean() const { return GetType() == TypeBoolean && mBoolean; }
    [[nodiscard]] int32_t GetInteger() const { return GetType() == TypeInteger ? mInteger : 0; }
    [[nodiscard]] float GetReal() const { return GetType() == TypeReal ? mReal : 0.0f; }

    void SetString(std::string_view text);
    void SetInteger(int32_t value);
    // By type: a string appends the text; a boolean is true when the text begins with "true" (any case);
    // an integer reads it as C's strtol with base 0 (0x hexadecimal, leading 0 octal); a real reads a
    // decimal number; data is replaced by the bytes. Other types are left alone. Marks the node dirty.
    void SetValueFromText(const char* text, size_t length);

    [[nodiscard]] bool IsDirty() const { return (mFlags & kDirty) != 0; }
    [[nodiscard]] bool IsVolatile() const { return (mFlags & kVolatile) != 0; }
    [[nodiscard]] bool IsVisible() const { return (mFlags & kVisible) != 0; }
    [[nodiscard]] bool IsLocked() const { return (mFlags & kLocked) != 0; }
    void SetVolatile(bool on) { SetFlag(kVolatile, on); }
    void SetVisible(bool on) { SetFlag(kVisible, on); }
    void SetLocked(bool on) { SetFlag(kLocked, on); }
    // On: marks this node and every container above it (stopping at volatile or already dirty nodes).
    // Off: clears the mark on this node and every node below it.
    void SetDirty(bool on);

    // Containers (dictionary and array). Each returns false when this node is not a fitting container.
    bool AddChild(XNode* child);
    bool RemoveChild(XNode* child);
    bool SetArrayItem(size_t index, XNode* child);
    bool SetArrayCount(size_t count);
    // The number of child slots (0 for a node that is not a container); slots of an array may be empty.
    [[nodiscard]] size_t GetChildCount() const;
    // The number of children, the volatile ones only when includeVolatile.
    [[nodiscard]] size_t GetChildCount(bool includeVolatile) const;
    // The node in slot index, or null for an empty slot or an index past the end.
    [[nodiscard]] XNode* GetChild(size_t index) const;
    // The first child whose key matches (without regard to ASCII case), or null.
    [[nodiscard]] XNode* FindChild(const char* key, size_t length) const;
    [[nodiscard]] size_t GetParentCount() const { return mParents.size(); }

    // Finds the node at path below this one (Create flags make missing nodes, kLookupRemove removes the
    // found node and gives null).
    XNode* Lookup(const char* path, uint32_t flags = 0);

    [[nodiscard]] static uint32_t HashKey(const char* bytes, size_t length);

private:
    friend class XNodeReader;

    [[nodiscard]] bool IsContainer() const;
    void SetFlag(uint32_t flag, bool on) { mFlags = on ? (mFlags | flag) : (mFlags & ~flag); }
    void DiscardValue();
    void Link(XNode* parent);
    // Drops one link from parent; true when no link remains (the caller deletes the node then).
    [[nodiscard]] bool Unlink(XNode* parent);
    void AppendText(const char* text, size_t length);

    uint32_t mFlags = 0;
    std::string mKey;
    uint32_t mKeyHash = 0;
    std::string mText; // string or data bytes
    bool mBoolean = false;
    int32_t mInteger = 0;
    float mReal = 0.0f;
    std::vector<XNode*> mChildren; // containers only; null marks an empty array slot
    std::vector<XNode*> mParents;  // one entry per container link
};
} // namespace ZQ
