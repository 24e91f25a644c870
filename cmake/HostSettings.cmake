# Settings shared by every target of the host build.
include(${CMAKE_CURRENT_LIST_DIR}/CommonSettings.cmake)

# Warnings are errors in our own code; third-party headers come in as
# system headers and are not held to them.
function(project_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
