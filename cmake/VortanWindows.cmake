# The Windows build (cmake/toolchain/mingw-w64-x86_64.cmake): the same sources against the real
# platform, without Qt and D-Bus. What is built here grows as the platform layer's Windows
# half does; every program and library lands in bin/ beside the DLLs it needs.
if(VORTAN_SANITIZE OR VORTAN_FUZZ)
    message(FATAL_ERROR "The Windows build has no sanitizers and no fuzz targets")
endif()
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# Windows names its DLLs without a "lib" prefix.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")

# The ANSI names of the platform's calls (SendMessage is SendMessageA), as the program uses
# UTF-8 strings throughout; Windows 7 and later.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601)
# The process-wide runtime DLLs of MinGW, shipped beside the programs.
target_link_options(vortan_compile_options INTERFACE -Wl,--no-undefined)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS ${path})
        message(FATAL_ERROR "${dll} not found beside ${CMAKE_CXX_COMPILER}")
    endif()
    file(COPY ${path} DESTINATION ${CMAKE_BINARY_DIR}/bin)
endforeach()

# Resource scripts: the programs' manifest.
enable_language(RC)

add_subdirectory(src/runtime)
add_subdirectory(src/platform)
add_subdirectory(src/components/simboard)
add_subdirectory(src/automation)
# Resources before the subsystems: the engine and the dialogs link their templates.
add_subdirectory(resources)
add_subdirectory(src/controller)
add_subdirectory(src/engine)
add_subdirectory(src/selection)
# The application brings its COM adaptor (src/app/com) with the host and the program.
add_subdirectory(src/app)
include(cmake/VortanPublicHeaders.cmake)
include(cmake/VortanWindowsPackage.cmake)

if(VORTAN_BUILD_TESTS)
    enable_testing()
    # Debian ships GoogleTest as sources too, built here with the cross compiler (it names
    # its targets GTest::gtest and so on itself).
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(cmake/VortanTest.cmake)
    add_subdirectory(tests/support)
    add_subdirectory(tests/unit/runtime)
    add_subdirectory(tests/unit/platform)
    add_subdirectory(tests/unit/simboard)
    add_subdirectory(tests/unit/com)
    add_subdirectory(tests/unit/selection)
    add_subdirectory(tests/windows)
endif()
