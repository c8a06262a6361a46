# `cmake --install`: the programs and their read-only data in one private tree, <prefix>/lib/j2-configurator
# (as Debian keeps a program's own files), launchers on the PATH, and on Linux the desktop's files: menu entry,
# theme icons, autostart entry and the udev rule that lets the logged-in user open the mouse. Every path is
# below the prefix (or, for the autostart entry, the system configuration folder the prefix implies), and
# DESTDIR is honoured throughout. Factory data comes from the source tree: the build's runnable tree is
# never a source of installed data.
include(GNUInstallDirs)

set(J2_INSTALL_DIR lib/j2-configurator)
install(TARGETS configurator j2-virtual-mouse j2ctl RUNTIME DESTINATION ${J2_INSTALL_DIR})
install(TARGETS update make-data-bin RUNTIME DESTINATION ${J2_INSTALL_DIR}/update)
install(DIRECTORY modules/setting modules/gun modules/i18n DESTINATION ${J2_INSTALL_DIR}/modules
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${J2_DIST_DIR}/modules/img/trayIcon.ico DESTINATION ${J2_INSTALL_DIR}/modules/img)

if(UNIX AND NOT APPLE)
    # Launchers: links into the private tree, so the programs still find their data beside themselves.
    foreach(program configurator j2-virtual-mouse j2ctl)
        set(launcher ${program})
        if(program STREQUAL "configurator")
            set(launcher j2-configurator)
        endif()
        file(RELATIVE_PATH target ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
             ${CMAKE_INSTALL_PREFIX}/${J2_INSTALL_DIR}/${program})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/launchers)
        file(CREATE_LINK ${target} ${CMAKE_BINARY_DIR}/launchers/${launcher} SYMBOLIC)
        install(FILES ${CMAKE_BINARY_DIR}/launchers/${launcher} DESTINATION ${CMAKE_INSTALL_BINDIR})
    endforeach()

    install(FILES app/linux/j2-configurator.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # j2ctl's man page and completion, made from its command table at build time (cli/CMakeLists.txt).
    install(FILES ${CMAKE_BINARY_DIR}/cli/j2ctl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_BINARY_DIR}/cli/j2ctl.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME j2ctl)
    install(FILES modules/img/trayIcon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME j2-configurator.svg)
    foreach(size ${J2_THEME_ICON_SIZES})
        install(FILES ${CMAKE_BINARY_DIR}/modules/icons/${size}x${size}/j2-configurator.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    # After login the tray icon is there, as with other mice's tray tools; the desktop's autostart settings
    # switch it off per user. Desktops read /etc/xdg/autostart: that is where a /usr installation puts it,
    # decided when installing, since `cmake --install --prefix` may name another prefix than the build's.
    install(CODE "
        if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
            set(j2_autostart /etc/xdg/autostart)
        else()
            set(j2_autostart \"\${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart\")
        endif()
        file(INSTALL DESTINATION \"\${j2_autostart}\" TYPE FILE
             RENAME j2-configurator.desktop
             FILES \"${CMAKE_CURRENT_SOURCE_DIR}/app/linux/j2-configurator-autostart.desktop\")")
    set(J2_UDEV_RULESDIR lib/udev/rules.d CACHE STRING
        "Where the udev rule goes, relative to the prefix (udev reads /usr/lib/udev/rules.d)")
    install(FILES app/linux/70-j2-mouse.rules DESTINATION ${J2_UDEV_RULESDIR})
endif()
