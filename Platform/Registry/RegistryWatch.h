#pragma once

#include "Platform/Io/UniqueFd.h"
#include "Platform/Io/WakeFd.h"
#include "Platform/Registry/Forward.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Platform
{
// Watches one key for changes made by any process: subkeys added or removed (RegNotifyName), values set
// or removed (RegNotifyLastSet), optionally anywhere in the subtree below the key. Changes made after
// Create returns are remembered until Wait reports them, so nothing that happens between two waits is
// lost; several changes may be reported by one wake.
//
// One thread waits at a time; Cancel may be called from any thread and ends the current and every later
// wait. The watch is independent of the handle it was made from (the handle may be closed first). The
// owner destroys the watch only when no thread is waiting on it.
class RegistryWatch
{
public:
    enum class Result
    {
        Changed,    // something selected by the filter changed
        TimedOut,   // nothing changed within the time-out
        Cancelled,  // Cancel was called
        KeyDeleted, // the key itself was deleted: reads through its handles now fail (reported again by
                    // every later wait)
        Failed,     // the watch could not be read
    };

    static constexpr uint32_t kInfinite = 0xFFFFFFFF;

    // Null (with *error set when error is given) when the key is not open, was deleted, or the filter
    // selects nothing.
    [[nodiscard]] static std::unique_ptr<RegistryWatch> Create(RegKey key, bool subtree, uint32_t filter,
                                                               int32_t* error = nullptr);
    ~RegistryWatch() = default;
    RegistryWatch(const RegistryWatch&) = delete;
    RegistryWatch& operator=(const RegistryWatch&) = delete;

    // Waits until a change, cancellation or deletion, or until timeoutMs have passed (kInfinite: no
    // time-out). A change already pending returns at once.
    [[nodiscard]] Result Wait(uint32_t timeoutMs);
    void Cancel();

private:
    RegistryWatch(Io::UniqueFd keyFd, Io::UniqueFd inotifyFd, bool subtree, uint32_t filter);
    bool AddFolderWatch(const std::string& relative);
    // Reads the pending inotify events; false when reading failed.
    bool Drain();
    bool IsSelected(uint32_t mask, const char* name) const;

    const Io::UniqueFd mKeyFd; // the watched key's folder, kept open so that its subfolders can be reached
    const Io::UniqueFd mInotifyFd; // inotify instance
    Io::WakeFd mCancel;            // woken by Cancel and never drained: every later wait ends at once
    const bool mSubtree;
    const uint32_t mFilter;
    int mTopWatch = -1;
    // The following are used only by the waiting thread.
    std::map<int, std::string> mFolders; // inotify watch -> folder relative to the key ("" for the key)
    bool mPending = false;
    bool mDeleted = false;
};
} // namespace Platform
