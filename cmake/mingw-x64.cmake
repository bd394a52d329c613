# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (win32 thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MURIVALE_ARCH x64 CACHE STRING "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
