# The Debian package: `cpack -G DEB` in the build folder makes routelet_VERSION_ARCH.deb from
# what `cmake --install` puts under /usr (the program, the template and other templates, the
# translations, the menu entry with its icon and the log file type, the man page, the copyright
# file, and the modules of the desktop front end, of the photo formats and of the tile fetcher under /usr/lib/routelet).
# Its dependencies are read off the program and the modules (GTK, libheif, libexiv2, libturbojpeg and libcurl come from
# the modules alone) by dpkg-shlibdeps (Debian package dpkg-dev).
set(CPACK_PACKAGE_NAME routelet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Routelet developers <routelet@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn a GPS log into a web page with the photos taken along the track")
set(CPACK_PACKAGE_DESCRIPTION
    "Routelet reads a GPS receiver's NMEA 0183 log and writes one web page beside it: the\n"
    "track's points with times, positions, altitudes, distances and speeds, the totals, and\n"
    "the JPEG photos of the log's folder taken during the track. The page's markup comes from\n"
    "an editable template. A small window shows the progress on a desktop.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# CPack's own reading of the dependencies is off: it would also add postinst and postrm scripts
# that run ldconfig, since the module is a shared object below /usr/lib. The module is the
# program's alone, loaded by its path, nothing for the loader's cache; the package needs no
# scripts at all. dpkg-shlibdeps reads the built program and module instead, when cpack starts
# (debian_package_depends.cmake), from the list of their paths written here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(package_programs $<TARGET_FILE:routelet>)
if(TARGET routelet_desktop_module)
  list(APPEND package_programs $<TARGET_FILE:routelet_desktop_module>)
endif()
foreach(module routelet_photo_formats routelet_tile_fetch)
  if(TARGET ${module})
    list(APPEND package_programs $<TARGET_FILE:${module}>)
  endif()
endforeach()
list(JOIN package_programs "\n" package_programs)
set(CPACK_ROUTELET_PROGRAMS_LIST ${PROJECT_BINARY_DIR}/package_programs.txt)
file(GENERATE OUTPUT ${CPACK_ROUTELET_PROGRAMS_LIST} CONTENT "${package_programs}\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/debian_package_depends.cmake)

# Debian keeps manual pages compressed (gzip -9n: no name or time inside, so the same bytes
# every build).
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(man_page ${PROJECT_BINARY_DIR}/routelet.1.gz)
add_custom_command(OUTPUT ${man_page}
  COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" ${GZIP_EXECUTABLE} ${PROJECT_SOURCE_DIR}/data/routelet.1 ${man_page}
  DEPENDS ${PROJECT_SOURCE_DIR}/data/routelet.1
  COMMENT "Compressing the man page"
  VERBATIM)
add_custom_target(man_page ALL DEPENDS ${man_page})
install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/templates/ DESTINATION ${CMAKE_INSTALL_DATADIR}/routelet/templates)
# The file type of the logs the menu entry is offered for (shared-mime-info's dpkg trigger
# brings it into the MIME database), and the copyright file in Debian's machine-readable format.
install(FILES ${PROJECT_SOURCE_DIR}/data/routelet.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/routelet)

include(CPack)
