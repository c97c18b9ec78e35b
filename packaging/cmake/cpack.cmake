# The Debian package, built by `cpack -G DEB` (or `cpack --preset deb`). Its dependencies are
# computed from the shared libraries the executable links (dpkg-shlibdeps); the only one added by
# hand is the Qt platform plugins, which Qt loads at run time and no linker sees.
set(CPACK_GENERATOR DEB)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${CONVERSIONE_PROGRAM})
set(CPACK_PACKAGE_VERSION ${CONVERSIONE_VERSION})
set(CPACK_PACKAGE_VENDOR "${CONVERSIONE_COMPANY}")
set(CPACK_PACKAGE_CONTACT "${CONVERSIONE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert numbers between decimal and binary notation")
set(CPACK_PACKAGE_DESCRIPTION [=[
Conversione is a small desktop program with one window that converts a number
between decimal and binary notation. Type the number, choose the direction with
the options "Binario" (decimal to binary) or "Decimale" (binary to decimal) and
press Enter or the button "Converti".

The program's interface is in Italian.]=])
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Everything a plain install has, plus the Debian-only files of packaging/debian.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${CMAKE_PROJECT_NAME};ALL;/"
    "${CMAKE_BINARY_DIR};${CMAKE_PROJECT_NAME};debian;/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CONVERSIONE_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so shlibdeps cannot see them: Qt's platform plugins (X11's comes with
# libqt6gui6; Wayland's is qt6-wayland, without which a Wayland session with no X server cannot
# show the window at all), and the face the window's captions are measured for (they fit their
# fixed boxes in Liberation Sans).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, fonts-liberation2, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
