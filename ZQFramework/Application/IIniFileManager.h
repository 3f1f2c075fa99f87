#pragma once

#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// Settings files: XML property lists opened by path, held in memory while open, and written back only
// when something in them changed. Values are addressed by key paths below a per-file key prefix: "."
// separates dictionary keys and "[n]" selects element n of an array ("Window.Position[1]").
//
// Results: 0 done; 1 from Open when the file was open already; -1 a missing key, a node of the wrong
// type, an index out of range, or a file that could not be written; -3 a handle that names no open file.
// Nothing is thrown. Used on one thread.
class IIniFileManager
{
public:
    // Names one open file; never 0 for an open file, and never given out again within the run once closed.
    using Handle = uintptr_t;

    virtual ~IIniFileManager() = default;

    // Kept for the interface's order: nothing needs setting. Returns 0.
    virtual ZQRESULT Reserved(int32_t value) = 0;
    // Closes every open file, last opened first, writing each changed one (a failed write is not
    // reported). Returns 0.
    virtual ZQRESULT CloseAll() = 0;
    // Opens the file at path, or finds it open already (the same path, byte for byte: result 1 and the
    // same handle). A missing or unreadable file starts as a document holding only the key "Application"
    // with applicationName; nothing is written yet. The key prefix has its "." replaced by "_", so that
    // a version "1.0.0" is one key. handle is 0 on failure.
    virtual ZQRESULT Open(const WString& path, const WString& keyPrefix, const WString& applicationName,
                          Handle& handle) = 0;
    // Writes the file when it changed since it was read or last written; on failure it stays changed.
    virtual ZQRESULT Save(Handle handle) = 0;
    [[nodiscard]] virtual bool KeyExists(Handle handle, const WString& key) = 0;
    // Saves first when save is true (the file is closed even when that fails, and the result tells),
    // then forgets the file: its handle names nothing from then on.
    virtual ZQRESULT Close(Handle handle, bool save) = 0;

    // Readers change nothing. A missing key leaves the default; a node of another type reads as 0 or the
    // empty text. Booleans read as 0 or 1, reals truncated toward zero.
    virtual ZQRESULT GetInteger(Handle handle, const WString& key, int32_t defaultValue, int32_t& value) = 0;
    // Writers make the dictionaries (and array elements) missing along the key path; a node of another
    // type takes the new type, losing its content.
    virtual ZQRESULT SetInteger(Handle handle, const WString& key, int32_t value) = 0;
    // String and data nodes give their text.
    virtual ZQRESULT GetString(Handle handle, const WString& key, const WString& defaultValue,
                               WString& text) = 0;
    virtual ZQRESULT SetString(Handle handle, const WString& key, const WString& text) = 0;
    // The children of a dictionary or array; 0 for any other node; -1 for a missing key.
    virtual ZQRESULT GetChildCount(Handle handle, const WString& key, int32_t& count) = 0;
    // The key of child index of a dictionary or array (array elements have none).
    virtual ZQRESULT GetChildName(Handle handle, const WString& key, int32_t index, WString& name) = 0;
    virtual ZQRESULT GetArrayCount(Handle handle, const WString& key, int32_t& count) = 0;
    // Makes the node an array of count elements: elements at or past count go, those below stay, and
    // missing ones are made as empty strings.
    virtual ZQRESULT SetArrayCount(Handle handle, const WString& key, int32_t count) = 0;
    virtual ZQRESULT GetArrayString(Handle handle, const WString& key, int32_t index, WString& text) = 0;
    // Makes the node an array (grown to index + 1 elements when shorter) whose element index is the text.
    virtual ZQRESULT SetArrayString(Handle handle, const WString& key, int32_t index,
                                    const WString& text) = 0;
    // Removes element index; the later ones move down by one.
    virtual ZQRESULT RemoveArrayItem(Handle handle, const WString& key, int32_t index) = 0;
};
} // namespace ZQ
