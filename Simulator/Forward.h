#pragma once

// Forward declarations of the simulator's classes, for headers that only name them.
namespace Simulator
{
class CommandInterpreter;
class ControlServer;
class Mixer;
struct MixerSettings;
class RequestLog;
struct LogEntry;
class Scheduler;
class SimulatedDriver;
enum class DeviceMode;
enum class AttachedMode;
enum class ReleasePolicy;
} // namespace Simulator
