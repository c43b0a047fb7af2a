# Cross-compiles lumen for 32-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-i686-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=scripts/mingw-i686.cmake -DLUMEN_TESTS=OFF
#   cmake --build build-win --target lumen
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
