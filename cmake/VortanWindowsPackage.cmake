# vortan-windows.zip in the build directory: the programs, the simulated board, the DLLs they
# need, register.cmd and an example, in one folder vortan-windows\. Remade with every build
# that changes one of them.
set(_package_root ${CMAKE_BINARY_DIR}/package)
set(_package_stage ${_package_root}/vortan-windows)
set(_package_zip ${CMAKE_BINARY_DIR}/vortan-windows.zip)

# Texts in Windows line ends: cmd.exe misreads labels in a batch file without them.
set(VORTAN_VERSION ${PROJECT_VERSION})
set(_package_texts)
foreach(text cmake/windows/register.cmd cmake/windows/README.txt examples/windows/round_trip.vbs)
    get_filename_component(name ${text} NAME)
    configure_file(${PROJECT_SOURCE_DIR}/${text} ${CMAKE_BINARY_DIR}/package-texts/${name} @ONLY
                   NEWLINE_STYLE CRLF)
    list(APPEND _package_texts ${CMAKE_BINARY_DIR}/package-texts/${name})
endforeach()

set(_package_files
    $<TARGET_FILE:vortan> $<TARGET_FILE:vortan_board> $<TARGET_FILE:vortan_simboard>
    $<TARGET_FILE:vortan_runtime> $<TARGET_FILE:vortan_platform>
    ${CMAKE_BINARY_DIR}/bin/libstdc++-6.dll ${CMAKE_BINARY_DIR}/bin/libgcc_s_seh-1.dll
    ${CMAKE_BINARY_DIR}/bin/libwinpthread-1.dll
    ${CMAKE_BINARY_DIR}/package-texts/register.cmd ${CMAKE_BINARY_DIR}/package-texts/README.txt)
set(_package_binaries)
foreach(name vortan.exe vortan-board.exe vortan-simboard.dll vortan-runtime.dll
             vortan-platform.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    list(APPEND _package_binaries ${_package_stage}/${name})
endforeach()
add_custom_command(OUTPUT ${_package_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${_package_root}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_package_stage}/examples
    COMMAND ${CMAKE_COMMAND} -E copy ${_package_files} ${_package_stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/package-texts/round_trip.vbs
            ${_package_stage}/examples
    # The package needs no symbols; the build tree keeps them for debugging.
    COMMAND ${CMAKE_STRIP} --strip-unneeded ${_package_binaries}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${_package_zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${_package_root}
            ${CMAKE_COMMAND} -E tar cf ${_package_zip} --format=zip vortan-windows
    DEPENDS vortan vortan_board vortan_simboard vortan_runtime vortan_platform ${_package_texts}
    COMMENT "Packing vortan-windows.zip"
    VERBATIM)
add_custom_target(vortan_windows_zip ALL DEPENDS ${_package_zip})
