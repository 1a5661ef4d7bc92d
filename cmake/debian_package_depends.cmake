# Read by cpack for each kind of package it makes (CPACK_PROJECT_CONFIG_FILE). For the Debian
# package: its dependencies, as dpkg-shlibdeps (Debian package dpkg-dev) reads them off the
# libraries that the built program and module link.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(DPKG_SHLIBDEPS_EXECUTABLE dpkg-shlibdeps)
  if(NOT DPKG_SHLIBDEPS_EXECUTABLE)
    message(FATAL_ERROR "dpkg-shlibdeps is missing (Debian package dpkg-dev): the package's dependencies cannot be read")
  endif()
  file(STRINGS ${CPACK_ROUTELET_PROGRAMS_LIST} programs)
  # dpkg-shlibdeps runs in a source package's folder; an empty debian/control is all it reads.
  set(folder ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/shlibdeps)
  file(MAKE_DIRECTORY ${folder}/debian)
  file(TOUCH ${folder}/debian/control)
  execute_process(COMMAND ${DPKG_SHLIBDEPS_EXECUTABLE} -O ${programs}
    WORKING_DIRECTORY ${folder}
    RESULT_VARIABLE status OUTPUT_VARIABLE substvars ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT substvars MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps could not read the dependencies of ${programs}: ${errors}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
endif()
