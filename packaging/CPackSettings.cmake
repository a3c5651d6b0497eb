# The Debian package: "cpack -G DEB" in the build directory makes qv7cfg_<version>-1_<arch>.deb.
# Its library dependencies come from dpkg-shlibdeps (dpkg-dev); the packages below are what the
# programs need without linking them: Qt's platform plugins to open a window at all, and the DejaVu
# faces the windows draw with (the condensed one lives in fonts-dejavu-extra).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qv7cfg)
set(CPACK_PACKAGE_VENDOR "qv7cfg developers")
set(CPACK_PACKAGE_CONTACT "qv7cfg developers <qv7cfg@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs and standard buttons speak French through qt6-translations-l10n.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core, fonts-dejavu-extra")
# Debian wraps the long description at 80 columns.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "configure QV7 digital panel indicators over USB
qv7cfg finds a QV7 panel indicator on the USB port, reads its whole
parameter set over Modbus RTU and shows it on tabbed pages: input type
and range, display scale, alarms, analogue output and the RS485 port.
Parameters can be written back, saved to files and loaded again; a
linearisation editor draws and transfers the indicator's curve.

qv7ctl reads, writes, verifies and compares the parameters from scripts
and production lines. The udev rule gives the user at the seat access to
the indicator.")
include(CPack)
