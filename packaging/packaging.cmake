# The Debian package: `make package` installs the project with the prefix /usr into a
# staging folder and packs it. Library dependencies come from the binaries themselves.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbraplus)
set(CPACK_PACKAGE_VENDOR "The NimbraPlus developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "download, show and publish the history of a USB weather station")
set(CPACK_PACKAGE_DESCRIPTION
    "NimbraPlus is for owners of USB weather stations (USB id 1941:8021). It downloads
everything the station has recorded into a local database, shows the current
readings, browses, graphs, exports and imports the history, changes the station's
settings and alarms, and uploads readings to weather services. It runs as a desktop
program or, as a systemd user service, as an unattended logger.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The NimbraPlus developers <nimbraplus@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binaries do not say: Qt's platform plugins (a window needs one) and the
# serif font the PDF export embeds.
# libjs-dygraphs: the web page's charts, served from /usr/share/javascript.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation, libjs-dygraphs")
# Qt's own texts (standard buttons) in the program's languages, and the face the Chinese
# texts are drawn and exported with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
