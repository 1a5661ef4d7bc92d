# Read by cpack for each generator: the installer is routelet-VERSION-win64-setup.exe beside the
# portable routelet-VERSION-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
