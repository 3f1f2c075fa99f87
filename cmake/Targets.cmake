# The libraries, lowest layer first. Each folder's sources are globbed, so adding a file needs no edit here.

find_package(EXPAT REQUIRED)
find_package(ALSA REQUIRED)

# Platform stand-ins
zq_library(PlatformClock Platform/Clock)
zq_library(PlatformText Platform/Text)
zq_library(PlatformProcess Platform/Process)
zq_library(PlatformRegistry Platform/Registry DEPS PlatformClock PlatformText)
zq_library(PlatformMidi Platform/Midi DEPS PlatformClock PlatformText ALSA::ALSA)
zq_library(PlatformDriver Platform/Driver DEPS PlatformClock PlatformText)

# Framework. ObjectBase and Storage need each other (objects print themselves as strings, strings are
# counted objects), so the two static libraries link each other.
zq_library(ZQSync ZQFramework/System/Sync DEPS PlatformClock)
zq_library(ZQObjectBase ZQFramework/ObjectBase)
zq_library(ZQStorage ZQFramework/Utilities/Storage DEPS ZQObjectBase ZQSync PlatformClock)
target_link_libraries(ZQObjectBase PUBLIC ZQStorage)
zq_library(ZQGraphics ZQFramework/Utilities/Graphics DEPS ZQStorage)
zq_library(ZQApplication ZQFramework/Application DEPS ZQStorage PlatformProcess)
zq_library(ZQSystem ZQFramework/System DEPS ZQStorage ZQSync PlatformClock PlatformProcess PlatformRegistry EXPAT::EXPAT)
zq_library(ZQKeyCode ZQFramework/ControlBase/KeyCode DEPS ZQStorage)
zq_library(ZQNotification ZQFramework/Notification DEPS ZQSystem ZQKeyCode)
zq_library(ZQMidi ZQFramework/Midi DEPS ZQNotification ZQSystem PlatformMidi)

# The update engine
file(GLOB device_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/Panel/Engine/DeviceSpecificInfo/*.cpp")
zq_library(PanelEngine Panel/Engine DEPS ZQMidi ZQApplication PlatformDriver PlatformRegistry)
target_sources(PanelEngine PRIVATE ${device_sources})

# The simulated mixer and driver: a library for in-process tests and a program.
zq_library(SimulatorLib Simulator EXCLUDE SimulatorMain.cpp DEPS PlatformMidi PlatformRegistry PlatformDriver)
if(EXISTS "${CMAKE_SOURCE_DIR}/Simulator/SimulatorMain.cpp")
    add_executable(zq-simulator Simulator/SimulatorMain.cpp)
    target_link_libraries(zq-simulator PRIVATE SimulatorLib)
endif()
