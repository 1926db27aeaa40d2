# fc_add_resources(<target> <manifest>)
#
# Compiles the resources listed in <manifest> into <target>. Each manifest line reads
#
#     TYPE NAME FILE [gb2312]
#
# TYPE and NAME are a text name or a decimal id; FILE is relative to the manifest's folder.
# Files marked gb2312 are kept as UTF-8 in the repository and converted to GB2312 by the build.
# Blank lines and lines starting with '#' are ignored. The generated table registers itself with
# the platform when the library (or executable) is loaded, under that library's HINSTANCE.
function(fc_add_resources target manifest)
    get_filename_component(manifest_abs ${manifest} ABSOLUTE)
    get_filename_component(manifest_dir ${manifest_abs} DIRECTORY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest_abs})

    # The listed files are dependencies of the generated source, so an edit rebuilds it.
    set(deps ${manifest_abs})
    file(STRINGS ${manifest_abs} lines)
    foreach(line IN LISTS lines)
        string(STRIP "${line}" line)
        if(line STREQUAL "" OR line MATCHES "^#")
            continue()
        endif()
        string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
        list(LENGTH fields count)
        if(count LESS 3)
            message(FATAL_ERROR "${manifest_abs}: malformed line '${line}'")
        endif()
        list(GET fields 2 file)
        list(APPEND deps ${manifest_dir}/${file})
    endforeach()

    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
    add_custom_command(
        OUTPUT ${out}
        COMMAND rescomp ${manifest_abs} ${out}
        DEPENDS rescomp ${deps}
        COMMENT "Compiling resources of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${out})
    target_link_libraries(${target} PRIVATE platform)
endfunction()
