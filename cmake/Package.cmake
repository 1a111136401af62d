# The Debian package (scripts/package): everything that cmake --install puts
# under /usr, with the package dependencies that dpkg-shlibdeps finds for the
# programs and libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME solvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Solvane developers <solvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "RF frequency-response and mixer conversion-loss measurement")
set(CPACK_PACKAGE_DESCRIPTION "Solvane drives a signal generator, an optional LO generator and a receiving \
instrument over VISA, sweeps the RF and draws the measured levels. solvane-run measures without a window. \
A simulated bench (solvane --simulate) serves every instrument for training and tests.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The manual opens in the desktop's PDF viewer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
