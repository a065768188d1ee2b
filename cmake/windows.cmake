# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build (cmake/mingw-w64-i686.cmake): the portable libraries unchanged, the
# device core without libcdio and SDL, the Windows host, the native window and
# lyrabox.exe, a GUI program that needs nothing beyond Windows itself. No Qt.
enable_language(RC)
# GCC 12's libstdc++ makes -Wrestrict warn about std::string's own copies when inlined
# at -O2 (GCC bug 105651), a false alarm in code that is not ours.
target_compile_options(lyrabox_build_flags INTERFACE -Wno-restrict)

# CTest runs the Windows programs under Wine: the 64-bit loader for a 64-bit build.
if(LYRABOX_TESTS AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    find_program(LYRABOX_WINE NAMES wine64 wine PATHS /usr/lib/wine)
  else()
    find_program(LYRABOX_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(LYRABOX_WINE NAMES wine)
  endif()
  if(LYRABOX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${LYRABOX_WINE})
  endif()
endif()
add_subdirectory(base)
add_subdirectory(platform)
add_subdirectory(bookmarks)
add_subdirectory(engine)
# The device core only: cdaudio/ leaves its Linux parts out on other systems.
add_subdirectory(cdaudio)
add_subdirectory(ui/windows)

# The program file's icon: the 32 x 32 picture in 16 colours, made from the one source.
# The installer shows it too.
set(LYRABOX_ICON ${CMAKE_BINARY_DIR}/lyrabox.ico)
find_program(LYRABOX_CONVERT convert REQUIRED)
add_custom_command(OUTPUT ${LYRABOX_ICON}
  COMMAND ${LYRABOX_CONVERT} ${PROJECT_SOURCE_DIR}/ui/lyrabox_icon.xpm -type Palette
          -colors 16 ico:${LYRABOX_ICON}
  DEPENDS ${PROJECT_SOURCE_DIR}/ui/lyrabox_icon.xpm VERBATIM)
configure_file(${PROJECT_SOURCE_DIR}/ui/windows/lyrabox.rc.in ${CMAKE_BINARY_DIR}/lyrabox.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/lyrabox.rc PROPERTIES OBJECT_DEPENDS ${LYRABOX_ICON})

add_executable(lyrabox WIN32 app/winmain.cpp ${CMAKE_BINARY_DIR}/lyrabox.rc)
target_link_libraries(lyrabox PRIVATE lyrabox_ui_windows lyrabox_platform_windows
                      lyrabox_cdaudio_core)
# The player holds this mutex while it runs: its second start ends at once, and the
# installer and the uninstaller wait for it to close.
set(LYRABOX_INSTANCE_MUTEX Lyrabox.SingleInstance)
target_compile_definitions(lyrabox PRIVATE LYRABOX_INSTANCE_MUTEX="${LYRABOX_INSTANCE_MUTEX}")
install(TARGETS lyrabox RUNTIME DESTINATION .)

add_subdirectory(packaging/windows)
if(LYRABOX_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()
