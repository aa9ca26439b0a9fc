# Install rules and the Debian package (scripts/package.sh builds it with the package preset).
include(GNUInstallDirs)

set(desktop_dir "${PROJECT_SOURCE_DIR}/res/desktop")
set(id "${PELLWICK_DESKTOP_ID}")

install(TARGETS pellwick RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${desktop_dir}/${id}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${desktop_dir}/${id}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
# The application icon that the artwork script draws, under the theme's names.
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/res/icons/128-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME "${id}.png")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/res/icons/128.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" RENAME "${id}.svg")

# Debian keeps manual pages and changelogs compressed, without time stamps (gzip -n).
foreach(doc pellwick.1 changelog)
    add_custom_command(OUTPUT "${doc}.gz"
                       COMMAND gzip -9nc "${desktop_dir}/${doc}" > "${doc}.gz"
                       DEPENDS "${desktop_dir}/${doc}" VERBATIM)
endforeach()
add_custom_target(pellwick_docs ALL DEPENDS pellwick.1.gz changelog.gz)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/pellwick.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/changelog.gz" "${desktop_dir}/copyright"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/pellwick")

# The site relay: a unit that stays disabled until an administrator enables it, and an example
# of its settings (the real file is the administrator's).
install(FILES "${PROJECT_SOURCE_DIR}/res/relay/pellwick-relay.service" DESTINATION "lib/systemd/system")
install(FILES "${PROJECT_SOURCE_DIR}/res/relay/relay.conf"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/pellwick/examples")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellwick)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Pellwick developers <dev@pellwick.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "messenger for the computers of one local network")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pellwick shows who is online on the local network, carries private messages
to one person or to everybody, and keeps one shared chat room. It needs no
server and no set-up, lives in the notification area and starts with the
desktop session.

The package grants the program the capability to bind UDP port 138, where
peers on Windows talk. It never opens the firewall.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What a library scan cannot see: Qt's platform plugins for X11 (in libqt6gui6, found by the
# scan) come with qt6-qpa-plugins' themes, Wayland's with qt6-wayland; setcap for postinst.
# Sound goes through PulseAudio's client library (found by the scan) to a sound server.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${desktop_dir}/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
