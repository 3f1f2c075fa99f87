#pragma once

#include <string>
#include <string_view>

// Temporary files of writes that replace a file whole: the new content is written beside the file under a
// temporary name, flushed to the disk, renamed over the file, and the folder is flushed, so that after a
// crash or a power cut the file holds its old or its new content. Used by the registry's values and by the
// framework's settings lists.
//
// A temporary name is a prefix chosen by the writer, the writing process's id, a dot, and whatever makes
// the name unique within that process. A writer killed half-way leaves its temporary file behind; the next
// write beside it removes it, once no process of that id exists. A temporary of a live process is never
// touched, so writers in several processes (or threads) may share a folder.
namespace Platform
{
// prefix, this process's id and a dot: the start of this process's temporary names.
[[nodiscard]] std::string TemporaryNamePrefix(std::string_view prefix);

// Removes the files of the folder dirFd named prefix, a process id, a dot and anything after it, whose
// process no longer exists.
void RemoveStaleTemporaries(int dirFd, std::string_view prefix);

// Flushes the folder dirFd itself, so that a rename in it survives a power cut. False when that failed.
bool SyncFolder(int dirFd);
} // namespace Platform
