# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix-threads variant, which Qt's
# std::thread and std::mutex need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILVAR_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILVAR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILVAR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILVAR_MINGW}-windres)
set(CMAKE_AR ${QUILVAR_MINGW}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUILVAR_MINGW}-ranlib CACHE FILEPATH "")

# A copy of this file sits at the top of the cached Windows libraries, which come first, then the
# mingw system root; the host's programs (moc, rcc) stay reachable.
set(CMAKE_FIND_ROOT_PATH ${CMAKE_CURRENT_LIST_DIR} /usr/${QUILVAR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
