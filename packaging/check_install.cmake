# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix and checks the desktop integration there:
# the desktop entries and the AppStream metadata pass the desktop's validators, the
# entry for inserted CDs starts the player with "/Play" and the menu entry does not,
# the icons are PNG pictures of their folder's size, the programs (the player the
# entries start and lyrabox-mci beside it) are installed, and so are the player's
# modules, where the player looks for them from its own folder.
#
# cmake -D BUILD_DIR=... -D PREFIX=... -D DATADIR=share -D BINDIR=bin -D PROGRAM=lyrabox,lyrabox-mci
#       -D MODULES=lyrabox-sound,... -D MODULE_FOLDER=../lib/x86_64-linux-gnu/lyrabox
#       -D ICON_SIZES=32x32,128x128 -D DESKTOP_FILE_VALIDATE=... -D APPSTREAMCLI=...
#       -P check_install.cmake

cmake_minimum_required(VERSION 3.25)

# The install script brings both validators: without one the check fails, never passes
# unseen.
if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
  message(FATAL_ERROR "desktop-file-validate or appstreamcli is missing "
                      "(Debian packages desktop-file-utils and appstream: scripts/install-deps.sh)")
endif()

set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(applications "${PREFIX}/${DATADIR}/applications")
set(menu_entry "${applications}/io.github.lyrabox.Lyrabox.desktop")
set(cd_entry "${applications}/io.github.lyrabox.Lyrabox.AutoPlay.desktop")
set(metainfo "${PREFIX}/${DATADIR}/metainfo/io.github.lyrabox.Lyrabox.metainfo.xml")

foreach(entry IN ITEMS "${menu_entry}" "${cd_entry}")
  if(NOT EXISTS "${entry}")
    fail("not installed: ${entry}")
    continue()
  endif()
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${entry}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    fail("desktop-file-validate ${entry}:\n${output}")
  endif()
endforeach()

# The desktop offers the CD entry for an inserted audio CD; only it may say "/Play",
# or the menu would start the player as if a disc had just been inserted.
if(EXISTS "${cd_entry}")
  file(STRINGS "${cd_entry}" lines)
  if(NOT "Exec=lyrabox /Play %u" IN_LIST lines)
    fail("the CD entry does not start the player with /Play")
  endif()
  if(NOT "MimeType=x-content/audio-cdda;" IN_LIST lines)
    fail("the CD entry does not declare x-content/audio-cdda")
  endif()
endif()
if(EXISTS "${menu_entry}")
  file(STRINGS "${menu_entry}" lines REGEX "^(Exec|MimeType)=")
  if(NOT lines STREQUAL "Exec=lyrabox")
    fail("the menu entry must start the player plainly and claim no content type: ${lines}")
  endif()
endif()

if(NOT EXISTS "${metainfo}")
  fail("not installed: ${metainfo}")
else()
  execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net --explain "${metainfo}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    fail("appstreamcli validate ${metainfo}:\n${output}")
  endif()
  execute_process(COMMAND "${APPSTREAMCLI}" validate-tree --no-net "${PREFIX}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    fail("appstreamcli validate-tree ${PREFIX}:\n${output}")
  endif()
endif()

# Each icon must be a PNG picture as wide and as high as its folder says.
string(REPLACE "," ";" sizes "${ICON_SIZES}")
foreach(size IN LISTS sizes)
  set(icon "${PREFIX}/${DATADIR}/icons/hicolor/${size}/apps/lyrabox.png")
  if(NOT EXISTS "${icon}")
    fail("not installed: ${icon}")
    continue()
  endif()
  file(READ "${icon}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  string(SUBSTRING "${head}" 32 8 width_hex)
  string(SUBSTRING "${head}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT "${width}x${height}" STREQUAL size)
    fail("${icon} is not a ${size} PNG picture (${width}x${height})")
  endif()
endforeach()

# The player the entries start and the device tool installed beside it, and the
# player's modules where it looks for them.
string(REPLACE "," ";" programs "${PROGRAM}")
string(REPLACE "," ";" modules "${MODULES}")
list(TRANSFORM programs PREPEND "${PREFIX}/${BINDIR}/")
list(TRANSFORM modules REPLACE "(.+)" "${PREFIX}/${BINDIR}/${MODULE_FOLDER}/\\1.so")
foreach(file IN LISTS programs modules)
  if(NOT EXISTS "${file}")
    fail("not installed: ${file}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message("Installed desktop entries, metadata and icons are valid (${PREFIX})")
