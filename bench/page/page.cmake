# `cmake --build BUILD --target bench_page` measures how fast the shipped page opens a
# week-long track (600,000 fixes) and answers a click in headless Chromium (needs Python 3 and Debian's chromium).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  set(page_speed_args --program $<TARGET_FILE:routelet> --log-maker $<TARGET_FILE:make_nmea_log>)
  set(page_speed_depends routelet make_nmea_log)
  add_custom_target(bench_page
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/page_speed.py ${page_speed_args}
    DEPENDS ${page_speed_depends}
    USES_TERMINAL
    COMMENT "Opening a 600,000-fix page in headless Chromium")
endif()
