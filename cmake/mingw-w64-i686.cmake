# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the player for 32-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-i686-posix: the posix thread model gives std::thread and std::mutex).
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LYRABOX_MINGW_TRIPLE i686-w64-mingw32 CACHE STRING "MinGW-w64 target triple")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
