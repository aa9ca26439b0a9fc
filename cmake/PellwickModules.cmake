# Shared settings of every target: language level, warnings, Qt's safety switches, sanitizers.
add_library(pellwick_common_cfg INTERFACE)
target_compile_features(pellwick_common_cfg INTERFACE cxx_std_20)
target_compile_options(pellwick_common_cfg INTERFACE
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wold-style-cast)
target_compile_definitions(pellwick_common_cfg INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS)

if(PELLWICK_SANITIZE STREQUAL "address")
    target_compile_options(pellwick_common_cfg INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(pellwick_common_cfg INTERFACE -fsanitize=address,undefined)
elseif(PELLWICK_SANITIZE STREQUAL "thread")
    target_compile_options(pellwick_common_cfg INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(pellwick_common_cfg INTERFACE -fsanitize=thread)
elseif(NOT PELLWICK_SANITIZE STREQUAL "")
    message(FATAL_ERROR "PELLWICK_SANITIZE must be empty, 'address' or 'thread' (ASan and TSan cannot be combined)")
endif()

# pellwick_add_module(<Name> SOURCES ... DEPS ...)
# One static library per folder, reachable as Pellwick::<Name>; the folder is <name> in lower
# case. Includes name the owning folder ("net/MessagePacket.h"), but a module's include root
# holds its own folder only (a link in the build tree), so a module finds the headers of the
# modules it links and no others, and Qt's headers only of the Qt modules it links.
# cmake/CheckLayerIncludes.cmake checks that every folder includes only what it declares.
function(pellwick_add_module name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    string(TOLOWER "${name}" folder)
    if(NOT CMAKE_CURRENT_SOURCE_DIR STREQUAL "${PROJECT_SOURCE_DIR}/${folder}")
        message(FATAL_ERROR "pellwick_add_module(${name}) belongs in ${folder}/CMakeLists.txt")
    endif()
    set(target pellwick_${folder})
    add_library(${target} STATIC ${ARG_SOURCES})
    add_library(Pellwick::${name} ALIAS ${target})
    set(root "${CMAKE_BINARY_DIR}/include/${folder}")
    file(MAKE_DIRECTORY "${root}")
    file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
    target_include_directories(${target} PUBLIC "${root}")
    target_link_libraries(${target} PUBLIC pellwick_common_cfg ${ARG_DEPS})
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
endfunction()
