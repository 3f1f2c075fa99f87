#pragma once

#include "Platform/Window/Messages.h"

#include <chrono>
#include <span>
#include <string>

// Data handed from one process to a window of another, as WM_COPYDATA hands it: an identifier and bytes.
// Between processes the bytes travel in a property of the target window, announced by a client message
// that names the property and the sender's window; the target answers with an acknowledgement once its
// window has handled WM_COPYDATA (see Display::SendCopyData).
namespace Platform::Window
{
// The text of copy-data bytes sent as UTF-8: up to the first NUL, and never past the bytes received, so
// bytes without a terminator give all of them.
[[nodiscard]] std::string CopyDataText(std::span<const uint8_t> bytes);
} // namespace Platform::Window
