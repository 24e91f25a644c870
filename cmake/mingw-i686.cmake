# Cross build for 32-bit Windows with Debian's MinGW-w64 (or 64-bit, for
# cmake/mingw-x86_64.cmake).
if(NOT MINGW_TARGET)
    set(MINGW_TARGET i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_TARGET})
# The POSIX thread model: GoogleTest needs std::mutex, which the Win32
# model's runtime lacks. Everything is linked statically, so no program
# needs the winpthread DLL (a test reads setup.exe's imports).
set(CMAKE_C_COMPILER ${MINGW_TARGET}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TARGET}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TARGET}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TARGET}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Win32 programs run under Wine, in the build's own prefix (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
