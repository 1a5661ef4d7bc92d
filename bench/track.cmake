# The GPS track: a synthetic log generator (also used for week-long and 1 GB logs) and the
# benchmark that reads and builds the track of a 200,000-fix log.
add_executable(make_nmea_log ${CMAKE_CURRENT_LIST_DIR}/make_nmea_log.cpp
                             ${CMAKE_CURRENT_LIST_DIR}/nmea_log_writer.cpp)
routelet_add_bench(bench_track ${CMAKE_CURRENT_LIST_DIR}/track_bench.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/nmea_log_writer.cpp)
# One handler-less expat pass over a file: the floor under GPX reading (bench/gpx_compare.sh).
if(expat_FOUND)
  add_executable(expat_pass ${CMAKE_CURRENT_LIST_DIR}/expat_pass.cpp)
  target_link_libraries(expat_pass PRIVATE expat::expat)
endif()
