#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The program's side of the maker's USB audio driver: open a device by the path the driver publishes,
// send it I/O control requests, close it. The device side (the simulated driver) is reached over a Unix
// socket named after the device path (DriverWire::SocketPathFor).
//
// Buffers handed over by address stay in this process. A write request names a buffer whose bytes this
// layer reads after the call has returned and passes to the device; when the device has taken them, the
// layer releases the buffer by replacing its first byte with that byte's complement (the guard the
// caller set). The release is an atomic byte store (std::atomic_ref<uint8_t>); a caller that polls the
// first byte from another thread loads it atomically too. A handle closed, a device gone, or a
// close-all-ports request that succeeded drops the pending writes of that handle: their buffers are
// never touched again once that call returns.
//
// Request buffers carry 8-byte slots as full 64-bit little-endian values (addresses, event handles).
namespace Platform
{
using DriverHandle = intptr_t;
inline constexpr DriverHandle InvalidDriverHandle = -1;

// Opens the device at devicePath for reading and writing. InvalidDriverHandle when no device listens
// there, when the device refuses (it is held exclusively), or when it does not answer.
[[nodiscard]] DriverHandle OpenDriverDevice(const std::u16string& devicePath);

// Sends one request and waits for its answer. The output buffer is both the request's argument and
// its answer; bytesReturned (optional) receives the size the device reports. Returns false on failure:
// an unknown or closed handle, a device that is gone or did not answer, a buffer over 64 KB, or a
// request the device refused.
[[nodiscard]] bool DriverIoControl(DriverHandle handle, uint32_t ioControlCode, const void* input,
                                   uint32_t inputSize, void* output, uint32_t outputSize,
                                   uint32_t* bytesReturned);

// Closes the handle; false for an unknown handle. Pending writes are dropped without touching their
// buffers. When it returns the device side has let the handle go, so a device that is held exclusively
// opens again at once.
bool CloseDriverDevice(DriverHandle handle);

// Wake events: the device signals a registered event by the handle value a request gave it. The owner
// of an event tells this layer how to signal it. Unregistering waits for a signal in progress on that
// handle to finish (unless called from within it), so the owner may be destroyed afterwards.
void RegisterDriverSignal(intptr_t eventHandle, std::function<void()> signal);
void UnregisterDriverSignal(intptr_t eventHandle);
// Signals the event registered under the handle; false when none is.
bool SignalDriverEvent(intptr_t eventHandle);
} // namespace Platform
