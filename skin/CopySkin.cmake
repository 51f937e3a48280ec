# The default skin "general" ships as dist/skin/general/, and the previews carry a copy. The
# files are made by make_skin.py and committed; the build only copies them (again whenever one
# changes).
file(GLOB TROVA_SKIN_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/skin/general/*)

# Copies the skin into <folder>/skin/general/ as part of target.
function(trova_copy_skin target folder)
    set(outputs)
    foreach(file ${TROVA_SKIN_FILES})
        get_filename_component(name ${file} NAME)
        set(output ${folder}/skin/general/${name})
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${output}
            DEPENDS ${file} VERBATIM)
        list(APPEND outputs ${output})
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
