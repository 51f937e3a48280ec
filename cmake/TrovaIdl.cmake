# Type libraries from IDL with widl.
#
#   trova_add_typelib(<target> <file.idl>)
#
# Runs widl on <file.idl> into ${CMAKE_CURRENT_BINARY_DIR}/<name>.tlb, <name>.h and <name>_i.c
# (<name> = the idl's base name), compiles <name>_i.c into <target> and puts that folder on the
# target's include path, so C++ code includes "<name>.h" and the target's .rc file embeds the
# library as `1 TYPELIB "<name>.tlb"`. Call it after the target's sources (and its .rc) are known.
#
# widl ships without the system .idl files: they come from ${TROVA_DEPS_DIR}/idl (see
# scripts/setup.sh). importlib("stdole2.tlb") resolves against Wine's own stdole2.tlb.
# The build fails when widl reports a duplicate uuid: the type library it then writes carries a
# wrong library identifier.

if(CMAKE_SCRIPT_MODE_FILE)
    # Script mode: run widl (TROVA_WIDL_COMMAND, a |-separated list) and check what it reports.
    string(REPLACE "|" ";" widl_command "${TROVA_WIDL_COMMAND}")
    string(REPLACE "|" ";" widl_outputs "${TROVA_WIDL_OUTPUTS}")
    execute_process(COMMAND ${widl_command}
        RESULT_VARIABLE widl_result OUTPUT_VARIABLE widl_out ERROR_VARIABLE widl_err)
    if(widl_out OR widl_err)
        message("${widl_out}${widl_err}")
    endif()
    if(NOT widl_result EQUAL 0)
        message(FATAL_ERROR "widl failed (${widl_result})")
    endif()
    if("${widl_out}${widl_err}" MATCHES "duplicate uuid")
        file(REMOVE ${widl_outputs})
        message(FATAL_ERROR "widl reported a duplicate uuid; the type library would be corrupt")
    endif()
    return()
endif()

find_program(TROVA_WIDL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl REQUIRED)
find_path(TROVA_WIDL_STDOLE_DIR stdole2.tlb
    PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(TROVA_WIDL_TARGET --win64)
else()
    set(TROVA_WIDL_TARGET --win32)
endif()
set(TROVA_IDL_INCLUDE_DIR ${TROVA_DEPS_DIR}/idl)
set(TROVA_IDL_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(trova_add_typelib target idl)
    get_filename_component(idl_path ${idl} ABSOLUTE)
    get_filename_component(name ${idl} NAME_WE)
    set(out ${CMAKE_CURRENT_BINARY_DIR})
    set(tlb ${out}/${name}.tlb)
    set(header ${out}/${name}.h)
    set(iids ${out}/${name}_i.c)
    # One custom target owns the outputs, so several targets may use the same library.
    set(idl_target trova_idl_${name})
    if(NOT TARGET ${idl_target})
        set(command ${TROVA_WIDL} ${TROVA_WIDL_TARGET} -I${TROVA_IDL_INCLUDE_DIR} -L${TROVA_WIDL_STDOLE_DIR}
            -t -T ${tlb} -h -H ${header} -u -U ${iids} ${idl_path})
        string(REPLACE ";" "|" command_arg "${command}")
        set(outputs ${tlb} ${header} ${iids})
        string(REPLACE ";" "|" outputs_arg "${outputs}")
        add_custom_command(OUTPUT ${outputs}
            COMMAND ${CMAKE_COMMAND} "-DTROVA_WIDL_COMMAND=${command_arg}"
                    "-DTROVA_WIDL_OUTPUTS=${outputs_arg}" -P ${TROVA_IDL_SCRIPT}
            DEPENDS ${idl_path} ${TROVA_IDL_SCRIPT}
            COMMENT "widl ${name}.idl"
            VERBATIM)
        add_custom_target(${idl_target} DEPENDS ${outputs})
    endif()
    add_dependencies(${target} ${idl_target})
    set_source_files_properties(${iids} ${header} PROPERTIES GENERATED TRUE)
    target_sources(${target} PRIVATE ${iids})
    target_include_directories(${target} PRIVATE ${out})
    # The .rc files embed the .tlb: rebuild them when it changes.
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
        if(source MATCHES "\\.rc$")
            set_property(SOURCE ${source} APPEND PROPERTY OBJECT_DEPENDS ${tlb})
        endif()
    endforeach()
endfunction()
