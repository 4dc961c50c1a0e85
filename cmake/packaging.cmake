# Installation and the Debian package.
#   cmake --install <build> [--prefix DIR]   the program, its desktop entry and its icon, the
#                                            command-line tool and its manual page
#   cmake --build <build> --target package   vornicspcomm_<version>_<arch>.deb in <build>
# The package's dependencies are worked out by dpkg-shlibdeps (package dpkg-dev) from the
# libraries the program links; the toolkit's platform plugins are loaded at run time, so
# that package is named here.
include(GNUInstallDirs)

install(TARGETS vornicspcomm vornicspcomm-zel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${SP_ZEL_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/vornicspcomm.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/vornicspcomm.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/vornicspcomm-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME vornicspcomm.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornicspcomm)
set(CPACK_PACKAGE_VENDOR "VornicSPComm")
set(CPACK_PACKAGE_CONTACT "VornicSPComm maintainers <vornicspcomm@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Serial port terminal and ZEL radio module configuration tool")
set(CPACK_PACKAGE_DESCRIPTION "A serial (COM) port workbench: a terminal that shows received bytes as \
text or hex and sends text, hex bytes, typed keys and 32 preset strings, and a page that reads and \
writes the settings of ZEL radio modules; vornicspcomm-zel reads and writes them from the command \
line, on one port or on every port at once.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vornicspcomm)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Chinese interface texts need a CJK font; without one they show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
