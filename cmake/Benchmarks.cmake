# One Google Benchmark program per folder below benchmarks/. Built with everything else, never run by the
# tests: run them from a release build.

find_package(benchmark REQUIRED)
# The benchmarks run on the test bench and share the tests' MIDI and simulator fixtures, which are written
# against GoogleTest; both are there whether or not the test programs are built.
find_package(GTest REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/TestBench.cmake)
# Poco's Foundation is the reference that several benchmarks measure the framework against; nothing else
# links it.
find_package(Poco REQUIRED COMPONENTS Foundation)

file(GLOB bench_dirs LIST_DIRECTORIES true "${CMAKE_SOURCE_DIR}/benchmarks/*")
foreach(bench_dir IN LISTS bench_dirs)
    if(NOT IS_DIRECTORY "${bench_dir}")
        continue()
    endif()
    get_filename_component(layer "${bench_dir}" NAME)
    file(GLOB sources CONFIGURE_DEPENDS "${bench_dir}/*.cpp")
    if(NOT sources)
        continue()
    endif()
    add_executable(bench_${layer} ${sources})
    target_include_directories(bench_${layer} PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/tests")
    target_link_libraries(bench_${layer} PRIVATE
        PanelEngine SimulatorLib ZQControlBase ZQMidi ZQNotification ZQSystem ZQGraphics ZQApplication
        ZQStorage ZQObjectBase ZQRenderer ZQTestBench Poco::Foundation GTest::gtest benchmark::benchmark_main)
endforeach()

# The window stand-in's loop is measured on its own library.
if(TARGET bench_Window)
    target_link_libraries(bench_Window PRIVATE PlatformWindow)
endif()

# The layout benchmarks build their trees from the test bench's control.
if(TARGET bench_ControlBase AND TARGET ZQControlTestBench)
    target_link_libraries(bench_ControlBase PRIVATE ZQControlTestBench)
endif()

# The control library's benchmarks run the controls on the test bench.
if(TARGET bench_Controls)
    target_link_libraries(bench_Controls PRIVATE ZQControls ZQControlTestBench)
endif()

# The status query's benchmark runs the program and the simulator built beside it.
if(TARGET bench_StatusQuery)
    add_dependencies(bench_StatusQuery q3300-splen-updater zq-simulator)
endif()
