# Settings shared by every target of the Win32 build.
include(${CMAKE_CURRENT_LIST_DIR}/CommonSettings.cmake)

# Linked statically: the programs need no DLL beyond those of Windows itself
# (no libstdc++, libgcc or winpthread DLL beside them).
add_link_options(-static -static-libgcc -static-libstdc++)

function(project_warnings target)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Werror>)
endfunction()

# What setup.exe links is built without exceptions or RTTI.
function(no_exceptions target)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()
