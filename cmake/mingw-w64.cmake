# Cross-build for 64-bit Windows with Debian's MinGW-w64 (posix threads
# flavour, package g++-mingw-w64-x86-64-posix).
#
# Every program and library is linked with -static: the C++ runtime
# (libstdc++), libgcc and winpthreads are copied into Skewmend.dll and into
# each program, so they import only KERNEL32.dll and msvcrt.dll, which every
# Windows installation carries. Pixel buffers still come from one heap on both
# sides of the library boundary: array new and delete of the static runtime
# are thin wrappers around malloc and free of msvcrt.dll.
#
# Programs built here run on this machine through Wine (scripts/wine-run),
# which CMake uses as the emulator for test discovery and CTest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LEVELORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LEVELORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LEVELORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LEVELORA_MINGW_TRIPLE}-windres)

# The converter's codecs, built static by scripts/windows-codecs, are found
# before anything the MinGW-w64 packages install.
if(NOT LEVELORA_WINDOWS_CODECS)
    get_filename_component(LEVELORA_WINDOWS_CODECS ${CMAKE_CURRENT_LIST_DIR}/../build/windows-codecs
                           ABSOLUTE)
endif()
set(CMAKE_FIND_ROOT_PATH ${LEVELORA_WINDOWS_CODECS} /usr/${LEVELORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
