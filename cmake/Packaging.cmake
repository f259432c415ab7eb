# Installation and the Debian package. The program carries its firmware image past the end of its ELF
# image, so nothing may rewrite the installed file: no build RPATH to change at install time (Qt comes from
# the system's library path), and never `cmake --install --strip`.
include(GNUInstallDirs)

set_target_properties(firmware-upgrade-utility PROPERTIES SKIP_BUILD_RPATH ON)
install(TARGETS firmware-upgrade-utility RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/firmware-upgrade-utility.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(EXISTS ${PROJECT_SOURCE_DIR}/res/icon/firmware-upgrade-utility.png)
  install(FILES res/icon/firmware-upgrade-utility.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
endif()
if(TARGET brindlepak)
  install(TARGETS brindlepak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT maker EXCLUDE_FROM_ALL)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME firmware-upgrade-utility)
set(CPACK_PACKAGE_VENDOR "Torvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Upgrades the firmware of the ZPR8800N router over the local network")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Firmware Upgrade Utility developers <devel@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6, libqt6network6, libqt6gui6, libqt6core6, iproute2")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES OFF)
include(CPack)
