# SPDX-License-Identifier: GPL-3.0-or-later
# What both MinGW-w64 toolchains share; LYRABOX_MINGW_TRIPLE names the target.
set(CMAKE_C_COMPILER ${LYRABOX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LYRABOX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LYRABOX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LYRABOX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Nothing beyond Windows itself at run time: the C and C++ runtimes and the thread
# library go into the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
