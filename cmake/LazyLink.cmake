# Lazy linking of a program to shared libraries: a program marked by zq_lazy_link maps none of its lazy
# libraries at its start; each is opened when the program first calls one of its functions (first-call stubs
# written by LazyLink/GenerateStubs.py, resolved by LazyLink/Resolver.cpp). Every other target, tests and
# benchmarks included, links the same libraries as usual. A library that is missing when it is first needed
# ends the program with a line on standard error and exit code 127.
#
# A library target names a lazy dependency through zq_lazy_dependency: the items it returns link the real
# target, or for a lazily linked program a view of it that keeps its headers and flags and links only the
# libraries that stay ordinary (ZQ_LAZY_LINK_KEEP).

# Libraries that stay ordinary even where they come with a lazy dependency: GLib carries the message loop of
# every mode.
set(ZQ_LAZY_LINK_KEEP "libglib-2\\.0\\.so")

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    set(ZQ_LAZY_LINK_SUPPORTED TRUE)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
else()
    # The stubs are x86-64 code; elsewhere programs link their libraries as usual.
    set(ZQ_LAZY_LINK_SUPPORTED FALSE)
endif()

# The shared library files that linking target brings in, in link order, in out.
function(zq_shared_libraries_of target out)
    set(files "")
    if(TARGET ${target})
        get_target_property(type ${target} TYPE)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(location ${target} IMPORTED_LOCATION)
            get_target_property(configurations ${target} IMPORTED_CONFIGURATIONS)
            if(NOT location AND configurations)
                list(GET configurations 0 configuration)
                get_target_property(location ${target} IMPORTED_LOCATION_${configuration})
            endif()
            if(location)
                list(APPEND files "${location}")
            endif()
        endif()
        get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
        if(links)
            foreach(link IN LISTS links)
                zq_shared_libraries_of("${link}" linked)
                list(APPEND files ${linked})
            endforeach()
        endif()
    elseif(target MATCHES "\\.so(\\.[0-9.]+)?$")
        list(APPEND files "${target}")
    endif()
    list(REMOVE_DUPLICATES files)
    set(${out} "${files}" PARENT_SCOPE)
endfunction()

# zq_lazy_dependency(OUT target...): in OUT, what a library links for the imported targets: each target
# itself, and for a program marked by zq_lazy_link the target's lazy view.
function(zq_lazy_dependency out)
    set(items "")
    foreach(target IN LISTS ARGN)
        if(NOT ZQ_LAZY_LINK_SUPPORTED)
            list(APPEND items ${target})
            continue()
        endif()
        string(MAKE_C_IDENTIFIER "ZQLazyView_${target}" view)
        if(NOT TARGET ${view})
            zq_shared_libraries_of(${target} files)
            set(kept "")
            foreach(file IN LISTS files)
                get_filename_component(name "${file}" NAME)
                if(name MATCHES "${ZQ_LAZY_LINK_KEEP}")
                    list(APPEND kept "${file}")
                else()
                    set_property(GLOBAL APPEND PROPERTY ZQ_LAZY_LIBRARIES "${file}")
                endif()
            endforeach()
            add_library(${view} INTERFACE IMPORTED)
            set_target_properties(${view} PROPERTIES
                INTERFACE_INCLUDE_DIRECTORIES "$<TARGET_PROPERTY:${target},INTERFACE_INCLUDE_DIRECTORIES>"
                INTERFACE_COMPILE_DEFINITIONS "$<TARGET_PROPERTY:${target},INTERFACE_COMPILE_DEFINITIONS>"
                INTERFACE_COMPILE_OPTIONS "$<TARGET_PROPERTY:${target},INTERFACE_COMPILE_OPTIONS>"
                INTERFACE_LINK_LIBRARIES "${kept}")
        endif()
        list(APPEND items "$<IF:$<BOOL:$<TARGET_PROPERTY:ZQ_LAZY_LINK>>,${view},${target}>")
    endforeach()
    set(${out} "${items}" PARENT_SCOPE)
endfunction()

# The static libraries that target links, directly or through others, in out.
function(zq_static_libraries_of target out)
    set(seen "")
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        get_target_property(links ${current} LINK_LIBRARIES)
        if(NOT links)
            continue()
        endif()
        foreach(link IN LISTS links)
            if(TARGET ${link} AND NOT link IN_LIST seen)
                get_target_property(type ${link} TYPE)
                if(type STREQUAL "STATIC_LIBRARY")
                    list(APPEND seen ${link})
                    list(APPEND pending ${link})
                endif()
            endif()
        endforeach()
    endwhile()
    set(${out} "${seen}" PARENT_SCOPE)
endfunction()

# zq_lazy_link(program [LIBRARIES target-or-file...]): program reaches the lazy libraries (by default those
# of every zq_lazy_dependency; a target stands for its file) through first-call stubs for the functions that
# its static libraries call. Called once the program's libraries are linked.
function(zq_lazy_link program)
    cmake_parse_arguments(ARG "" "" "LIBRARIES" ${ARGN})
    if(NOT ZQ_LAZY_LINK_SUPPORTED)
        if(ARG_LIBRARIES)
            target_link_libraries(${program} PRIVATE ${ARG_LIBRARIES})
        endif()
        return()
    endif()
    set_target_properties(${program} PROPERTIES ZQ_LAZY_LINK ON)

    set(libraries "")
    set(depends "")
    if(ARG_LIBRARIES)
        foreach(library IN LISTS ARG_LIBRARIES)
            if(TARGET ${library})
                list(APPEND libraries "$<TARGET_FILE:${library}>")
                list(APPEND depends ${library})
            else()
                list(APPEND libraries "${library}")
            endif()
        endforeach()
    else()
        get_property(libraries GLOBAL PROPERTY ZQ_LAZY_LIBRARIES)
        list(REMOVE_DUPLICATES libraries)
    endif()
    zq_static_libraries_of(${program} archives)
    set(objects "")
    foreach(archive IN LISTS archives)
        list(APPEND objects "$<TARGET_FILE:${archive}>")
    endforeach()

    set(stubs "${CMAKE_CURRENT_BINARY_DIR}/lazy-link/${program}-stubs.cpp")
    add_custom_command(OUTPUT "${stubs}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/lazy-link"
        COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/cmake/LazyLink/GenerateStubs.py"
            --nm "${CMAKE_NM}" --readelf "${CMAKE_READELF}" --output "${stubs}"
            --objects ${objects} --libraries ${libraries}
        DEPENDS "${CMAKE_SOURCE_DIR}/cmake/LazyLink/GenerateStubs.py" ${archives} ${depends}
        COMMENT "Writing the first-call stubs of ${program}"
        VERBATIM)
    set(stubLibrary ${program}-lazy-stubs)
    add_library(${stubLibrary} OBJECT "${stubs}" "${CMAKE_SOURCE_DIR}/cmake/LazyLink/Resolver.cpp")
    target_include_directories(${stubLibrary} PRIVATE "${CMAKE_SOURCE_DIR}/cmake/LazyLink")
    target_link_libraries(${program} PRIVATE ${stubLibrary} ${CMAKE_DL_LIBS})
endfunction()
