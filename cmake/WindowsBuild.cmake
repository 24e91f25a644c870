# The Windows build: setup.exe, the products the tests and benchmarks make,
# and the tests that run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/Win32Settings.cmake)
enable_language(RC)
include(${CMAKE_CURRENT_LIST_DIR}/SetupProgram.cmake)
set(PRODUCT ${CMAKE_SOURCE_DIR}/resources/product.toml CACHE FILEPATH
    "The manifest of the product that setup.exe installs")
add_subdirectory(packing)
add_subdirectory(resources)
add_setup_program(setup ${PRODUCT})
set_target_properties(setup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wizard)
# What drives Win32 programs as a person would: the Wine tests' and the
# installer benchmark's.
add_library(win32_driver STATIC scripts/win32_driver.cpp)
target_include_directories(win32_driver PUBLIC ${CMAKE_SOURCE_DIR}/scripts)
target_link_libraries(win32_driver PUBLIC ole32 uuid shell32)
project_warnings(win32_driver)
add_subdirectory(bench)
# make run's walk through the wizard, step by step for its pictures.
add_executable(wizard_walk scripts/wizard_walk.cpp)
target_include_directories(wizard_walk PRIVATE ${CMAKE_SOURCE_DIR}/resources)
project_warnings(wizard_walk)
enable_testing()
add_subdirectory(tests/win32)
