# Cross build of the shipped launchers (mglauncher.exe, mglauncher-console.exe)
# for 32-bit Windows, the files users get.
# The win32-thread compilers link no winpthread, and ld.lld links the
# launchers (cmake/lld-link.sh); the launcher's code uses no std::mutex or
# std::thread (base/lock.h). GoogleTest does not build with these compilers,
# so this build has no tests: the test build (cmake/mingw-i686.cmake) runs its
# end-to-end tests against the launchers built here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_STRIP i686-w64-mingw32-strip)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(MG_SHIPPED_BUILD ON)
