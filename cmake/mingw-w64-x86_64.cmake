# Cross-building the Windows program on Debian: mingw-w64's 64-bit compilers with posix threads
# (std::thread and std::mutex need them), linked statically so that routelet.exe needs no DLL
# beside it, and wine to run what was built (tests through ctest, generators at build time).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ROUTELET_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ROUTELET_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ROUTELET_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ROUTELET_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ROUTELET_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ROUTELET_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ROUTELET_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLLs to ship: the C and C++ runtimes and winpthreads go into the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and build-time tools start Windows programs through wine. scripts/windows/wine.sh sets up
# the project's own prefix (under the build folder) first, so no run touches ~/.wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/wine.sh ${CMAKE_BINARY_DIR}/wineprefix)
