#pragma once

#include <utility>

namespace Platform::Io
{
// Owns one file descriptor (a socket, an eventfd, an inotify instance, a folder) and closes it when
// destroyed or reset. Move-only; -1 stands for "none".
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : mFd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : mFd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    [[nodiscard]] int Get() const { return mFd; }
    [[nodiscard]] bool IsOpen() const { return mFd >= 0; }
    explicit operator bool() const { return IsOpen(); }

    // Gives up ownership without closing.
    [[nodiscard]] int Release() { return std::exchange(mFd, -1); }
    // Closes the descriptor held so far and takes `fd`.
    void Reset(int fd = -1);

private:
    int mFd = -1;
};
} // namespace Platform::Io
