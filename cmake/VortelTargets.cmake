# Helpers that every folder uses to declare its core libraries and tests.
#
# Each core library is built twice: as NAME for the programs and as NAME_san
# with AddressSanitizer and UndefinedBehaviorSanitizer for a second run of the
# core tests. Both runs live in one CTest project, so one summary line counts
# them all.

add_library(vortel_warnings INTERFACE)
target_compile_options(vortel_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wcast-qual -Wformat=2
    -Wimplicit-fallthrough -Wnon-virtual-dtor -Wold-style-cast
    -Wnull-dereference -Wduplicated-cond -Wlogical-op
    $<$<BOOL:${VORTEL_WERROR}>:-Werror>)

add_library(vortel_sanitize INTERFACE)
target_compile_options(vortel_sanitize INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_link_options(vortel_sanitize INTERFACE -fsanitize=address,undefined)

set_property(GLOBAL PROPERTY VORTEL_CORE_LIBRARIES "")

set_property(GLOBAL PROPERTY VORTEL_DESKTOP_TWINS "")

# Maps a dependency list onto the sanitized variants of core libraries and
# of the desktop targets that have twins.
function(_vortel_sanitized_deps out)
    get_property(core GLOBAL PROPERTY VORTEL_CORE_LIBRARIES)
    get_property(twins GLOBAL PROPERTY VORTEL_DESKTOP_TWINS)
    list(APPEND core ${twins})
    set(result "")
    foreach(dep IN LISTS ARGN)
        if(dep IN_LIST core)
            list(APPEND result ${dep}_san)
        else()
            list(APPEND result ${dep})
        endif()
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# vortel_core_library(NAME SOURCES ... DEPS ...)
function(vortel_core_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE vortel_warnings)
    if(VORTEL_SANITIZED_TESTS)
        _vortel_sanitized_deps(san_deps ${ARG_DEPS})
        add_library(${name}_san STATIC ${ARG_SOURCES})
        target_include_directories(${name}_san PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name}_san PUBLIC ${san_deps} vortel_sanitize PRIVATE vortel_warnings)
    endif()
    set_property(GLOBAL APPEND PROPERTY VORTEL_CORE_LIBRARIES ${name})
endfunction()

# vortel_core_test(NAME SOURCES ... DEPS ... [DEFINITIONS ...])
# Registers the GoogleTest cases of one test program, plus its sanitized twin
# whose cases carry the prefix "sanitized.".
function(vortel_core_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;DEFINITIONS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest_main vortel_warnings)
    target_compile_definitions(${name} PRIVATE ${ARG_DEFINITIONS})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    if(VORTEL_SANITIZED_TESTS)
        _vortel_sanitized_deps(san_deps ${ARG_DEPS})
        add_executable(${name}_san ${ARG_SOURCES})
        target_link_libraries(${name}_san PRIVATE ${san_deps} GTest::gtest_main vortel_sanitize vortel_warnings)
        target_compile_definitions(${name}_san PRIVATE ${ARG_DEFINITIONS})
        gtest_discover_tests(${name}_san TEST_PREFIX "sanitized." DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# vortel_desktop_twin(TARGET)
# The desktop program's libraries and QTest programs run under the sanitizers
# too: a fault in how our code holds Qt's objects (a menu deleted while its
# own trigger still runs) is caught there, though Qt itself is not
# instrumented. A twin copies the target's sources, definitions and include
# folders and links the twins of its dependencies; it is made once every
# folder has been read, as the desktop targets are declared before some of
# the core libraries they link. A QTest program's twin runs as the test
# "sanitized.TARGET", in the environment of the original.
function(vortel_desktop_twin name)
    if(VORTEL_SANITIZED_TESTS)
        set_property(GLOBAL APPEND PROPERTY VORTEL_DESKTOP_TWINS ${name})
    endif()
endfunction()

function(_vortel_make_desktop_twins)
    get_property(twins GLOBAL PROPERTY VORTEL_DESKTOP_TWINS)
    foreach(name IN LISTS twins)
        get_target_property(type ${name} TYPE)
        get_target_property(folder ${name} SOURCE_DIR)
        get_target_property(sources ${name} SOURCES)
        set(absolute "")
        foreach(source IN LISTS sources)
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} OUTPUT_VARIABLE source)
            list(APPEND absolute ${source})
        endforeach()
        if(type STREQUAL "EXECUTABLE")
            add_executable(${name}_san ${absolute})
        else()
            add_library(${name}_san STATIC ${absolute})
        endif()
        foreach(property AUTOMOC AUTORCC INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES COMPILE_DEFINITIONS
                         RUNTIME_OUTPUT_DIRECTORY)
            get_target_property(value ${name} ${property})
            if(value)
                set_target_properties(${name}_san PROPERTIES ${property} "${value}")
            endif()
        endforeach()
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(value ${name} ${property})
            if(value)
                _vortel_sanitized_deps(mapped ${value})
                set_target_properties(${name}_san PROPERTIES ${property} "${mapped};vortel_sanitize")
            endif()
        endforeach()
        get_target_property(needs ${name} MANUALLY_ADDED_DEPENDENCIES)
        if(needs)
            add_dependencies(${name}_san ${needs})
        endif()
        get_property(environment GLOBAL PROPERTY VORTEL_TEST_ENVIRONMENT_${name})
        if(type STREQUAL "EXECUTABLE" AND environment)
            add_test(NAME sanitized.${name} COMMAND ${name}_san)
            set_tests_properties(sanitized.${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300)
        endif()
    endforeach()
endfunction()

if(VORTEL_SANITIZED_TESTS)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _vortel_make_desktop_twins)
endif()

# vortel_write_layer_map(FILE)
# Writes, for every library and program of the build (not the sanitized
# twins), its type, source folder, direct link list and sources, one target
# per line: NAME|TYPE|FOLDER|LINKS|SOURCES with ';' inside the lists.
# tests/layers/layer_check.py holds the includes against it, so that the
# build, not only convention, keeps the layers.
function(_vortel_collect_targets folder out)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder IN LISTS subfolders)
        _vortel_collect_targets(${subfolder} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(vortel_write_layer_map file)
    _vortel_collect_targets(${PROJECT_SOURCE_DIR} targets)
    set(lines "")
    foreach(name IN LISTS targets)
        get_target_property(type ${name} TYPE)
        if(name MATCHES "_san$" OR NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        get_target_property(folder ${name} SOURCE_DIR)
        get_target_property(links ${name} LINK_LIBRARIES)
        get_target_property(sources ${name} SOURCES)
        if(NOT links)
            set(links "")
        endif()
        string(APPEND lines "${name}|${type}|${folder}|${links}|${sources}\n")
    endforeach()
    file(WRITE ${file} "${lines}")
endfunction()
