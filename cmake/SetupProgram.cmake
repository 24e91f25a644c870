# Setup programs for products: each product's manifest is checked and turned
# into its configuration header and payload list when the build is
# configured (by the host build's product_tool), its payloads are packed by
# the host build's lzari, and the program is compiled with that header.

set(LZARI_TOOL "" CACHE FILEPATH "The host build's lzari, which packs the payloads")
if(NOT LZARI_TOOL)
    message(FATAL_ERROR "LZARI_TOOL must name the host build's lzari (make builds the host build first)")
endif()
get_filename_component(HOST_TOOLS ${LZARI_TOOL} DIRECTORY)

# The engine, compiled for each product with its header (an object library
# each), and the wizard.
set(ENGINE_SOURCES)
foreach(name install_config folder_rules shortcut_paths survey_text payload_checks payload_verdict fatal_format
             platform_calls fatal_error install_report resource_loader extraction_plan extraction install_folder
             file_writer shortcuts survey system_libraries wide_text)
    list(APPEND ENGINE_SOURCES ${CMAKE_SOURCE_DIR}/install/${name}.cpp)
endforeach()
set(WIZARD_SOURCES ${CMAKE_SOURCE_DIR}/wizard/setup_main.cpp ${CMAKE_SOURCE_DIR}/wizard/setup_dialog.cpp
    ${CMAKE_SOURCE_DIR}/wizard/folder_browser.cpp ${CMAKE_SOURCE_DIR}/wizard/information_text.cpp)

# payload(RESOURCE SOURCE TIME FILE), as the product's payload list calls it:
# packs SOURCE as RESOURCE's version-1 container (TIME empty: the file's
# own time; _pack_arguments, set by the list: how it is packed) and adds it
# to the product's resources.
macro(payload name source time file)
    set(_packed ${_product_dir}/packed/${name}.lz)
    if("${time}" STREQUAL "")
        set(_time_arguments "")
    else()
        set(_time_arguments --time "${time}")
    endif()
    add_custom_command(OUTPUT ${_packed}
        COMMAND ${LZARI_TOOL} pack --v1 ${_pack_arguments} ${_time_arguments} ${source} ${_packed}
        DEPENDS ${source} ${LZARI_TOOL}
        COMMENT "Packing ${name}" VERBATIM)
    # Quoted: a name is a string to the resource compiler, whatever it holds
    # (a space, a comma, a leading digit, a macro's name). Each entry opens
    # with its language, or the compiler would join the name to the string
    # before it.
    string(APPEND _rc_lines "LANGUAGE 9, 1\n\"${name}\" RCDATA \"${_packed}\"\n")
    list(APPEND _packed_files ${_packed})
    # The check record carries the file's own name (the resource compiler
    # turns the resource's to upper case), which lzari extract writes.
    list(APPEND _check_arguments ${file} ${source})
endmacro()

# product_files(NAME MANIFEST): the product's header and packed payloads
# under products/NAME, made by the custom target NAME_payloads. Sets
# NAME_PRODUCT_DIR, NAME_RESOURCE_FILES (the packed files, check values,
# logo and icon) and
# NAME_CHECK_ARGUMENTS (resource names and sources) for the caller.
function(product_files name manifest)
    set(_product_dir ${CMAKE_BINARY_DIR}/products/${name})
    file(MAKE_DIRECTORY ${_product_dir}/packed)
    execute_process(COMMAND ${HOST_TOOLS}/product_tool ${manifest} ${_product_dir} ${CMAKE_BINARY_DIR}
                    RESULT_VARIABLE failed ERROR_VARIABLE reason)
    if(failed)
        string(STRIP "${reason}" reason)
        message(FATAL_ERROR "${reason}")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest})

    set(_rc_lines "")
    set(_packed_files "")
    set(_check_arguments "")
    include(${_product_dir}/product_payloads.cmake)

    # The check values: every payload's CRC-32, from the files themselves.
    set(checks ${_product_dir}/packed/payload-checks.bin)
    add_custom_command(OUTPUT ${checks}
        COMMAND ${HOST_TOOLS}/payload_checks ${checks} ${_check_arguments}
        DEPENDS ${_packed_files} ${HOST_TOOLS}/payload_checks
        COMMENT "Writing the payloads' check values" VERBATIM)
    # (A test program that carries more containers brings its own.)
    string(APPEND _rc_lines "#ifndef OWN_PAYLOAD_CHECKS\nPAYLOADCRC RCDATA \"${checks}\"\n#endif\n")
    file(GENERATE OUTPUT ${_product_dir}/payloads.rc CONTENT "${_rc_lines}")
    add_custom_target(${name}_payloads DEPENDS ${_packed_files} ${checks})

    set(${name}_PRODUCT_DIR ${_product_dir} PARENT_SCOPE)
    set(${name}_RESOURCE_FILES ${_packed_files} ${checks} ${_product_art} PARENT_SCOPE)
    set(${name}_CHECK_ARGUMENTS ${_check_arguments} PARENT_SCOPE)
endfunction()

# add_setup_program(TARGET MANIFEST [ONE_WORKER]): the setup program of that
# product; ONE_WORKER, for a benchmark, holds its extraction to one worker,
# as the pass ran before it had a pool.
function(add_setup_program target manifest)
    product_files(${target} ${manifest})
    set(dir ${${target}_PRODUCT_DIR})
    # One resource script per program, so that each depends on its own
    # payloads.
    file(WRITE ${dir}/program.rc "#include \"setup.rc\"\n")
    add_library(${target}_engine OBJECT ${ENGINE_SOURCES})
    target_include_directories(${target}_engine PUBLIC ${dir} ${CMAKE_SOURCE_DIR}/install ${CMAKE_SOURCE_DIR}/wizard
                               ${CMAKE_SOURCE_DIR}/resources)
    # ole32, shell32 and comctl32 are loaded when needed, not imported.
    target_link_libraries(${target}_engine PUBLIC lzari_decoder uuid user32 gdi32)
    no_exceptions(${target}_engine)
    project_warnings(${target}_engine)
    if("ONE_WORKER" IN_LIST ARGN)
        target_compile_definitions(${target}_engine PRIVATE SETUP_ONE_WORKER)
    endif()
    add_executable(${target} WIN32 ${WIZARD_SOURCES} ${dir}/program.rc)
    target_link_libraries(${target} PRIVATE ${target}_engine)
    # Sections aligned to pages in the file too, so that a loader can map
    # the program, packed payloads and all, straight from the file. Wine
    # copies a program whose sections are not into private memory, where
    # the containers would then count against the process (a few KiB of
    # padding in the file against their whole size in memory).
    target_link_options(${target} PRIVATE -Wl,--file-alignment=4096)
    # Every decoded payload is held at once: a 32-bit program marked large-
    # address-aware gets 4 GB of address space on 64-bit Windows, not 2.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_link_options(${target} PRIVATE -Wl,--large-address-aware)
    endif()
    set_source_files_properties(${dir}/program.rc PROPERTIES OBJECT_DEPENDS
        "${${target}_RESOURCE_FILES};${SETUP_RESOURCE_DEPENDS};${dir}/product_config.h")
    add_dependencies(${target} ${target}_payloads)
    no_exceptions(${target})
    project_warnings(${target})
    set(${target}_PRODUCT_DIR ${dir} PARENT_SCOPE)
    set(${target}_RESOURCE_FILES ${${target}_RESOURCE_FILES} PARENT_SCOPE)
    set(${target}_CHECK_ARGUMENTS ${${target}_CHECK_ARGUMENTS} PARENT_SCOPE)
endfunction()
