# SPDX-License-Identifier: GPL-3.0-or-later
# Rejects an include that runs against the layers:
#   app/main.cpp -> ui/ and names/ -> engine/ -> bookmarks/ -> platform/ (interface) -> base/
# with cdaudio/ (the portable device core) beside the platform interface, and the Linux
# parts, platform/linux/ (the host) and cdaudio/linux/ (libcdio drives, SDL sound), over them.
# The windows (ui/) and the names lookup (names/) stand side by side over the engine and
# see nothing of each other: the names reach the windows through the controller's view.
# Each folder may include its own headers and those of the folders below it; the
# logic (base/, platform/ but its host, bookmarks/, engine/) includes no Qt, libcdio,
# SDL or Windows header.
#
#   cmake -DSOURCE_DIR=<tree> -P scripts/check_layers.cmake
# Exits with an error, one line per forbidden include, when there is one.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

# Folder -> the folders its quoted includes may name. A folder listed later wins for
# files under it (platform/linux before platform).
set(layers app ui names engine bookmarks platform/windows platform/linux platform/audio_cd platform cdaudio/tool cdaudio/linux cdaudio base)
set(may_app       app ui names engine bookmarks platform cdaudio base)
set(may_ui        ui engine bookmarks platform base)
set(may_names     names engine bookmarks platform base)
set(may_engine    engine bookmarks platform base)
set(may_bookmarks bookmarks platform base)
set(may_platform/linux platform cdaudio base)
set(may_platform/windows platform cdaudio base)
set(may_platform/audio_cd platform cdaudio base)
set(may_platform  platform base)
set(may_cdaudio/tool cdaudio base)
set(may_cdaudio/linux cdaudio base)
set(may_cdaudio   cdaudio base)
set(may_base      base)
# The layers that stay free of any toolkit, device library or host header (the device
# core included, which the Windows build links as it is).
set(pure_layers engine bookmarks platform cdaudio base)
set(toolkit_include_regex "^<(Q[A-Za-z]*|Qt[A-Za-z]*/.*|cdio/.*|SDL.*|SDL2/.*|windows\\.h|Windows\\.h)>")

set(failures "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}"
       "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.h")
  foreach(file IN LISTS files)
    # A file belongs to the deepest layer folder that holds it.
    set(owner "")
    foreach(candidate IN LISTS layers)
      if(file MATCHES "^${candidate}/")
        string(LENGTH "${candidate}" length)
        string(LENGTH "${owner}" owner_length)
        if(length GREATER owner_length)
          set(owner "${candidate}")
        endif()
      endif()
    endforeach()
    if(NOT owner STREQUAL layer)
      continue()
    endif()
    set(pure FALSE)
    if(layer IN_LIST pure_layers)
      set(pure TRUE)
    endif()

    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(included "${CMAKE_MATCH_1}")
        set(allowed FALSE)
        if(NOT included MATCHES "/")
          set(allowed TRUE)  # a neighbour in the same folder
        endif()
        foreach(below IN LISTS may_${layer})
          if(included MATCHES "^${below}/")
            set(allowed TRUE)
          endif()
        endforeach()
        # The host is no part of the interface: only main and the host itself reach it.
        if(included MATCHES "^platform/linux/" AND NOT layer MATCHES "^(app|platform/linux)$")
          set(allowed FALSE)
        endif()
        if(included MATCHES "^platform/windows/" AND NOT layer MATCHES "^(app|platform/windows)$")
          set(allowed FALSE)
        endif()
        # Showing a disc as Windows does needs the device: only the hosts reach it.
        if(included MATCHES "^platform/audio_cd/" AND
           NOT layer MATCHES "^(platform/linux|platform/windows|platform/audio_cd)$")
          set(allowed FALSE)
        endif()
        # The device core builds on every platform: its Linux parts stay out of it.
        if(included MATCHES "^cdaudio/linux/" AND NOT layer MATCHES "^(app|cdaudio/tool|cdaudio/linux)$")
          set(allowed FALSE)
        endif()
        if(NOT allowed)
          string(REPLACE ";" ", " may "${may_${layer}}")
          list(APPEND failures "${file}: #include \"${included}\" reaches above or beside ${layer}/ (it may include: ${may})")
        endif()
      elseif(pure AND line MATCHES "#[ \t]*include[ \t]*(<[^>]+>)")
        set(included "${CMAKE_MATCH_1}")
        if(included MATCHES "${toolkit_include_regex}")
          list(APPEND failures "${file}: #include ${included}: ${layer}/ builds without Qt, libcdio, SDL and Windows headers")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(LENGTH failures count)
  string(REPLACE ";" "\n  " text "${failures}")
  message(FATAL_ERROR "Layer check: ${count} forbidden include(s):\n  ${text}")
endif()
message(STATUS "Layer check: every include runs downward")
