#pragma once

// Forward declarations of the firmware update engine.
class LUpdateEngineInterface;
class LUpdateEngine;
class LPrivateMidiPerformUpdateEngine;
class LUpdateProcessor;

namespace ZQ
{
class LDeviceStateChangeNotificationData;
class LFirmwareFileStateChangeNotificationData;
class LFirmwareUpdateCompletedNotificationData;
class LFirmwareUpdateProgressNotificationData;
} // namespace ZQ
