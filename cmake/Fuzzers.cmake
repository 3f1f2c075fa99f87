# fuzz/<Name>Fuzzer.cpp becomes the libFuzzer program <Name>Fuzzer.

file(GLOB fuzzers CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/fuzz/*Fuzzer.cpp")
foreach(source IN LISTS fuzzers)
    get_filename_component(name "${source}" NAME_WE)
    add_executable(${name} "${source}")
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${name} PRIVATE ZQControlBase ZQSystem ZQStorage ZQObjectBase)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
