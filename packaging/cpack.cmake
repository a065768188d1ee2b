# SPDX-License-Identifier: GPL-3.0-or-later
# How the player is packed, with `cpack` in the build folder. One generator per system:
# a Debian package on Linux (cpack -G DEB gives lyrabox_<version>_amd64.deb). Another
# system adds its own branch below, ahead of include(CPack).

set(CPACK_PACKAGE_NAME lyrabox)
set(CPACK_PACKAGE_VENDOR "The Lyrabox developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audio CD player that keeps a bookmark for each disc")
set(CPACK_PACKAGE_DESCRIPTION
    "Lyrabox is a small player for audio compact discs. It keeps one bookmark\n"
    "for every disc, taken when you stop and bookmark, and offers to play on\n"
    "from there the next time you press Play. Chosen as the program for\n"
    "inserted audio CDs, it resumes a disc that has a bookmark by itself and\n"
    "hands any other disc to the player of your choice. Media keys and the\n"
    "desktop's media controls work it too.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

set(LYRABOX_PACKAGE_MAINTAINER "The Lyrabox developers <lyrabox@users.noreply.github.com>"
    CACHE STRING "The package's maintainer: a name and a mail address")

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # lyrabox_<version>_<architecture>.deb
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LYRABOX_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the binaries link, worked out by dpkg-shlibdeps (package dpkg-dev).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # desktop-file-utils watches /usr/share/applications with a dpkg trigger and rebuilds
  # the desktop's table of which program opens what, so the entry for inserted audio CDs
  # works the moment the package is in; hicolor-icon-theme does the same for the icons.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "desktop-file-utils")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

  # What every Debian package carries in its documentation folder, the change log
  # compressed the way Debian wants it (gzip -9, no name or time stamp inside); the
  # version has no Debian revision, so the package is native and the log changelog.gz.
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  execute_process(COMMAND gzip -9n -c ${CMAKE_CURRENT_LIST_DIR}/debian/changelog
                  OUTPUT_FILE ${changelog} RESULT_VARIABLE gzip_result)
  if(NOT gzip_result EQUAL 0)
    message(FATAL_ERROR "gzip could not compress packaging/debian/changelog")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${changelog}
          DESTINATION ${doc_dir})
endif()

include(CPack)
