# The libraries, lowest layer first. Each folder's sources are globbed, so adding a file needs no edit here.

find_package(EXPAT REQUIRED)
find_package(ALSA REQUIRED)

# Platform stand-ins
# Little-endian byte layouts, header only: every layer that writes or reads a file, wire or driver layout.
add_library(PlatformBytes INTERFACE)
target_include_directories(PlatformBytes INTERFACE "${CMAKE_SOURCE_DIR}")
zq_library(PlatformClock Platform/Clock)
zq_library(PlatformText Platform/Text)
zq_library(PlatformIo Platform/Io)
zq_library(PlatformRegistry Platform/Registry DEPS PlatformBytes PlatformClock PlatformText PlatformIo)
zq_library(PlatformMidi Platform/Midi DEPS PlatformBytes PlatformClock PlatformText PlatformIo ALSA::ALSA)
zq_library(PlatformDriver Platform/Driver DEPS PlatformBytes PlatformClock PlatformText PlatformIo)

# Framework. ObjectBase and Storage need each other (objects print themselves as strings, strings are
# counted objects), so the two static libraries link each other.
zq_library(ZQSync ZQFramework/System/Sync DEPS PlatformClock)
zq_library(ZQObjectBase ZQFramework/ObjectBase)
zq_library(ZQStorage ZQFramework/Utilities/Storage DEPS ZQObjectBase ZQSync PlatformBytes PlatformClock)
target_link_libraries(ZQObjectBase PUBLIC ZQStorage)
zq_library(ZQGraphics ZQFramework/Utilities/Graphics DEPS ZQStorage)
zq_library(ZQApplication ZQFramework/Application DEPS ZQStorage PlatformBytes)
zq_library(ZQSystem ZQFramework/System DEPS ZQStorage ZQSync PlatformRegistry EXPAT::EXPAT)
zq_library(ZQKeyCode ZQFramework/ControlBase/KeyCode DEPS ZQStorage)
zq_library(ZQNotification ZQFramework/Notification DEPS ZQSystem ZQKeyCode)
zq_library(ZQMidi ZQFramework/Midi DEPS ZQNotification ZQSystem PlatformMidi)
zq_library(ZQRenderer ZQFramework/Renderer DEPS ZQGraphics ZQStorage ZQObjectBase)

# The system's font files through fontconfig, and the FreeType font renderer with its font catalogue.
find_package(Fontconfig REQUIRED)
find_package(Freetype REQUIRED)
zq_library(PlatformFonts Platform/Fonts DEPS Fontconfig::Fontconfig)
zq_library(ZQFontRenderer ZQFramework/Renderer/FontRenderer DEPS ZQRenderer PlatformFonts Freetype::Freetype)

# The update engine
file(GLOB device_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/Panel/Engine/DeviceSpecificInfo/*.cpp")
zq_library(PanelEngine Panel/Engine DEPS ZQMidi ZQApplication PlatformBytes PlatformDriver PlatformRegistry)
target_sources(PanelEngine PRIVATE ${device_sources})

# The simulated mixer and driver: a library for in-process tests and a program.
zq_library(SimulatorLib Simulator EXCLUDE SimulatorMain.cpp DEPS PlatformMidi PlatformRegistry PlatformDriver PlatformIo)
if(EXISTS "${CMAKE_SOURCE_DIR}/Simulator/SimulatorMain.cpp")
    add_executable(zq-simulator Simulator/SimulatorMain.cpp)
    target_link_libraries(zq-simulator PRIVATE SimulatorLib)
endif()
