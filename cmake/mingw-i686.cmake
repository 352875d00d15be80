# Cross build of the 32-bit Windows launcher and its tests with mingw-w64:
# the test build.
# The -posix compilers, because GoogleTest needs std::mutex, which the
# win32-thread ones lack; the shipped launchers are built by those
# (cmake/mingw-*-shipped.cmake).
set(MG_MINGW_ARCH i686)
set(MG_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
