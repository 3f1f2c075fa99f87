#pragma once

// Forward declarations of the system services library. Owners of further classes of this folder ask for
// their lines to be added here. The synchronisation primitives have their own, Sync/Forward.h.
namespace ZQ
{
class Thread;
class LThreadWorker;
class RetriggerableThreader;
class LThreadPool;
class DebugConsole;
class LRegistryKey;
class XNode;
template <typename CharT>
class basic_debugbuf;
template <typename CharT>
class basic_dostream;
} // namespace ZQ
