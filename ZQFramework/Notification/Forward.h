#pragma once

#include <cstdint>

// Forward declarations of the notification library: identifiers, notifications, the sending and the
// receiving side, queues, centers and the parameter records notifications carry.
namespace ZQ
{
// A notification identifier: the address of the name table's own copy of a name ("NID_..."). Two
// identifiers are the same exactly when the pointers are equal; null means no identifier.
using NotificationID = const char16_t*;

class LNotification;
class LNotificationReceiver;
class LNotificationClient;
class LNotificationDistributor;
class LNotificationQueue;
class LNotificationCenter;
class LNotificationCenterManager;
struct Receivable;
template <class T>
class LNotificationHandler;
template <class T>
class CAutoNotificationDisabler;

// The key code that key parameter records carry: a plain value, the control layer's keys as well.
class KeyCode;

// Parameter records.
class LPointParam;
class LPointWithModifiersParam;
class LMouseButtonParam;
class LMouseWheelParam;
class LKeyParam;
class LSiblingKeyParam;
class LValueParam;
class LConditionsParam;
class LItemConditionsParam;
class LIndexedDataParam;
class LIndexedDataWithValueParam;
class LTabBecomingUnselectedParams;
class LMenuActivationParam;

// Classes of higher layers that parameter records refer to; records hold them as counted objects.
class LControl;
class LMenuDescriptor;
} // namespace ZQ
