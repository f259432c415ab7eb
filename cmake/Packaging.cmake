# Installation and the Debian package (scripts/package builds it into build/package/).
#
# The program carries its firmware image past the end of its ELF image, so nothing may rewrite the installed
# file: no build RPATH to change at install time (Qt comes from the system's library path), no stripping
# (`cmake --install --strip`, CPACK_STRIP_FILES, dh_strip would all cut the image off). The package keeps a
# lintian override that says so.
include(GNUInstallDirs)

set(fwu_package firmware-upgrade-utility)
set(fwu_docdir ${CMAKE_INSTALL_DATADIR}/doc/${fwu_package})
set(FWU_PACKAGE_MAINTAINER "Torvane Firmware Upgrade Utility maintainers <firmware-utility@torvane.example>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")

set_target_properties(firmware-upgrade-utility PROPERTIES SKIP_BUILD_RPATH ON)
install(TARGETS firmware-upgrade-utility RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The probe helper, the one file that gets cap_net_raw at install (packaging/postinst); the program looks
# for it at exactly this path under the configured prefix (router/CMakeLists.txt), and itself carries no
# capability.
install(TARGETS fwu-probe-helper RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/${fwu_package})
# Unlike the program, the helper carries nothing past its ELF image: its installed copy is stripped.
install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/${fwu_package}/probe-helper\"
  RESULT_VARIABLE fwu_strip_result)
if(NOT fwu_strip_result EQUAL 0)
  message(FATAL_ERROR \"cannot strip the installed probe helper\")
endif()")
install(FILES packaging/firmware-upgrade-utility.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN ITEMS 16 32 48 64 128 256)
  install(FILES res/icon/hicolor/${size}x${size}/apps/firmware-upgrade-utility.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES packaging/copyright DESTINATION ${fwu_docdir})
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${fwu_package})
# The software centres' entry: the release is this project's version, dated as the changelog's latest
# entry (" -- maintainer  Tue, 08 Dec 2026 01:00:00 +0000").
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog fwu_signoff REGEX "^ -- " LIMIT_COUNT 1)
if(NOT fwu_signoff MATCHES ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no date in the latest entry's sign-off line")
endif()
set(fwu_day ${CMAKE_MATCH_1})
set(fwu_year ${CMAKE_MATCH_3})
set(fwu_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND fwu_months ${CMAKE_MATCH_2} fwu_month)
if(fwu_month LESS 0)
  message(FATAL_ERROR "packaging/changelog: unknown month in \"${fwu_signoff}\"")
endif()
math(EXPR fwu_month "${fwu_month} + 1" OUTPUT_FORMAT DECIMAL)
if(fwu_month LESS 10)
  set(fwu_month 0${fwu_month})
endif()
set(FWU_RELEASE_DATE ${fwu_year}-${fwu_month}-${fwu_day})
set(fwu_metainfo example.torvane.FirmwareUpgradeUtility.metainfo.xml)
configure_file(packaging/metainfo.xml.in ${CMAKE_BINARY_DIR}/package-files/${fwu_metainfo} @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package-files/${fwu_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

if(TARGET brindlepak)
  install(TARGETS brindlepak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT maker EXCLUDE_FROM_ALL)
endif()

# The manual page and the changelog go in compressed, reproducibly (cmake/GzipFile.cmake).
set(fwu_compressed)
foreach(pair IN ITEMS "docs/firmware-upgrade-utility.1|firmware-upgrade-utility.1.gz"
                      "packaging/changelog|changelog.gz")
  string(REPLACE "|" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package-files/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package-files
    COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/${source} -DOUT=${CMAKE_BINARY_DIR}/package-files/${target}
            -P ${PROJECT_SOURCE_DIR}/cmake/GzipFile.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/${source} ${PROJECT_SOURCE_DIR}/cmake/GzipFile.cmake
    COMMENT "Compressing ${source}"
    VERBATIM)
  list(APPEND fwu_compressed ${CMAKE_BINARY_DIR}/package-files/${target})
endforeach()
add_custom_target(fwu_package_files ALL DEPENDS ${fwu_compressed})
# Whatever builds the program (and then installs it) gets the files installed with it too.
add_dependencies(firmware-upgrade-utility fwu_package_files)
install(FILES ${CMAKE_BINARY_DIR}/package-files/firmware-upgrade-utility.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/package-files/changelog.gz DESTINATION ${fwu_docdir})

# Plugins that Qt loads at run time instead of linking them, so dpkg-shlibdeps cannot see them: the X11
# platform and the GIF reader of the face's pictures. The package that holds each is looked up where this
# build's Qt has it; one that also holds a library the program links is covered by dpkg-shlibdeps already
# (on Debian 12 both come with libqt6gui6), any other becomes a dependency of its own.
function(fwu_owner_package file out)
  set(${out} "" PARENT_SCOPE)
  find_program(DPKG_QUERY dpkg-query)
  if(NOT DPKG_QUERY OR NOT file)
    return()
  endif()
  file(REAL_PATH ${file} real)
  foreach(candidate IN ITEMS ${file} ${real})
    execute_process(COMMAND ${DPKG_QUERY} -S ${candidate} OUTPUT_VARIABLE owner ERROR_QUIET
                    RESULT_VARIABLE result OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(result EQUAL 0 AND owner MATCHES "^([a-z0-9][a-z0-9+.-]*)(:[a-z0-9-]+)?: ")
      set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(fwu_linked_packages)
foreach(library IN ITEMS Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network)
  get_target_property(location ${library} LOCATION)
  fwu_owner_package("${location}" owner)
  list(APPEND fwu_linked_packages ${owner})
endforeach()
set(fwu_plugin_depends)
foreach(plugin IN ITEMS platforms/libqxcb.so imageformats/libqgif.so)
  set(location ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/${plugin})
  fwu_owner_package("${location}" owner)
  if(NOT owner)
    message(WARNING "Packaging: no installed package holds ${location}; the package cannot depend on it")
  elseif(NOT owner IN_LIST fwu_linked_packages AND NOT owner IN_LIST fwu_plugin_depends)
    list(APPEND fwu_plugin_depends ${owner})
  endif()
endforeach()
list(JOIN fwu_plugin_depends ", " fwu_plugin_depends)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${fwu_package})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Torvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "upgrade the firmware of the ZPR8800N router over the local network")
# Read here rather than named as CPACK_PACKAGE_DESCRIPTION_FILE, which CPack would escape for XML (&apos;).
file(READ ${PROJECT_SOURCE_DIR}/packaging/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/description)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/package)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FWU_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap gives the probe helper its capability at install. iproute2 runs the ARP flush, which only root
# may do and which the upgrade does without; the narrow face stands in for the dialog fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
if(fwu_plugin_depends)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${fwu_plugin_depends}")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "iproute2, fonts-dejavu-extra")
# The package holds the files where the program was built to find them (scripts/package: prefix /usr).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(FWU_PROBE_HELPER_PATH ${CMAKE_INSTALL_FULL_LIBEXECDIR}/${fwu_package}/probe-helper)
configure_file(packaging/postinst ${CMAKE_BINARY_DIR}/package-files/postinst @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/package-files/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES OFF)
include(CPack)

# The package test: builds the package through scripts/package and checks what a Debian user gets.
if(FWU_BUILD_TESTS)
  add_test(NAME package_deb COMMAND ${PROJECT_SOURCE_DIR}/tests/package/check-deb ${PROJECT_VERSION})
  # It also builds the package the lab's installed-package test installs (tests/lab/cli).
  set_tests_properties(package_deb PROPERTIES LABELS package TIMEOUT 2400 FIXTURES_SETUP fwu_deb)
  # The icons it installs, like the window's pictures, show what the art generator draws.
  if(TARGET fwu-skin-art)
    add_test(NAME skin_art_reproducible COMMAND ${PROJECT_SOURCE_DIR}/tools/skin-art/check-art
                                                $<TARGET_FILE:fwu-skin-art>)
    set_tests_properties(skin_art_reproducible PROPERTIES LABELS unit TIMEOUT 120)
  endif()
endif()
