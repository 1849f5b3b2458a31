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
set_target_properties(vortan_platform vortan_simboard vortan_gui_module PROPERTIES
    INSTALL_RPATH "$ORIGIN")

install(TARGETS vortan vortanctl vortan_board RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vortan_platform vortan_simboard vortan_gui_module
    LIBRARY DESTINATION ${VORTAN_INSTALL_PKGLIBDIR})

# The bus starts the installed server for every user.
set(VORTAN_SERVER_EXEC "${CMAKE_INSTALL_FULL_BINDIR}/vortan")
configure_file(cmake/install/vortan.service.in
    ${CMAKE_BINARY_DIR}/install/ZEPH.VORTAN.Application._7.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/ZEPH.VORTAN.Application._7.service
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services)

# The system's class registry names the plug-in relative to itself, so it holds in an
# unpacked package too. Under /usr it goes to /etc, else it stays within the prefix (and
# follows `cmake --install --prefix`).
if(CMAKE_INSTALL_FULL_SYSCONFDIR STREQUAL "/etc")
    set(_vortan_registry_dir "/etc/xdg/vortan")
else()
    set(_vortan_registry_dir "${CMAKE_INSTALL_SYSCONFDIR}/xdg/vortan")
endif()
file(RELATIVE_PATH VORTAN_SIMBOARD_FROM_REGISTRY "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/vortan"
    "${CMAKE_INSTALL_PREFIX}/${VORTAN_INSTALL_PKGLIBDIR}/$<TARGET_FILE_NAME:vortan_simboard>")
configure_file(cmake/install/classes.ini.in ${CMAKE_BINARY_DIR}/install/classes.ini.in2 @ONLY)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/install/classes.ini
    INPUT ${CMAKE_BINARY_DIR}/install/classes.ini.in2)
install(FILES ${CMAKE_BINARY_DIR}/install/classes.ini DESTINATION ${_vortan_registry_dir})

install(FILES docs/man/vortan.1 docs/man/vortanctl.1 docs/man/vortan-board.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES scripts/completion/vortanctl scripts/completion/vortan-board
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
