# Cross-compiling the product DLL for 32-bit Windows with Debian's MinGW-w64.
# The win32 thread model keeps the runtime free of libwinpthread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELTRA_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
