# SPDX-License-Identifier: GPL-3.0-or-later
# The same build for 64-bit Windows. Only for running the tests under a Wine that
# cannot run 32-bit programs (a kernel without 32-bit support); the player we ship is
# the 32-bit one (mingw-w64-i686.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LYRABOX_MINGW_TRIPLE x86_64-w64-mingw32 CACHE STRING "MinGW-w64 target triple")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
