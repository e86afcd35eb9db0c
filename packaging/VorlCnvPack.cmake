# vorl_add_pack(<name> DATA <file> [HEADER <file>]
#               (PROJECT <file> | LIST <file> OPTIONS <vorlcnv options>...))
#
# Packs with vorlcnv at build time and gives an INTERFACE target <name>:
#   target_link_libraries(game PRIVATE <name>)
# puts the header's folder on game's include path and packs before game
# compiles. The pack is made again when any file it read changes (a
# dependency file written by vorlcnv), and left alone when its bytes would
# not change, so sources including an unchanged header are not recompiled.
# Relative input names are against the current source folder, outputs
# against the current binary folder.
function(vorl_add_pack name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "DATA;HEADER;PROJECT;LIST" "OPTIONS")
    if(NOT arg_DATA OR (NOT arg_PROJECT AND NOT arg_LIST) OR (arg_PROJECT AND arg_LIST))
        message(FATAL_ERROR "vorl_add_pack(${name}): DATA and one of PROJECT or LIST are needed")
    endif()
    if(NOT VORLCNV_EXECUTABLE)
        find_program(VORLCNV_EXECUTABLE vorlcnv HINTS "${VorlCnv_PROGRAM_DIR}" NO_CACHE)
        if(NOT VORLCNV_EXECUTABLE)
            message(FATAL_ERROR "vorl_add_pack(${name}): vorlcnv not found (install the command-line tools)")
        endif()
    endif()
    get_filename_component(data "${arg_DATA}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    set(outputs "${data}")
    set(header_option "")
    set(include_folder "")
    if(arg_HEADER)
        get_filename_component(header "${arg_HEADER}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
        get_filename_component(include_folder "${header}" DIRECTORY)
        # The header first: the Makefile generators touch every output but
        # the first after the command, and a touched header would recompile
        # every source that includes it.
        list(PREPEND outputs "${header}")
    endif()
    set(depfile "${CMAKE_CURRENT_BINARY_DIR}/${name}.pack.d")
    if(arg_PROJECT)
        get_filename_component(source "${arg_PROJECT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        set(command "${VORLCNV_EXECUTABLE}" -q --depfile "${depfile}" --project "${source}" --data "${data}")
        if(arg_HEADER)
            list(APPEND command --header "${header}")
        endif()
    else()
        get_filename_component(source "${arg_LIST}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        set(command "${VORLCNV_EXECUTABLE}" -q --depfile "${depfile}" ${arg_OPTIONS} "-f${source}" "-o${data}")
        if(arg_HEADER)
            list(APPEND command "-h${header}")
        endif()
    endif()
    add_custom_command(OUTPUT ${outputs}
        COMMAND ${command}
        DEPENDS "${source}"
        DEPFILE "${depfile}"
        WORKING_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
        COMMENT "Packing ${name}"
        VERBATIM)
    add_custom_target(${name}_pack DEPENDS ${outputs})
    add_library(${name} INTERFACE)
    if(include_folder)
        target_include_directories(${name} INTERFACE "${include_folder}")
    endif()
    add_dependencies(${name} ${name}_pack)
endfunction()
