# The GPS track: a synthetic log generator (also used for week-long and 1 GB logs) and the
# benchmark that reads and builds the track of a 200,000-fix log.
add_executable(make_nmea_log ${CMAKE_CURRENT_LIST_DIR}/make_nmea_log.cpp
                             ${CMAKE_CURRENT_LIST_DIR}/nmea_log_writer.cpp)
routelet_add_bench(bench_track ${CMAKE_CURRENT_LIST_DIR}/track_bench.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/nmea_log_writer.cpp)
