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

# The man pages, English and Japanese, made from the program's --help (help2man) with what --help
# does not tell (data/routelet.h2m, data/routelet.ja.h2m), so that they never fall behind it.
# Debian keeps manual pages compressed (gzip -9n: no name or time inside).
find_program(HELP2MAN_EXECUTABLE help2man REQUIRED)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
# The pages' date: SOURCE_DATE_EPOCH when the builder sets one, else the time of the commit built,
# so that two builds of one commit make the same pages (help2man reads the variable).
set(man_date $ENV{SOURCE_DATE_EPOCH})
if(NOT man_date)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE man_date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
endif()
set(man_date_env)
if(man_date MATCHES "^[0-9]+$")
  set(man_date_env SOURCE_DATE_EPOCH=${man_date})
endif()
set(man_pages)
foreach(language en ja)
  set(suffix)
  set(locale en_US.UTF-8)
  set(folder man1)
  set(drop_usage_line)
  if(language STREQUAL "ja")
    set(suffix .ja)
    set(locale ja_JP.UTF-8)
    set(folder ja/man1)
    # help2man takes the English "Usage:" line out of the description, which the synopsis says;
    # the Japanese one it does not know, and the page said it twice.
    set(drop_usage_line COMMAND sed -i "/^使い方: routelet /d" ${PROJECT_BINARY_DIR}/man/${folder}/routelet.1)
  endif()
  set(include ${PROJECT_SOURCE_DIR}/data/routelet${suffix}.h2m)
  set(page ${PROJECT_BINARY_DIR}/man/${folder}/routelet.1)
  add_custom_command(OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man/${folder}
    COMMAND ${CMAKE_COMMAND} -E env ${man_date_env} ${HELP2MAN_EXECUTABLE} --no-info --no-discard-stderr --locale=${locale} --include=${include}
            --output=${page} $<TARGET_FILE:routelet>
    ${drop_usage_line}
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$1.gz\"" ${GZIP_EXECUTABLE} ${page}
    DEPENDS routelet ${include} ${PROJECT_SOURCE_DIR}/po/ja.po
    COMMENT "The man page (${language})"
    VERBATIM)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${folder})
  list(APPEND man_pages ${page}.gz)
endforeach()
add_custom_target(man_page ALL DEPENDS ${man_pages})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/templates/ DESTINATION ${CMAKE_INSTALL_DATADIR}/routelet/templates)
# The file type of the logs the menu entry is offered for (shared-mime-info's dpkg trigger
# brings it into the MIME database), and the copyright file in Debian's machine-readable format.
install(FILES ${PROJECT_SOURCE_DIR}/data/routelet.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/routelet)

include(CPack)
