# One GoogleTest program per layer, from every *.cpp below its test folder. The suite name picks the
# CTest label: ...Concurrency -> concurrency, ...Slow -> slow, ...X11 -> x11, ...GL -> gl. Tests on the one X
# server run one at a time: they move the shared pointer and focus. LeakSanitizer's stop-the-world at exit
# now and then crashes inside a process that has loaded Mesa's driver, so gl tests run without leak checks.

find_package(GTest REQUIRED)
include(GoogleTest)
include(${CMAKE_CURRENT_LIST_DIR}/TestBench.cmake)

set(ZQ_LABELLED_SUITES "*Concurrency.*:*Slow.*:*X11.*:*GL.*")

function(zq_test_program name dir)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/tests")
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
    set(common DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST)
    gtest_discover_tests(${name} ${common} TEST_FILTER "-${ZQ_LABELLED_SUITES}"
        PROPERTIES TIMEOUT 300)
    gtest_discover_tests(${name} ${common} TEST_FILTER "*Concurrency.*"
        PROPERTIES LABELS concurrency TIMEOUT 300)
    gtest_discover_tests(${name} ${common} TEST_FILTER "*Slow.*"
        PROPERTIES LABELS slow TIMEOUT 600)
    gtest_discover_tests(${name} ${common} TEST_FILTER "*X11.*"
        PROPERTIES LABELS x11 TIMEOUT 300 RESOURCE_LOCK x_server)
    gtest_discover_tests(${name} ${common} TEST_FILTER "*GL.*"
        PROPERTIES LABELS gl TIMEOUT 300 RESOURCE_LOCK x_server ENVIRONMENT ASAN_OPTIONS=detect_leaks=0)
endfunction()

zq_test_program(test_ObjectBase tests/ObjectBase ZQObjectBase ZQStorage)
zq_test_program(test_Storage tests/Storage ZQStorage ZQGraphics ZQSync PlatformClock)
zq_test_program(test_Platform tests/Platform PlatformClock PlatformProcess PlatformRegistry PlatformMidi PlatformDriver
    PlatformGL)
zq_test_program(test_Window tests/Window PlatformWindow PlatformGdiplus)
zq_test_program(test_System tests/System ZQSystem)
zq_test_program(test_Application tests/Application ZQApplication)
zq_test_program(test_Notification tests/Notification ZQNotification)
zq_test_program(test_Midi tests/Midi ZQMidi PlatformMidi)
zq_test_program(test_Simulator tests/Simulator SimulatorLib)
zq_test_program(test_Engine tests/Engine PanelEngine SimulatorLib)
zq_test_program(test_Resources tests/Resources PlatformResources)
zq_test_program(test_Gdiplus tests/Gdiplus PlatformGdiplus)
zq_embed_resources(test_Gdiplus TYPE GDIPLUS FILES tests/Gdiplus/Fixtures/Pixels.png)
zq_embed_resources(test_Resources TYPE GDIPLUS FILES "tests/Resources/Fixtures/Background Image.png")
zq_embed_resources(test_Resources TYPE ZQXML FILES tests/Resources/Fixtures/strings.xml NAME APP_STRINGS)
zq_embed_resources(test_Resources TYPE zqxml FILES tests/Resources/Fixtures/strings.xml NAME "Background Image.png")

zq_test_program(test_Renderer tests/Renderer ZQRenderer ZQTestBench)
zq_embed_resources(test_Renderer TYPE GDIPLUS FILES "tests/Renderer/GdiFixtures/Quad Tile.png")
# The GDI+ renderer's x11 test draws into a bare Xlib window through a window hook of its own.
pkg_check_modules(ZQ_TEST_XLIB REQUIRED IMPORTED_TARGET x11 cairo-xlib)
target_link_libraries(test_Renderer PRIVATE PkgConfig::ZQ_TEST_XLIB)
zq_test_program(test_ControlBase tests/ControlBase ZQControlBase ZQControlTestBench)
# The clipboard's x11 test plays another client on a connection of its own.
target_link_libraries(test_ControlBase PRIVATE PkgConfig::ZQ_TEST_XLIB)
zq_embed_resources(test_ControlBase TYPE ZQXML FILES "tests/ControlBase/Fixtures/Test Skin.xml" "tests/ControlBase/Fixtures/App Strings.xml")
zq_embed_resources(test_ControlBase TYPE GDIPLUS FILES "tests/ControlBase/Fixtures/Parts Sprite.png")
zq_test_program(test_FontRenderer tests/FontRenderer ZQRenderer ZQTestBench)

# The simulator's and the engine's end-to-end tests run the simulator program built beside them.
foreach(program test_Simulator test_Engine)
    if(TARGET ${program} AND TARGET zq-simulator)
        add_dependencies(${program} zq-simulator)
    endif()
endforeach()
zq_test_program(test_FrameworkApp tests/FrameworkApp ZQFrameworkApp ZQControlTestBench)
# The control library, on the headless bench.
zq_test_program(test_Controls tests/Controls ZQControls ZQControlTestBench)
# The text box's x11 test types into a real window and screenshots it.
target_link_libraries(test_Controls PRIVATE PkgConfig::ZQ_TEST_XLIB)
# The updater's application and main control on the headless bench, with the program's own resources.
zq_test_program(test_PanelUI tests/PanelUI PanelUI ZQControlTestBench)
if(TARGET test_PanelUI)
    zq_embed_updater_resources(test_PanelUI)
endif()
# The program's entry and start-up; the x11 tests start the test program built beside them.
zq_test_program(test_Program tests/Program ZQFrameworkApp PkgConfig::ZQ_TEST_XLIB)
add_executable(zq-test-program-host tests/ProgramHost/ProgramHostMain.cpp)
target_include_directories(zq-test-program-host PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/tests")
target_link_libraries(zq-test-program-host PRIVATE ZQFrameworkApp PanelEngine)
add_dependencies(test_Program zq-test-program-host)
foreach(program zq-simulator q3300-splen-updater)
    if(TARGET ${program})
        add_dependencies(test_Program ${program})
    endif()
endforeach()
# The updater window end to end: the program and zq-simulator as processes, a stub sibling updater and
# clicks through XTest.
zq_test_program(test_EndToEnd tests/EndToEnd SimulatorLib PkgConfig::ZQ_TEST_XLIB)
if(TARGET test_EndToEnd)
    pkg_check_modules(ZQ_TEST_XTST REQUIRED IMPORTED_TARGET xtst)
    target_link_libraries(test_EndToEnd PRIVATE PkgConfig::ZQ_TEST_XTST)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${CMAKE_SOURCE_DIR}/tests/EndToEnd/SlowLabels.cmake")
    add_executable(zq-test-sibling-stub tests/EndToEnd/SiblingStub.cc)
    add_dependencies(test_EndToEnd zq-test-sibling-stub)
    foreach(program zq-simulator q3300-splen-updater)
        if(TARGET ${program})
            add_dependencies(test_EndToEnd ${program})
        endif()
    endforeach()
endif()
# Lazy linking: a program that reaches a small library only through first-call stubs, and that library, built
# into a folder of its own so that the program finds it only where the test points it.
if(ZQ_LAZY_LINK_SUPPORTED)
    zq_test_program(test_LazyLink tests/LazyLink)
    add_library(zq-lazy-probe SHARED tests/LazyLink/Probe.cc)
    set_target_properties(zq-lazy-probe PROPERTIES LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lazy-probe")
    add_library(ZQLazyProbeCalls STATIC tests/LazyLink/ProbeCalls.cc)
    add_executable(zq-lazy-probe-user tests/LazyLink/ProbeUser.cc)
    target_link_libraries(zq-lazy-probe-user PRIVATE ZQLazyProbeCalls)
    zq_lazy_link(zq-lazy-probe-user LIBRARIES zq-lazy-probe)
    target_compile_definitions(test_LazyLink PRIVATE ZQ_LAZY_PROBE_DIR="$<TARGET_FILE_DIR:zq-lazy-probe>")
    add_dependencies(test_LazyLink zq-lazy-probe-user)
endif()
