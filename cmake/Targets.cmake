# The libraries, lowest layer first. Each folder's sources are globbed, so adding a file needs no edit here.

find_package(EXPAT REQUIRED)
find_package(ALSA REQUIRED)
# The desktop libraries (windows, dialogs, drawing, fonts, GL) are lazy dependencies: the updater program
# opens them when it first needs them, so that its modes without a window run without them.
include(${CMAKE_CURRENT_LIST_DIR}/LazyLink.cmake)

# Platform stand-ins
zq_library(PlatformClock Platform/Clock)
zq_library(PlatformText Platform/Text)
# Little-endian byte layouts (header only) for every file, wire and driver layout.
zq_library(PlatformBytes Platform/Bytes)
zq_library(PlatformIo Platform/Io)
zq_library(PlatformProcess Platform/Process)
zq_library(PlatformRegistry Platform/Registry DEPS PlatformBytes PlatformClock PlatformText PlatformIo)
zq_library(PlatformMidi Platform/Midi DEPS PlatformBytes PlatformClock PlatformText PlatformIo ALSA::ALSA)
zq_library(PlatformDriver Platform/Driver DEPS PlatformBytes PlatformText PlatformIo)

# Embedded resources and the GDI+ stand-in over cairo, fontconfig, FreeType and libpng.
include(${CMAKE_CURRENT_LIST_DIR}/Resources.cmake)
zq_library(PlatformResources Platform/Resources)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZQ_GDIPLUS_CAIRO REQUIRED IMPORTED_TARGET cairo cairo-ft)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_package(PNG REQUIRED)
zq_lazy_dependency(ZQ_GDIPLUS_LIBRARIES PkgConfig::ZQ_GDIPLUS_CAIRO Freetype::Freetype Fontconfig::Fontconfig PNG::PNG)
zq_library(PlatformGdiplus Platform/Gdiplus DEPS PlatformText ${ZQ_GDIPLUS_LIBRARIES})

# Windows, the message loop, input, system services and dialogs over Xlib, GLib and GTK 3.
pkg_check_modules(ZQ_WINDOW_DEPS REQUIRED IMPORTED_TARGET x11 xtst xfixes glib-2.0 gtk+-3.0 cairo cairo-xlib)
zq_lazy_dependency(ZQ_WINDOW_LIBRARIES PkgConfig::ZQ_WINDOW_DEPS)
zq_library(PlatformWindow Platform/Window
    DEPS PlatformBytes PlatformClock PlatformText PlatformIo PlatformRegistry PlatformGdiplus
    ${ZQ_WINDOW_LIBRARIES})

# OpenGL contexts on those windows over GLX; OpenGL and GLU themselves are Mesa's.
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
zq_lazy_dependency(ZQ_GL_LIBRARIES OpenGL::OpenGL OpenGL::GLX PkgConfig::ZQ_WINDOW_DEPS)
zq_library(PlatformGL Platform/GL DEPS PlatformWindow ${ZQ_GL_LIBRARIES})
# The system's font files through fontconfig.
zq_lazy_dependency(ZQ_FONTS_LIBRARIES Fontconfig::Fontconfig)
zq_library(PlatformFonts Platform/Fonts DEPS ${ZQ_FONTS_LIBRARIES})

# Framework. Each library names exactly the libraries whose headers it includes (checked by
# zq_check_layers in ZQ.cmake).
zq_library(ZQObjectBase ZQFramework/ObjectBase)
zq_library(ZQSync ZQFramework/System/Sync DEPS ZQObjectBase)
zq_library(ZQStorage ZQFramework/Utilities/Storage DEPS ZQObjectBase ZQSync PlatformBytes)
# Bitmaps load through the GDI+ stand-in and the embedded resources.
zq_library(ZQGraphics ZQFramework/Utilities/Graphics
    DEPS ZQObjectBase ZQStorage PlatformGdiplus PlatformResources)
zq_library(ZQSystem ZQFramework/System
    DEPS ZQObjectBase ZQSync ZQStorage PlatformClock PlatformProcess PlatformRegistry EXPAT::EXPAT)
zq_library(ZQNotification ZQFramework/Notification DEPS ZQObjectBase ZQSync ZQStorage)
zq_library(ZQMidi ZQFramework/Midi
    DEPS ZQObjectBase ZQSync ZQStorage ZQSystem ZQNotification PlatformBytes PlatformMidi)
# The GDI+ back end (Renderer/Gdi), the OpenGL back end (Renderer/OpenGL) and the FreeType font renderer
# with its font catalogue (Renderer/FontRenderer), which the OpenGL back end draws text with, are part of
# the renderer library, so that LRenderer::Create can make them.
zq_lazy_dependency(ZQ_RENDERER_LIBRARIES Freetype::Freetype OpenGL::GLU)
zq_library(ZQRenderer ZQFramework/Renderer SUBDIRS Gdi OpenGL FontRenderer
    DEPS ZQObjectBase ZQStorage ZQGraphics PlatformGdiplus PlatformClock PlatformFonts PlatformGL PlatformWindow
         ${ZQ_RENDERER_LIBRARIES})
# The control base in four folders: the skin (descriptors, reader, factory, string tables, value syntax),
# the control (the class and its parts, looks, visual parts, layout), the windows (root and native window,
# dialogs, what the base asks of the application) and the services (clipboard, hot keys, key bindings).
zq_library(ZQControlBase ZQFramework/ControlBase SUBDIRS Skin Control Windows Services
    DEPS ZQObjectBase ZQStorage ZQGraphics ZQSync ZQNotification ZQRenderer PlatformResources PlatformWindow
         EXPAT::EXPAT)
# The control library: the concrete controls of the skins, a folder for each family.
zq_library(ZQControls ZQFramework/Controls SUBDIRS Buttons Lists Menus Sliders Text Containers
    DEPS ZQObjectBase ZQStorage ZQGraphics ZQNotification ZQRenderer ZQControlBase PlatformWindow)
zq_library(ZQApplication ZQFramework/Application
    DEPS ZQObjectBase ZQStorage ZQSystem PlatformBytes PlatformProcess)
# The application object above the control base; the engine keeps linking only ZQApplication.
zq_library(ZQFrameworkApp ZQFramework/Application/Framework
    DEPS ZQObjectBase ZQStorage ZQGraphics ZQNotification ZQRenderer ZQControlBase ZQControls ZQApplication
         PlatformClock PlatformWindow
         ZQSystem PlatformGdiplus PlatformResources PlatformText)

# The update engine
file(GLOB device_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/Panel/Engine/DeviceSpecificInfo/*.cpp")
zq_library(PanelEngine Panel/Engine
    DEPS ZQObjectBase ZQSync ZQStorage ZQSystem ZQNotification ZQMidi ZQApplication PlatformBytes
    PlatformClock PlatformDriver PlatformMidi PlatformRegistry)
target_sources(PanelEngine PRIVATE ${device_sources})

# The updater application: its application object, the main control of its window and the hand-over to
# the sibling updater. The program's entry (Main.cpp) builds with the program; the resources are embedded
# into a program by zq_embed_updater_resources.
zq_library(PanelUI Panel/UI EXCLUDE Main.cpp
    DEPS ZQObjectBase ZQStorage ZQSystem ZQNotification ZQControlBase ZQControls ZQApplication ZQFrameworkApp
         PanelEngine PlatformClock PlatformGdiplus PlatformIo PlatformResources PlatformWindow)
include(${CMAKE_CURRENT_LIST_DIR}/UpdaterResources.cmake)

# The simulated mixer and driver: a library for in-process tests and a program.
zq_library(SimulatorLib Simulator EXCLUDE SimulatorMain.cpp
    DEPS PlatformClock PlatformText PlatformMidi PlatformRegistry PlatformDriver PlatformIo)
if(EXISTS "${CMAKE_SOURCE_DIR}/Simulator/SimulatorMain.cpp")
    add_executable(zq-simulator Simulator/SimulatorMain.cpp)
    target_link_libraries(zq-simulator PRIVATE SimulatorLib)
endif()

# The updater program: its entry hosts the updater application (Panel/UI/Main.cpp, kept out of PanelUI).
if(TARGET PanelUI)
    add_executable(q3300-splen-updater Panel/UI/Main.cpp)
    target_include_directories(q3300-splen-updater PRIVATE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(q3300-splen-updater PRIVATE PanelUI ZQFrameworkApp PanelEngine)
    zq_embed_updater_resources(q3300-splen-updater)
    zq_lazy_link(q3300-splen-updater)
endif()
