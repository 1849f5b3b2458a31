# Warning and sanitizer flags shared by every target of the project.
add_library(vortan_compile_options INTERFACE)
add_library(vortan::compile_options ALIAS vortan_compile_options)
target_compile_options(vortan_compile_options INTERFACE -Wall -Wextra -Wpedantic)
if(VORTAN_WERROR)
    target_compile_options(vortan_compile_options INTERFACE -Werror)
endif()
if(VORTAN_SANITIZE)
    target_compile_options(vortan_compile_options INTERFACE
        -fsanitize=${VORTAN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(vortan_compile_options INTERFACE -fsanitize=${VORTAN_SANITIZE})
endif()

# A library's headers are seen by the library itself and by whoever links it, and by nobody
# else: each folder of sources gets an include root of its own that holds only that folder
# (a link to it, under its usual name), so `#include "engine/VORTANDlg.h"` compiles only in a
# target that links the engine. SCOPE is PUBLIC, PRIVATE or INTERFACE as for
# target_include_directories; FOLDER is relative to BASE (default: src/).
function(vortan_export_headers target scope folder)
    cmake_parse_arguments(E "" "BASE" "" ${ARGN})
    if(NOT E_BASE)
        set(E_BASE ${PROJECT_SOURCE_DIR}/src)
    endif()
    string(MAKE_C_IDENTIFIER ${folder} id)
    set(root ${CMAKE_BINARY_DIR}/include-roots/${id})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    if(NOT EXISTS ${root}/${folder})
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${E_BASE}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} ${root})
endfunction()
