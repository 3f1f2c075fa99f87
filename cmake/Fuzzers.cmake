# fuzz/<Name>Fuzzer.cpp becomes the libFuzzer program <Name>Fuzzer, linked with the libraries that hold
# the reader it feeds (each brings what it builds on). A fuzzer missing from this table stops the
# configuration, so that none links more than its reader needs.

set(ZQ_FUZZER_LIBRARIES_SettingsReaderFuzzer ZQSystem)
set(ZQ_FUZZER_LIBRARIES_SkinReaderFuzzer ZQControlBase)
set(ZQ_FUZZER_LIBRARIES_VariantUnpackFuzzer ZQStorage)
set(ZQ_FUZZER_LIBRARIES_RegistryValueFuzzer PlatformRegistry)
set(ZQ_FUZZER_LIBRARIES_RegistryNameFuzzer PlatformRegistry)
set(ZQ_FUZZER_LIBRARIES_CopyDataFuzzer PlatformWindow ZQStorage)
set(ZQ_FUZZER_LIBRARIES_PlacementFuzzer PlatformWindow)
set(ZQ_FUZZER_LIBRARIES_CommandLineFuzzer PanelEngine)
set(ZQ_FUZZER_LIBRARIES_IdentityReplyFuzzer PanelEngine)
set(ZQ_FUZZER_LIBRARIES_MidiWireFuzzer PlatformMidi)
set(ZQ_FUZZER_LIBRARIES_DriverWireFuzzer PlatformDriver)

file(GLOB fuzzers CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/fuzz/*Fuzzer.cpp")
foreach(source IN LISTS fuzzers)
    get_filename_component(name "${source}" NAME_WE)
    if(NOT DEFINED ZQ_FUZZER_LIBRARIES_${name})
        message(FATAL_ERROR "cmake/Fuzzers.cmake names no libraries for fuzz/${name}.cpp")
    endif()
    add_executable(${name} "${source}")
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${name} PRIVATE ${ZQ_FUZZER_LIBRARIES_${name}})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
