#include "Panel/Engine/DeviceSpecificInfo/DeviceSpecificInfo.h"

namespace DeviceSpecificInfo
{
LUpdateEngineInterface::DeviceDefinition MakeDeviceDefinition()
{
    LUpdateEngineInterface::DeviceDefinition definition;
    definition.mInputPortName = kPortName;
    definition.mInputPortNameUpdateMode = kPortName;
    definition.mOutputPortName = kPortName;
    definition.mOutputPortNameUpdateMode = kPortName;
    return definition;
}
} // namespace DeviceSpecificInfo
