# The Windows build (cmake/toolchains/mingw-w64-x86_64.cmake): the libraries without Qt, their tests run
# under wine by ctest, and the console program carrying the firmware image. No Qt package is searched.
#
# Tools that run during the build (the image generator, fwu-embed) are Linux programs: they come from a
# native build of this tree, named by FWU_HOST_BUILD_DIR (scripts/windows makes one in build/host).

set(FWU_HOST_BUILD_DIR "" CACHE PATH "A native build of this tree holding fwu-make-image, fwu-embed, fwu-pack-icon and brindlepak")
set(FWU_HOST_EMBED ${FWU_HOST_BUILD_DIR}/tools/embed/fwu-embed)
set(FWU_HOST_MAKE_IMAGE ${FWU_HOST_BUILD_DIR}/tools/firmware-image/fwu-make-image)
set(FWU_HOST_PACK_ICON ${FWU_HOST_BUILD_DIR}/tools/icon-pack/fwu-pack-icon)
set(FWU_HOST_BRINDLEPAK ${FWU_HOST_BUILD_DIR}/tools/brindlepak/brindlepak)
if(NOT EXISTS ${FWU_HOST_EMBED} OR NOT EXISTS ${FWU_HOST_MAKE_IMAGE} OR NOT EXISTS ${FWU_HOST_PACK_ICON}
   OR NOT EXISTS ${FWU_HOST_BRINDLEPAK})
  message(FATAL_ERROR "FWU_HOST_BUILD_DIR must name a native build of this tree in which fwu-embed, "
                      "fwu-make-image, fwu-pack-icon and brindlepak are built (cmake --build build/host "
                      "--target fwu-embed fwu-make-image fwu-pack-icon brindlepak)")
endif()

include(cmake/FwuTargets.cmake)

# Each start of a program under wine costs seconds: a test program is one ctest test here, its cases
# run in one go (the Linux build registers every case on its own).
function(fwu_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS "unit;windows;${ARG_LABELS}" TIMEOUT 600)
endfunction()

# GoogleTest from Debian's sources, built with this toolchain (it names its targets GTest::...). Its own
# code is not held to -Werror.
if(FWU_BUILD_TESTS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(target IN ITEMS gtest gtest_main gmock gmock_main)
    target_compile_options(${target} PRIVATE -w)
  endforeach()
endif()

# The copyright line of the About box and of the program's version resource.
set(FWU_COPYRIGHT "Copyright (C) 2026 Torvane. All rights reserved.")

# The libraries that build without Qt, lowest layer first.
set(FWU_WINDOWS_LIBRARIES probehelper platform res package router transfer upgrade services cli wizard win)
foreach(folder IN LISTS FWU_WINDOWS_LIBRARIES)
  add_subdirectory(${folder})
endforeach()

# The synthetic firmware image, made by the native generator.
set(FWU_FIRMWARE_IMAGE ${CMAKE_BINARY_DIR}/firmware/ZPR8800N_2.00.22_ETSI_code.bin)
add_custom_command(OUTPUT ${FWU_FIRMWARE_IMAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/firmware
  COMMAND ${FWU_HOST_MAKE_IMAGE} ${FWU_FIRMWARE_IMAGE}
  DEPENDS ${FWU_HOST_MAKE_IMAGE}
  COMMENT "Generating the synthetic firmware image"
  VERBATIM)
add_custom_target(fwu_firmware_image DEPENDS ${FWU_FIRMWARE_IMAGE})

# fwu_embed_firmware for this build: the native fwu-embed appends the image after every link.
function(fwu_embed_firmware target image)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${FWU_HOST_EMBED} $<TARGET_FILE:${target}> ${image}
    COMMENT "Embedding firmware image into ${target}"
    VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${image})
  add_dependencies(${target} fwu_firmware_image)
endfunction()

# The distribution: firmware-upgrade-utility-<version>-windows-x64.zip beside the program, holding the
# program packed by brindlepak with the image and texts named here (another image is packed by naming it
# in FWU_DIST_IMAGE and its texts) and a README for Notepad (CR LF line ends). Debian's zip writes it,
# with fixed entry times, so that the same sources give the same bytes.
find_program(FWU_ZIP zip REQUIRED)
set(FWU_DIST_IMAGE ${FWU_FIRMWARE_IMAGE} CACHE FILEPATH "The firmware image the distributed program carries")
set(FWU_DIST_MODEL "ZPR8800N" CACHE STRING "The router model the distributed program names")
set(FWU_DIST_RELEASE_DATE "NOV 27,2006" CACHE STRING "The release date the distributed program names")
get_filename_component(FWU_DIST_FILE_NAME ${FWU_DIST_IMAGE} NAME)
# The entries' time: SOURCE_DATE_EPOCH when given, else the last commit's time, else a fixed day.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(FWU_DIST_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct OUTPUT_VARIABLE FWU_DIST_EPOCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_status)
  if(NOT git_status EQUAL 0 OR NOT FWU_DIST_EPOCH MATCHES "^[0-9]+$")
    set(FWU_DIST_EPOCH 1767225600)  # 2026-01-01 00:00 UTC
  endif()
endif()
set(FWU_DIST_DIR ${CMAKE_BINARY_DIR}/distribution)
set(FWU_DIST_PROGRAM ${FWU_DIST_DIR}/firmware-upgrade-utility.exe)
set(FWU_DIST_README ${FWU_DIST_DIR}/README.txt)
set(FWU_DIST_ZIP ${CMAKE_BINARY_DIR}/firmware-upgrade-utility-${PROJECT_VERSION}-windows-x64.zip)

if(FWU_BUILD_TESTS)
  enable_testing()
  fwu_include_root(${FWU_TESTS_INCLUDE_ROOT} tests)
  include_directories(${FWU_TESTS_INCLUDE_ROOT})  # the test helpers, "tests/unit/router/..."
  add_subdirectory(tests/unit/windows)
endif()

# Symbols are stripped at the link, before the image is appended (a later strip would cut the image off).
# No link time in the program's header: the same sources give the same program, and so the same zip.
add_link_options($<$<CONFIG:Release,MinSizeRel>:-s> -Wl,--no-insert-timestamp)

# The program: a console program, so cmd.exe and PowerShell wait for it and see its exit status.
# Its resources (windres): the manifest, the icon, the version from project(VERSION) and the face's
# pictures, res/skin/<TYPE>/<id>.gif as resource <id> of type "<TYPE>" and <id>@2x.gif as <id> + 1000.
enable_language(RC)
file(GLOB FWU_SKIN_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/skin/*/*.gif)
set(FWU_SKIN_RESOURCES "")
foreach(picture IN LISTS FWU_SKIN_PICTURES)
  get_filename_component(name ${picture} NAME_WE)
  get_filename_component(type_folder ${picture} DIRECTORY)
  get_filename_component(type ${type_folder} NAME)
  if(name MATCHES "^([0-9]+)@2x$")
    math(EXPR id "${CMAKE_MATCH_1} + 1000")
  elseif(name MATCHES "^[0-9]+$")
    set(id ${name})
  else()
    message(FATAL_ERROR "res/skin holds a picture that is not named by its id: ${picture}")
  endif()
  # windres takes a type name as a bare word and stores it in capitals; BUTTON in capitals is one of its
  # keywords, so the word is written in small letters.
  string(TOLOWER ${type} type_word)
  string(APPEND FWU_SKIN_RESOURCES "${id} ${type_word} \"${picture}\"\n")
endforeach()
string(REPLACE "." "," FWU_RC_VERSION_COMMAS ${PROJECT_VERSION})
set(FWU_RC_VERSION_DOTS ${PROJECT_VERSION})
set(FWU_MANIFEST ${CMAKE_BINARY_DIR}/windows/firmware-upgrade-utility.manifest)
# The icon from the pictures the Linux package installs, made by the native fwu-pack-icon.
set(FWU_ICON ${CMAKE_BINARY_DIR}/windows/firmware-upgrade-utility.ico)
set(FWU_ICON_PICTURES "")
foreach(side IN ITEMS 16 32 48 256)
  list(APPEND FWU_ICON_PICTURES ${PROJECT_SOURCE_DIR}/res/icon/hicolor/${side}x${side}/apps/firmware-upgrade-utility.png)
endforeach()
add_custom_command(OUTPUT ${FWU_ICON}
  COMMAND ${FWU_HOST_PACK_ICON} ${FWU_ICON} ${FWU_ICON_PICTURES}
  DEPENDS ${FWU_HOST_PACK_ICON} ${FWU_ICON_PICTURES}
  COMMENT "Making the program's icon"
  VERBATIM)
configure_file(windows/firmware-upgrade-utility.manifest.in ${FWU_MANIFEST} @ONLY)
configure_file(windows/Program.rc.in ${CMAKE_BINARY_DIR}/windows/Program.rc @ONLY)
set_property(SOURCE ${CMAKE_BINARY_DIR}/windows/Program.rc APPEND PROPERTY OBJECT_DEPENDS
             ${FWU_MANIFEST} ${FWU_ICON} ${FWU_SKIN_PICTURES})

add_executable(firmware-upgrade-utility windows/main.cpp ${CMAKE_BINARY_DIR}/windows/Program.rc)
target_link_libraries(firmware-upgrade-utility PRIVATE fwu_win fwu_cli fwu_res fwu_platform)
# The version block is read through its address alone: named at the link, its object is always taken
# from the archive, so the packing tool and --image-info find it whatever the program calls.
target_link_options(firmware-upgrade-utility PRIVATE -Wl,--undefined=fwu_version_block)
fwu_embed_firmware(firmware-upgrade-utility ${FWU_FIRMWARE_IMAGE})

# The distribution (its commands at the end): the program packed and zipped with its README.
configure_file(windows/README.txt.in ${FWU_DIST_README} @ONLY NEWLINE_STYLE CRLF)
add_custom_command(OUTPUT ${FWU_DIST_PROGRAM}
  COMMAND ${FWU_HOST_BRINDLEPAK} --model ${FWU_DIST_MODEL} --release-date ${FWU_DIST_RELEASE_DATE}
          $<TARGET_FILE:firmware-upgrade-utility> ${FWU_DIST_IMAGE} ${FWU_DIST_PROGRAM}
  DEPENDS firmware-upgrade-utility ${FWU_DIST_IMAGE} ${FWU_HOST_BRINDLEPAK}
  COMMENT "Packing the distributed program"
  VERBATIM)
add_custom_command(OUTPUT ${FWU_DIST_ZIP}
  COMMAND ${PROJECT_SOURCE_DIR}/windows/make-zip.sh ${FWU_ZIP} ${FWU_DIST_PROGRAM} ${FWU_DIST_README}
          ${FWU_DIST_ZIP} ${FWU_DIST_EPOCH}
  DEPENDS ${FWU_DIST_PROGRAM} ${FWU_DIST_README} ${PROJECT_SOURCE_DIR}/windows/make-zip.sh
  COMMENT "Writing ${FWU_DIST_ZIP}"
  VERBATIM)
add_custom_target(fwu_windows_zip ALL DEPENDS ${FWU_DIST_ZIP})
