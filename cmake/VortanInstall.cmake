# What `cmake --install` puts where. The programs find everything of their own relative to
# themselves (RUNPATH $ORIGIN, the GUI module beside the libraries), so an installed tree
# works wherever it is unpacked; only the D-Bus service file names an absolute path, as the
# bus requires.
include(GNUInstallDirs)

# Private libraries and modules live in one directory of their own.
set(VORTAN_INSTALL_PKGLIBDIR lib/vortan)
file(RELATIVE_PATH _vortan_bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${VORTAN_INSTALL_PKGLIBDIR}")

set_target_properties(vortan vortanctl vortan_board PROPERTIES
    INSTALL_RPATH "$ORIGIN/${_vortan_bin_to_lib}")
set_target_properties(vortan_runtime vortan_platform vortan_client vortan_simboard
    vortan_gui_module PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS vortan vortanctl vortan_board RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vortan_runtime vortan_platform vortan_client vortan_simboard vortan_gui_module
    LIBRARY DESTINATION ${VORTAN_INSTALL_PKGLIBDIR})

# The SDK: the public headers, for plug-ins (Vortan::Component, vortan-component.pc) the
# runtime library behind them, for clients (Vortan::Client, vortan-client.pc) the client
# library. The package files find everything relative to themselves.
install(DIRECTORY include/vortan DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
include(CMakePackageConfigHelpers)
configure_file(cmake/install/VortanConfig.cmake.in
    ${CMAKE_BINARY_DIR}/install/VortanConfig.cmake @ONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/VortanConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/VortanConfig.cmake
    ${CMAKE_BINARY_DIR}/install/VortanConfigVersion.cmake
    DESTINATION lib/cmake/Vortan)
foreach(_pc vortan-component vortan-client)
    configure_file(cmake/install/${_pc}.pc.in ${CMAKE_BINARY_DIR}/install/${_pc}.pc @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/install/${_pc}.pc DESTINATION lib/pkgconfig)
endforeach()

# The D-Bus service file (naming the server) and the system's class registry (under /usr in
# /etc) depend on the prefix, which `cmake --install --prefix` and cpack choose only when they
# install: a script writes them then.
install(CODE "set(VORTAN_INSTALL_TEMPLATES \"${PROJECT_SOURCE_DIR}/cmake/install\")
    set(VORTAN_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(VORTAN_INSTALL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    set(VORTAN_INSTALL_SYSCONFDIR \"${CMAKE_INSTALL_SYSCONFDIR}\")
    set(VORTAN_INSTALL_SIMBOARD
        \"${VORTAN_INSTALL_PKGLIBDIR}/$<TARGET_FILE_NAME:vortan_simboard>\")")
install(SCRIPT cmake/install/PrefixFiles.cmake)

# Man pages and the changelog go compressed, as Debian has them.
set(_vortan_gz "")
foreach(_page vortan.1 vortanctl.1 vortan-board.1)
    list(APPEND _vortan_gz_inputs ${PROJECT_SOURCE_DIR}/docs/man/${_page})
    list(APPEND _vortan_gz ${CMAKE_BINARY_DIR}/install/${_page}.gz)
endforeach()
configure_file(cmake/install/changelog.in ${CMAKE_BINARY_DIR}/install/changelog @ONLY)
list(APPEND _vortan_gz_inputs ${CMAKE_BINARY_DIR}/install/changelog)
list(APPEND _vortan_gz ${CMAKE_BINARY_DIR}/install/changelog.gz)
foreach(_in _out IN ZIP_LISTS _vortan_gz_inputs _vortan_gz)
    add_custom_command(OUTPUT ${_out}
        COMMAND gzip -9nc ${_in} > ${_out}
        DEPENDS ${_in} VERBATIM)
endforeach()
add_custom_target(vortan_compressed_docs ALL DEPENDS ${_vortan_gz})
list(POP_BACK _vortan_gz _vortan_changelog)
install(FILES ${_vortan_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES scripts/completion/vortanctl scripts/completion/vortan-board
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The Debian package (scripts/package): cpack -G DEB over the same install.
install(FILES cmake/install/copyright ${_vortan_changelog}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vortan)
file(WRITE ${CMAKE_BINARY_DIR}/install/conffiles "/etc/xdg/vortan/classes.ini\n")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortan)
set(CPACK_PACKAGE_CONTACT "VORTAN maintainers <maintainers@users.noreply.c-seed-a6e7af13.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "move configuration files to and from a controller's flash file store")
set(CPACK_PACKAGE_DESCRIPTION "VORTAN is an automation server that other programs drive
over the D-Bus session bus to write configuration files into the flash file
store of a controller board, read them back, remove them and format the store,
with a small progress window and a question before a local file is
overwritten. It comes with vortanctl, a command-line client, and a simulated
board for trying it without hardware.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/lib")
# The bus starts the server; without a display it needs no more.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus-daemon | dbus-broker")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins")
# cpack's prefix (/usr for a .deb unless CPACK_PACKAGING_INSTALL_PREFIX says otherwise) decides
# whether the registry lands in /etc, where Debian wants it marked as a conffile.
configure_file(cmake/install/CPackProjectConfig.cmake.in
    ${CMAKE_BINARY_DIR}/install/CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/install/CPackProjectConfig.cmake)
include(CPack)
