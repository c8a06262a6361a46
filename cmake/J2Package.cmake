# `cpack -G DEB` (scripts/package.sh): one Debian package with everything `cmake --install` puts under /usr
# and /etc. Shared libraries are found by dpkg-shlibdeps; what the program loads at run time and no scan
# sees (the QML modules the scene imports, Qt's platform plugins) is named here.
set(CPACK_PACKAGE_NAME j2-configurator)
set(CPACK_PACKAGE_VENDOR "J2 configurator developers")
set(CPACK_PACKAGE_CONTACT "J2 configurator developers <j2-configurator@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configurator and firmware updater for J2 gaming mice")
set(CPACK_PACKAGE_DESCRIPTION
    "Sets the button functions, DPI stages and colours, polling rate, sensitivity, angle snapping and\
 lighting of J2 gaming mice, records keyboard macros into the mouse, keeps named profiles on disk and in\
 the mouse, and updates the mouse's firmware. Lives in the notification area with notices of the mouse's\
 DPI changes. Includes a virtual J2 mouse to try it without one.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed as into DESTDIR, so the autostart entry reaches /etc/xdg/autostart inside the package.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
