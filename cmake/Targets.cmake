# The libraries, lowest layer first. Each folder's sources are globbed, so adding a file needs no edit here.

find_package(EXPAT REQUIRED)
find_package(ALSA REQUIRED)

# Platform stand-ins
zq_library(PlatformClock Platform/Clock)
zq_library(PlatformText Platform/Text)
zq_library(PlatformProcess Platform/Process)
zq_library(PlatformRegistry Platform/Registry DEPS PlatformClock PlatformText)
zq_library(PlatformMidi Platform/Midi DEPS PlatformClock PlatformText ALSA::ALSA)
zq_library(PlatformDriver Platform/Driver DEPS PlatformText)

# Embedded resources and the GDI+ stand-in over cairo, fontconfig, FreeType and libpng.
include(${CMAKE_CURRENT_LIST_DIR}/Resources.cmake)
zq_library(PlatformResources Platform/Resources)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZQ_GDIPLUS_CAIRO REQUIRED IMPORTED_TARGET cairo cairo-ft)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_package(PNG REQUIRED)
zq_library(PlatformGdiplus Platform/Gdiplus
    DEPS PkgConfig::ZQ_GDIPLUS_CAIRO Freetype::Freetype Fontconfig::Fontconfig PNG::PNG)

# Framework. Each library names exactly the libraries whose headers it includes (checked by
# zq_check_layers in ZQ.cmake).
zq_library(ZQObjectBase ZQFramework/ObjectBase)
zq_library(ZQSync ZQFramework/System/Sync DEPS ZQObjectBase)
zq_library(ZQStorage ZQFramework/Utilities/Storage DEPS ZQObjectBase ZQSync)
zq_library(ZQGraphics ZQFramework/Utilities/Graphics DEPS ZQObjectBase ZQStorage)
zq_library(ZQSystem ZQFramework/System DEPS ZQObjectBase ZQSync ZQStorage PlatformClock PlatformProcess PlatformRegistry EXPAT::EXPAT)
zq_library(ZQNotification ZQFramework/Notification DEPS ZQObjectBase ZQSync ZQStorage)
zq_library(ZQMidi ZQFramework/Midi DEPS ZQObjectBase ZQSync ZQStorage ZQSystem ZQNotification PlatformMidi)
zq_library(ZQApplication ZQFramework/Application DEPS ZQObjectBase ZQStorage PlatformProcess)
zq_library(ZQRenderer ZQFramework/Renderer DEPS ZQObjectBase ZQStorage ZQGraphics)
zq_library(ZQControlBase ZQFramework/ControlBase
    DEPS ZQObjectBase ZQStorage ZQGraphics ZQNotification PlatformResources EXPAT::EXPAT)

# The update engine
file(GLOB device_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/Panel/Engine/DeviceSpecificInfo/*.cpp")
zq_library(PanelEngine Panel/Engine DEPS ZQObjectBase ZQSync ZQStorage ZQSystem ZQNotification ZQMidi ZQApplication PlatformDriver PlatformRegistry)
target_sources(PanelEngine PRIVATE ${device_sources})

# The simulated mixer and driver: a library for in-process tests and a program.
zq_library(SimulatorLib Simulator EXCLUDE SimulatorMain.cpp DEPS PlatformClock PlatformText PlatformMidi PlatformRegistry PlatformDriver)
if(EXISTS "${CMAKE_SOURCE_DIR}/Simulator/SimulatorMain.cpp")
    add_executable(zq-simulator Simulator/SimulatorMain.cpp)
    target_link_libraries(zq-simulator PRIVATE SimulatorLib)
endif()
