# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 (win32 thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)
set(MURIVALE_ARCH x86 CACHE STRING "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
