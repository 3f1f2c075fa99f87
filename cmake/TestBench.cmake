# The headless test bench, shared by the test programs and the benchmarks (included by either, once).
include_guard(GLOBAL)

# A recording renderer, a fake measurer and the scope that makes a renderer the application's measurement
# renderer: linked by the test programs of the renderer and the layers above.
add_library(ZQTestBench STATIC
    "${CMAKE_SOURCE_DIR}/tests/Support/FakeMeasurer.cpp"
    "${CMAKE_SOURCE_DIR}/tests/Support/MeasurementRendererScope.cpp"
    "${CMAKE_SOURCE_DIR}/tests/Support/RecordingRenderer.cpp")
target_include_directories(ZQTestBench PUBLIC "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/tests")
target_link_libraries(ZQTestBench PUBLIC ZQRenderer)

# The control side of the bench: fake application and window services and a test control built in code.
add_library(ZQControlTestBench STATIC
    "${CMAKE_SOURCE_DIR}/tests/Support/FakeControlApplication.cpp"
    "${CMAKE_SOURCE_DIR}/tests/Support/FakeWindowServices.cpp"
    "${CMAKE_SOURCE_DIR}/tests/Support/TestControl.cpp")
target_link_libraries(ZQControlTestBench PUBLIC ZQControlBase ZQTestBench)
