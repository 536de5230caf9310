# pellmark_enospc_shim: the full-disk shim, a library a test preloads into the program it runs
# (LD_PRELOAD, with PELLMARK_ENOSPC_BYTES the bytes that still fit), or into itself.
# pellmark_use_enospc_shim(test_target) builds it first and tells the test where it is, through
# PELLMARK_ENOSPC_SHIM_PATH (compiled in) and the PELLMARK_ENOSPC_SHIM environment variable.
add_library(pellmark_enospc_shim MODULE ${CMAKE_CURRENT_LIST_DIR}/enospc_shim.c)
target_link_libraries(pellmark_enospc_shim PRIVATE ${CMAKE_DL_LIBS})
# Plain C without the sanitizers, so that it preloads into any build of the programs.
set_target_properties(pellmark_enospc_shim PROPERTIES COMPILE_OPTIONS "-Wall;-Wextra"
    LINK_OPTIONS "")

function(pellmark_use_enospc_shim test_target)
    target_compile_definitions(${test_target} PRIVATE
        PELLMARK_ENOSPC_SHIM_PATH="$<TARGET_FILE:pellmark_enospc_shim>")
    add_dependencies(${test_target} pellmark_enospc_shim)
    set_property(TEST ${test_target} APPEND PROPERTY ENVIRONMENT
        "PELLMARK_ENOSPC_SHIM=$<TARGET_FILE:pellmark_enospc_shim>")
endfunction()
