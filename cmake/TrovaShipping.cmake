# Shipped programs leave the build without their debug information: it goes to
# <build folder>/debug/<program>.debug, which the program names in its .gnu_debuglink section
# (gdb -s <file>, or a debug-file directory pointing there), so the installer packs only the
# stripped program.
set(TROVA_DEBUG_DIR ${CMAKE_BINARY_DIR}/debug)
file(MAKE_DIRECTORY ${TROVA_DEBUG_DIR})

function(trova_split_debug_info target)
    set(debug_file ${TROVA_DEBUG_DIR}/$<TARGET_FILE_NAME:${target}>.debug)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug_file}
        COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug_file} $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()
