#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Little-endian integers in byte layouts that a file, the driver or another process sees. Every such
// layout is written and read field by field through these functions, never by copying an integer's
// memory, so the layout does not depend on the machine.
//
// Get reads from a pointer, Store writes to a pointer, Put appends to a byte vector; the caller makes sure
// the bytes are there. Reader walks a received buffer field by field and remembers a read past its end.
namespace Platform::LittleEndian
{
template <std::unsigned_integral T>
[[nodiscard]] constexpr T Get(const uint8_t* from)
{
    T value = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        value = static_cast<T>(value << 8 | from[i]);
    return value;
}

template <std::unsigned_integral T>
constexpr void Store(uint8_t* to, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        to[i] = static_cast<uint8_t>(value >> (8 * i));
}

template <std::unsigned_integral T>
void Put(std::vector<uint8_t>& to, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        to.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

[[nodiscard]] constexpr uint16_t GetU16(const uint8_t* from)
{
    return Get<uint16_t>(from);
}
[[nodiscard]] constexpr uint32_t GetU32(const uint8_t* from)
{
    return Get<uint32_t>(from);
}
[[nodiscard]] constexpr uint64_t GetU64(const uint8_t* from)
{
    return Get<uint64_t>(from);
}

constexpr void StoreU16(uint8_t* to, uint16_t value)
{
    Store(to, value);
}
constexpr void StoreU32(uint8_t* to, uint32_t value)
{
    Store(to, value);
}
constexpr void StoreU64(uint8_t* to, uint64_t value)
{
    Store(to, value);
}

inline void PutU16(std::vector<uint8_t>& to, uint16_t value)
{
    Put(to, value);
}
inline void PutU32(std::vector<uint8_t>& to, uint32_t value)
{
    Put(to, value);
}
inline void PutU64(std::vector<uint8_t>& to, uint64_t value)
{
    Put(to, value);
}

// Reads fields in order from a received buffer; a read past the end sets the failed flag, yields zeros
// and empty spans, and every later read fails too.
class Reader
{
public:
    explicit constexpr Reader(std::span<const uint8_t> bytes) : mBytes(bytes) {}

    constexpr uint16_t U16() { return Next<uint16_t>(); }
    constexpr uint32_t U32() { return Next<uint32_t>(); }
    constexpr uint64_t U64() { return Next<uint64_t>(); }

    constexpr std::span<const uint8_t> Bytes(size_t count)
    {
        if (mFailed || count > mBytes.size() - mPosition)
        {
            mFailed = true;
            return {};
        }
        const auto bytes = mBytes.subspan(mPosition, count);
        mPosition += count;
        return bytes;
    }

    // Everything not read yet.
    constexpr std::span<const uint8_t> Rest() { return mFailed ? std::span<const uint8_t>() : Bytes(Left()); }

    [[nodiscard]] constexpr size_t Left() const { return mFailed ? 0 : mBytes.size() - mPosition; }
    [[nodiscard]] constexpr bool Failed() const { return mFailed; }

private:
    template <std::unsigned_integral T>
    constexpr T Next()
    {
        const auto bytes = Bytes(sizeof(T));
        return mFailed ? T{0} : Get<T>(bytes.data());
    }

    std::span<const uint8_t> mBytes;
    size_t mPosition = 0;
    bool mFailed = false;
};
} // namespace Platform::LittleEndian
