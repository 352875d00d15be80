# The mingw-w64 cross toolchain for MG_MINGW_ARCH (i686 or x86_64) with the
# compilers of thread model MG_MINGW_THREADS (posix or win32): the common
# part of the toolchain files cmake/mingw-<arch>.cmake (test builds) and
# cmake/mingw-<arch>-shipped.cmake (the shipped launchers).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MG_MINGW_ARCH})
set(CMAKE_C_COMPILER ${MG_MINGW_ARCH}-w64-mingw32-gcc-${MG_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MG_MINGW_ARCH}-w64-mingw32-g++-${MG_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${MG_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_STRIP ${MG_MINGW_ARCH}-w64-mingw32-strip)
set(CMAKE_FIND_ROOT_PATH /usr/${MG_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
