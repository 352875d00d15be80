# Cross build of the shipped launchers (mglauncher.exe, mglauncher-console.exe)
# in their 64-bit flavour, which the tests run where Wine runs only 64-bit
# programs.
# The win32-thread compilers link no winpthread, and ld.lld links the
# launchers (cmake/lld-link.sh); the launcher's code uses no std::mutex or
# std::thread (base/lock.h). GoogleTest does not build with these compilers,
# so this build has no tests: the test build (cmake/mingw-x86_64.cmake) runs its
# end-to-end tests against the launchers built here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_STRIP x86_64-w64-mingw32-strip)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(MG_SHIPPED_BUILD ON)
