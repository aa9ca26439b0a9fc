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
# One static library per folder, reachable as Pellwick::<Name>. Includes are rooted at the
# repository, so every #include names the folder that owns the header. A folder links only
# what it declares in DEPS: a forbidden dependency fails to compile or to link.
function(pellwick_add_module name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    string(TOLOWER "${name}" lower)
    set(target pellwick_${lower})
    add_library(${target} STATIC ${ARG_SOURCES})
    add_library(Pellwick::${name} ALIAS ${target})
    target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${target} PUBLIC pellwick_common_cfg ${ARG_DEPS})
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
endfunction()
