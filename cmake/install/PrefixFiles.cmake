# Run by `cmake --install` and cpack, once the prefix is known: the installed files that
# name installed paths. VortanInstall.cmake sets the VORTAN_INSTALL_* variables before.
# Written into DESTDIR when set (cpack stages its packages that way) and listed in the
# install manifest like every other file.
macro(vortan_install_configured template destination)
    message(STATUS "Installing: $ENV{DESTDIR}${destination}")
    configure_file("${VORTAN_INSTALL_TEMPLATES}/${template}" "$ENV{DESTDIR}${destination}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${destination}")
endmacro()

# The bus starts the installed server for every user.
set(VORTAN_SERVER_EXEC "${CMAKE_INSTALL_PREFIX}/${VORTAN_INSTALL_BINDIR}/vortan")
vortan_install_configured(vortan.service.in
    "${CMAKE_INSTALL_PREFIX}/${VORTAN_INSTALL_DATADIR}/dbus-1/services/ZEPH.VORTAN.Application._7.service")

# The system's class registry: under /usr in /etc, else within the prefix. It names the
# simulated board's plug-in relative to itself, so it holds in an unpacked package too.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(_vortan_registry_dir "/etc/xdg/vortan")
elseif(IS_ABSOLUTE "${VORTAN_INSTALL_SYSCONFDIR}")
    set(_vortan_registry_dir "${VORTAN_INSTALL_SYSCONFDIR}/xdg/vortan")
else()
    set(_vortan_registry_dir "${CMAKE_INSTALL_PREFIX}/${VORTAN_INSTALL_SYSCONFDIR}/xdg/vortan")
endif()
file(RELATIVE_PATH VORTAN_SIMBOARD_FROM_REGISTRY "${_vortan_registry_dir}"
    "${CMAKE_INSTALL_PREFIX}/${VORTAN_INSTALL_SIMBOARD}")
vortan_install_configured(classes.ini.in "${_vortan_registry_dir}/classes.ini")
