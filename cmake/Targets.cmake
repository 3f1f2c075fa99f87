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

# Embedded resources and the GDI+ stand-in over cairo, fontconfig, FreeType and libpng.
include(${CMAKE_CURRENT_LIST_DIR}/Resources.cmake)
zq_library(PlatformResources Platform/Resources)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZQ_GDIPLUS_CAIRO REQUIRED IMPORTED_TARGET cairo cairo-ft)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_package(PNG REQUIRED)
zq_library(PlatformGdiplus Platform/Gdiplus
    DEPS PlatformText PkgConfig::ZQ_GDIPLUS_CAIRO Freetype::Freetype Fontconfig::Fontconfig PNG::PNG)

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
# Bitmaps load through the GDI+ stand-in and the embedded resources. The GDI+ back end in
# ZQFramework/Renderer/Gdi is part of the renderer library, so that LRenderer::Create can make it.
target_link_libraries(ZQGraphics PUBLIC PlatformGdiplus PlatformResources)
file(GLOB renderer_gdi_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/ZQFramework/Renderer/Gdi/*.cpp")
target_sources(ZQRenderer PRIVATE ${renderer_gdi_sources})
target_link_libraries(ZQRenderer PUBLIC PlatformGdiplus PlatformClock)
zq_library(ZQControlBase ZQFramework/ControlBase
    DEPS ZQNotification ZQKeyCode ZQGraphics ZQStorage PlatformResources EXPAT::EXPAT)

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
