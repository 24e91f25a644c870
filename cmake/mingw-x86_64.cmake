# Cross build for 64-bit Windows with Debian's MinGW-w64: the Wine tests'
# build on a machine whose kernel runs no 32-bit programs, where Wine runs
# only 64-bit ones. The setup program shipped is always the 32-bit build's.
set(MINGW_TARGET x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
