# Install rules; the Debian package (debian/, scripts/package.sh) installs through them.
include(GNUInstallDirs)

set(desktop_dir "${PROJECT_SOURCE_DIR}/res/desktop")
set(id "${PELLWICK_DESKTOP_ID}")

install(TARGETS pellwick RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${desktop_dir}/${id}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${desktop_dir}/${id}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${desktop_dir}/pellwick.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
# The application icon that the artwork script draws, under the theme's names.
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/res/icons/128-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME "${id}.png")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/res/icons/128.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" RENAME "${id}.svg")
# The sound cues, found from the program as ../share/pellwick/sounds (res/ResourceLoader.cpp).
install(DIRECTORY "${PROJECT_SOURCE_DIR}/res/sounds/" DESTINATION "${CMAKE_INSTALL_DATADIR}/pellwick/sounds"
        FILES_MATCHING PATTERN "*.wav")

# The site relay: a unit that stays disabled until an administrator enables it, and an example
# of its settings (the real file is the administrator's).
# Debian 12's debhelper takes units from /lib/systemd/system only: debian/rules names it.
set(PELLWICK_SYSTEMD_UNIT_DIR "lib/systemd/system" CACHE PATH "Where the relay's systemd unit is installed")
install(FILES "${PROJECT_SOURCE_DIR}/res/relay/pellwick-relay.service" DESTINATION "${PELLWICK_SYSTEMD_UNIT_DIR}")
install(FILES "${PROJECT_SOURCE_DIR}/res/relay/relay.conf"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/pellwick/examples")
