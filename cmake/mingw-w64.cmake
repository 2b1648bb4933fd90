# Cross build for 64-bit Windows with Debian's mingw-w64, in its win32 thread
# model: the C++ runtime then uses Windows' own threads and locks, and the DLL
# carries no pthreads library (whose imports include thread-context and
# process functions that antivirus tools score).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(RUCKVALE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RUCKVALE_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${RUCKVALE_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${RUCKVALE_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${RUCKVALE_MINGW_PREFIX}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${RUCKVALE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
