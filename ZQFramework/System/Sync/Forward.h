#pragma once

// Forward declarations of the synchronisation primitives.
namespace ZQ
{
class Mutex;
class MutexLocker;
template <class L>
class ScopedLock;
class EventCore;
class Event;
class TrafficLight;
class EventLock;
class LEvent;
class EventPool;
} // namespace ZQ
