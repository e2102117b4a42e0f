# The Debian package, built by `cpack` in the build folder (scripts/package.sh):
# velloa_<version>_<arch>.deb with everything `cmake --install` installs,
# under /usr, binaries stripped, dependencies computed by dpkg-shlibdeps.
# Installing (and so CPack) does not build "all" first: the package needs the
# two programs and the generated files only, not the tests
# (scripts/package.sh builds just those).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velloa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velloa developers")
set(CPACK_PACKAGE_CONTACT "${VELLOA_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL https://velloa.example/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "speed, distance and GPX route from DJI flight-log subtitles")
# CPack puts the summary first: this is the extended description below it.
set(CPACK_PACKAGE_DESCRIPTION "A DJI drone writes a flight-record subtitle file (.SRT) beside every video,
one block per second with the home point, the GPS position, date and time and
the barometric height. Velloa reads such a log and writes a computed subtitle
file from an editable output pattern, adding speed, the distance from the home
point and the path flown so far, and a GPX 1.1 route of the positions.
.
This package holds the window program velloa and the command-line companion
velloa-cli, which converts logs without the window.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The overlay video's text is drawn with DejaVu Sans, which no library
# dependency brings.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
