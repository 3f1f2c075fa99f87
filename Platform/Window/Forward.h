#pragma once

#include <cstdint>

// Forward declarations of the window stand-in, for headers that only name its types.
namespace Platform::Window
{
using WindowHandle = uintptr_t;
using CursorHandle = uintptr_t;
struct Message;
struct Point;
struct Rect;
struct CopyData;
struct WindowDesc;
struct WindowPlacement;
struct OpenFileRequest;
struct OpenFileAnswer;
class MessageLoop;
class Display;
class KeyTranslator;
class KeyboardState;
class DoubleClickDetector;
class NamedLock;
class DialogScript;
} // namespace Platform::Window
