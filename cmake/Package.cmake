# The Debian package: `cpack -G DEB` in the build folder (or `make package` from the top). The
# libraries come from dpkg-shlibdeps; what the program loads at run time without linking it is
# named here: Qt's platform plugins, Qt's German texts, the fonts of the windows, Qt's SQLite
# driver for the QA record and its PostgreSQL driver for the team record.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quantelo)
set(CPACK_PACKAGE_VENDOR "Example Software")
set(CPACK_PACKAGE_CONTACT "Example Software <info@example.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "SDNR of mammography test exposures after DIN 6868-14")
set(CPACK_PACKAGE_DESCRIPTION
  "Quantelo computes the signal-difference-to-noise ratio of a mammography test
exposure from mean grey value and standard deviation over the aluminium object
and over the background, rounded to hundredths, as DIN 6868-14 asks for the
quality assurance of screening systems. It measures the four values itself in
DICOM images, with exact statistics, in a window or with quantelo-sdnr.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.com/software/toolcoll.shtm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation, libqt6sql6-sqlite, libqt6sql6-psql")
# CPack writes a postinst and a postrm that run ldconfig whenever a shared object lies in or just
# below /usr/lib, as the gradient module does in /usr/lib/quantelo. The dynamic linker never
# searches that folder of the program's own, so there is nothing for ldconfig to do. Naming a
# postinst and a postrm of the package's own is the one way to keep CPack from writing them; the
# package has none, so cpack warns that the two files are missing and leaves them out.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/no-maintainer-scripts/postinst
  ${CMAKE_CURRENT_LIST_DIR}/no-maintainer-scripts/postrm)
# The same sources give the same package: cpack reads PackageTimestamps.cmake first.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageTimestamps.cmake)
set(CPACK_QUANTELO_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
