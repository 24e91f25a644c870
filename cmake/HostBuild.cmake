# The host build: the codec, the tools (the manifest check among them
# writes the header the engine's decisions are built with, those of the
# shipped product), the native tests and the benchmarks. Its CTest runs the
# sanitized build's tests and the Windows build's too.
include(${CMAKE_CURRENT_LIST_DIR}/HostSettings.cmake)
add_subdirectory(packing)
add_subdirectory(install)
add_subdirectory(tools)

set(WIN32_BUILD_DIR "" CACHE PATH "Build folder of the Win32 build, whose setup.exe this build's tests read")
set(WINE_TESTS_DIR "${WIN32_BUILD_DIR}" CACHE PATH "Build folder whose Wine tests this build's CTest runs too")
enable_testing()
add_subdirectory(tests)
add_subdirectory(bench)
if(WINE_TESTS_DIR)
    file(WRITE ${CMAKE_BINARY_DIR}/win32-tests.cmake "subdirs(\"${WINE_TESTS_DIR}\")\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/win32-tests.cmake)
endif()
