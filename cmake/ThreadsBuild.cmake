# The threads build (clang): the extraction's pool of workers and the
# decoder it runs, with their test, under ThreadSanitizer.
include(${CMAKE_CURRENT_LIST_DIR}/HostSettings.cmake)
add_compile_options(-fsanitize=thread -g)
add_link_options(-fsanitize=thread)
add_subdirectory(packing)
add_subdirectory(install)
find_package(GTest REQUIRED)
add_executable(extraction_tests_tsan tests/extraction_tests.cpp)
target_include_directories(extraction_tests_tsan PRIVATE tests)
target_link_libraries(extraction_tests_tsan PRIVATE install_rules lzari_codec GTest::gtest_main)
project_warnings(extraction_tests_tsan)
