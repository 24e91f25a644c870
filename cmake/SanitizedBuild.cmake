# The sanitized build (clang): the codec, the tools' readers of untrusted
# bytes and their tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzz targets.
include(${CMAKE_CURRENT_LIST_DIR}/HostSettings.cmake)
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link -g)
add_link_options(-fsanitize=address,undefined)
add_subdirectory(packing)
add_subdirectory(install)
add_subdirectory(tools)
add_subdirectory(tests/fuzz)
add_subdirectory(tests/sanitized)
