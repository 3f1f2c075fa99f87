#pragma once

#include "Platform/Io/UniqueFd.h"

#include <string>
#include <string_view>

// A lock shared by the processes of the user under a name, for the single-instance check: a lock file
// in the runtime folder ($XDG_RUNTIME_DIR, else the temporary folder) held with flock for as long as the
// object lives. Whoever takes it first holds it; later ones learn that it existed and hold nothing.
// The file stays behind; a lock left by a process that ended is free again.
namespace Platform::Window
{
class NamedLock
{
public:
    // Names may hold any character; '/' becomes '_' in the file name.
    explicit NamedLock(std::string_view name);
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // True when another process (or another NamedLock of this one) held the lock already.
    [[nodiscard]] bool AlreadyExisted() const { return mExisted; }
    [[nodiscard]] bool IsHeld() const { return mFd.IsOpen(); }
    [[nodiscard]] static std::string PathFor(std::string_view name);

private:
    Io::UniqueFd mFd;
    bool mExisted = false;
};
} // namespace Platform::Window
