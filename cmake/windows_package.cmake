# The Windows packages, made by `cpack` in the cross-build folder (scripts/windows/package.sh):
#   routelet-VERSION-win64.zip        portable: routelet.exe, template.dat, templates\, the READMEs
#   routelet-VERSION-win64-setup.exe  NSIS installer into Program Files, with a Start-menu entry,
#                                     an uninstaller and "Open with" for .log, .nmea and .gpx files
# Both hold the same flat folder: the program finds template.dat beside itself. The files come
# from the install component `windows_package` alone, so that the POSIX layout of the other
# install rules (bin/, share/routelet/) stays out of them.
set(package_component windows_package)
if(NOT TARGET routelet)
  message(STATUS "routelet.exe is not built: no Windows packages")
  return()
endif()
install(TARGETS routelet RUNTIME DESTINATION . COMPONENT ${package_component})
install(FILES ${PROJECT_SOURCE_DIR}/template.dat DESTINATION . COMPONENT ${package_component})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/templates/ DESTINATION templates COMPONENT ${package_component}
        FILES_MATCHING PATTERN "*.dat" PATTERN "*.md")
# The READMEs with the version filled in and Windows' line ends, so that every Notepad shows
# them (the Japanese one starts with a byte order mark for the same reason).
foreach(language en ja)
  configure_file(${PROJECT_SOURCE_DIR}/data/windows/README-${language}.txt
                 ${PROJECT_BINARY_DIR}/package/README-${language}.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/package/README-${language}.txt DESTINATION . COMPONENT ${package_component})
endforeach()

set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};${package_component};/")
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Routelet)
set(CPACK_PACKAGE_VENDOR Routelet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn a GPS log into a web page with the photos taken along the track")
set(CPACK_PACKAGE_FILE_NAME routelet-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
# The NSIS lines below hold quotes: written to cpack's configuration as they are.
set(CPACK_VERBATIM_VARIABLES ON)
# The installer's name differs from the zip's: set when cpack runs its NSIS generator.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/windows_package_names.cmake)

# The installer. NSIS builds a 32-bit installer unless told otherwise, and a 32-bit installer
# does nothing at all under a 64-bit-only wine; a 64-bit one also writes the 64-bit registry
# and installs into the 64-bit Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Routelet)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Routelet)
set(CPACK_NSIS_PACKAGE_NAME Routelet)
set(CPACK_NSIS_DISPLAY_NAME Routelet)
set(CPACK_NSIS_INSTALLED_ICON_NAME routelet.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/src/driver/win32/routelet.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/src/driver/win32/routelet.ico)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The Start-menu entry (Start menu\Routelet\Routelet), for the program in the install folder.
set(CPACK_PACKAGE_EXECUTABLES routelet Routelet)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_MODIFY_PATH OFF)

# "Open with" for GPS logs, offered and never imposed: the program is listed among the programs
# for .log, .nmea and .gpx files (its ProgID under OpenWithProgids, and its SupportedTypes), while each
# type's default program (the default value of HKCR\.log, HKCR\.txt ...) stays untouched. Opening
# a log converts it and shows the page in the browser, as the Linux menu entry does.
set(progid Routelet.GpsLog)
set(classes "Software\\Classes")
set(command "$\\\"$INSTDIR\\routelet.exe$\\\" --open $\\\"%1$\\\"")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr SHCTX \"${classes}\\${progid}\" \"\" \"GPS log\"
  WriteRegStr SHCTX \"${classes}\\${progid}\\DefaultIcon\" \"\" \"$INSTDIR\\routelet.exe,0\"
  WriteRegStr SHCTX \"${classes}\\${progid}\\shell\\open\\command\" \"\" \"${command}\"
  WriteRegStr SHCTX \"${classes}\\Applications\\routelet.exe\" \"FriendlyAppName\" \"Routelet\"
  WriteRegStr SHCTX \"${classes}\\Applications\\routelet.exe\\shell\\open\\command\" \"\" \"${command}\"
  WriteRegStr SHCTX \"${classes}\\Applications\\routelet.exe\\SupportedTypes\" \".log\" \"\"
  WriteRegStr SHCTX \"${classes}\\Applications\\routelet.exe\\SupportedTypes\" \".nmea\" \"\"
  WriteRegStr SHCTX \"${classes}\\Applications\\routelet.exe\\SupportedTypes\" \".gpx\" \"\"
  WriteRegStr SHCTX \"${classes}\\.log\\OpenWithProgids\" \"${progid}\" \"\"
  WriteRegStr SHCTX \"${classes}\\.nmea\\OpenWithProgids\" \"${progid}\" \"\"
  WriteRegStr SHCTX \"${classes}\\.gpx\\OpenWithProgids\" \"${progid}\" \"\"
")
# Uninstalling takes back exactly those entries: the keys of .log, .nmea and .gpx only when nothing
# else is left in them, so that other programs' entries stay. The installer's own key
# (Software\Routelet\Routelet, which the uninstaller no longer needs by then: the Start-menu
# folder is read from the Uninstall key) goes here too, so that its empty parent goes with it.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey SHCTX \"${classes}\\${progid}\"
  DeleteRegKey SHCTX \"${classes}\\Applications\\routelet.exe\"
  DeleteRegValue SHCTX \"${classes}\\.log\\OpenWithProgids\" \"${progid}\"
  DeleteRegKey /ifempty SHCTX \"${classes}\\.log\\OpenWithProgids\"
  DeleteRegValue SHCTX \"${classes}\\.nmea\\OpenWithProgids\" \"${progid}\"
  DeleteRegKey /ifempty SHCTX \"${classes}\\.nmea\\OpenWithProgids\"
  DeleteRegKey /ifempty SHCTX \"${classes}\\.nmea\"
  DeleteRegValue SHCTX \"${classes}\\.gpx\\OpenWithProgids\" \"${progid}\"
  DeleteRegKey /ifempty SHCTX \"${classes}\\.gpx\\OpenWithProgids\"
  DeleteRegKey /ifempty SHCTX \"${classes}\\.gpx\"
  DeleteRegKey SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}\"
  DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"
")

include(CPack)
