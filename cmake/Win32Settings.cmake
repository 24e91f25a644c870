# Settings shared by every target of the Win32 build.
include(${CMAKE_CURRENT_LIST_DIR}/CommonSettings.cmake)

# Linked statically: the programs need no DLL beyond those of Windows itself
# (no libstdc++, libgcc or winpthread DLL beside them).
add_link_options(-static -static-libgcc -static-libstdc++)

# Every function in a section of its own, and the linker keeps
# only those that are used: the GUID library alone would otherwise bring
# thousands of GUIDs along. Debugging information stays out of the programs
# (the runtime's libraries carry some), and no link time is written into
# their headers, so that two builds of one commit are the same bytes.
add_compile_options(-ffunction-sections)
add_link_options(-Wl,--gc-sections -s -Wl,--no-insert-timestamp)

function(project_warnings target)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Werror>)
endfunction()

# What setup.exe links is built without exceptions or RTTI.
function(no_exceptions target)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()
