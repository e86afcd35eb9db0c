# vorl_add_pack(<name> DATA <file> [HEADER <file>] [INCLUDE_PREFIX <dir>]
#               (PROJECT <file> | LIST <file> | FILES <entry>... | GLOB <pattern>...)
#               [INDEX in-data|c-text|binary|none] [ALIGN <bytes>]
#               [INDEX_BYTES 2|4] [ALIAS] [BIG_ENDIAN] [SKIP_MISSING]
#               [LABEL <text>] [JOBS <n>] [CACHE [<dir>]]
#               [OPTIONS <vorlcnv options>...])
#
# Packs with vorlcnv at build time and gives an INTERFACE target <name>:
#   target_link_libraries(game PRIVATE <name>)
# puts the header's folder on game's include path and packs before game
# compiles; the pack is also part of the default build. The target's
# properties VORL_PACK_DATA and VORL_PACK_HEADER hold the outputs' full
# names, for install() or a copy step.
#
# The pack is made again when any file it read changes, when a file that
# was missing (SKIP_MISSING) or that a wildcard would now pick appears, and
# when vorlcnv or its library change (a dependency file written by
# vorlcnv). Outputs whose bytes would not change keep their time stamps, so
# sources including an unchanged header are not recompiled.
#
# Relative input names (the list, the project, FILES, GLOB and the names in
# a list) are seen from the current source folder, relative outputs from
# the current binary folder. The command runs in the binary folder and
# makes its working files there: the source tree is only read.
# Everything that cannot work is refused here, when the build is
# configured, naming the argument. See vorl_add_pack(7).
function(vorl_add_pack name)
    set(flags ALIAS BIG_ENDIAN SKIP_MISSING)
    set(single "DATA;HEADER;INCLUDE_PREFIX;PROJECT;LIST;INDEX;ALIGN;INDEX_BYTES;LABEL;JOBS;CACHE")
    set(multi FILES GLOB OPTIONS)
    cmake_parse_arguments(PARSE_ARGV 1 arg "${flags}" "${single}" "${multi}")
    set(who "vorl_add_pack(${name})")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "${who}: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    # CACHE alone asks for the default cache folder.
    set(cache_default FALSE)
    foreach(keyword IN LISTS arg_KEYWORDS_MISSING_VALUES)
        if(keyword STREQUAL "CACHE")
            set(cache_default TRUE)
        elseif(NOT keyword MATCHES "^(FILES|OPTIONS)$")
            message(FATAL_ERROR "${who}: ${keyword} needs a value")
        endif()
    endforeach()
    if(NOT arg_DATA)
        message(FATAL_ERROR "${who}: DATA <file> is needed")
    endif()
    set(sources "")
    foreach(keyword PROJECT LIST FILES GLOB)
        if(DEFINED arg_${keyword} OR keyword IN_LIST arg_KEYWORDS_MISSING_VALUES)
            list(APPEND sources ${keyword})
        endif()
    endforeach()
    list(LENGTH sources source_count)
    if(NOT source_count EQUAL 1)
        message(FATAL_ERROR "${who}: give exactly one of PROJECT, LIST, FILES or GLOB (given: ${sources})")
    endif()

    _vorl_find_tool("${who}" tool tool_depends)
    _vorl_check_options("${who}" "${sources}" mode_option)

    # --- the settings of a line conversion ------------------------------
    set(line_options "")
    set(mode "")
    if(sources STREQUAL "PROJECT")
        foreach(keyword INDEX ALIGN INDEX_BYTES LABEL ALIAS BIG_ENDIAN SKIP_MISSING)
            if(arg_${keyword})
                message(FATAL_ERROR "${who}: ${keyword} cannot be used with PROJECT: "
                    "the project holds its settings (change them in the editor)")
            endif()
        endforeach()
    else()
        if(DEFINED arg_INDEX AND mode_option)
            message(FATAL_ERROR "${who}: INDEX ${arg_INDEX} and ${mode_option} in OPTIONS both set the index output")
        endif()
        if(DEFINED arg_INDEX)
            set(modes in-data c-text binary none)
            list(FIND modes "${arg_INDEX}" mode)
            if(mode LESS 0)
                message(FATAL_ERROR "${who}: INDEX ${arg_INDEX}: give in-data, c-text, binary or none")
            endif()
            list(APPEND line_options "-p${mode}")
        elseif(mode_option)
            string(SUBSTRING "${mode_option}" 2 -1 mode)
        else()
            message(FATAL_ERROR "${who}: the index output is needed: INDEX in-data, c-text, binary or none "
                "(or -p0 to -p3 in OPTIONS)")
        endif()
        if(NOT mode MATCHES "^[0-3]$")
            message(FATAL_ERROR "${who}: ${mode_option} in OPTIONS: the index output is -p0, -p1, -p2 or -p3")
        endif()
        if(DEFINED arg_ALIGN)
            _vorl_check_alignment("${who}" "${arg_ALIGN}" "${mode}")
            list(APPEND line_options "-a${arg_ALIGN}")
        endif()
        if(DEFINED arg_INDEX_BYTES)
            if(NOT arg_INDEX_BYTES MATCHES "^[24]$")
                message(FATAL_ERROR "${who}: INDEX_BYTES ${arg_INDEX_BYTES}: give 2 or 4")
            endif()
            list(APPEND line_options "-t${arg_INDEX_BYTES}")
        endif()
        if(arg_ALIAS)
            list(APPEND line_options -e)
        endif()
        if(arg_BIG_ENDIAN)
            list(APPEND line_options -b)
        endif()
        if(arg_SKIP_MISSING)
            list(APPEND line_options -s)
        endif()
        if(DEFINED arg_LABEL)
            string(LENGTH "${arg_LABEL}" label_length)
            if(label_length EQUAL 0 OR label_length GREATER 127 OR arg_LABEL MATCHES "[\r\n\"]")
                message(FATAL_ERROR "${who}: LABEL \"${arg_LABEL}\": a C type and name on one line, "
                    "under 128 bytes, without double quotes")
            endif()
            list(APPEND line_options "-l${arg_LABEL}")
        endif()
    endif()

    # --- the outputs ------------------------------------------------------
    get_filename_component(data "${arg_DATA}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    set(header "")
    set(include_folder "")
    if(DEFINED arg_INCLUDE_PREFIX AND NOT arg_HEADER)
        message(FATAL_ERROR "${who}: INCLUDE_PREFIX ${arg_INCLUDE_PREFIX} places the header: give HEADER too")
    endif()
    if(arg_HEADER)
        if(DEFINED arg_INCLUDE_PREFIX)
            if(IS_ABSOLUTE "${arg_HEADER}" OR IS_ABSOLUTE "${arg_INCLUDE_PREFIX}"
               OR arg_HEADER MATCHES "(^|/)\\.\\.(/|$)" OR arg_INCLUDE_PREFIX MATCHES "(^|/)\\.\\.(/|$)")
                message(FATAL_ERROR "${who}: with INCLUDE_PREFIX, HEADER and the prefix are relative names "
                    "without \"..\": the header is included as <${arg_INCLUDE_PREFIX}/${arg_HEADER}>")
            endif()
            set(include_folder "${CMAKE_CURRENT_BINARY_DIR}/${name}_include")
            set(header "${include_folder}/${arg_INCLUDE_PREFIX}/${arg_HEADER}")
            cmake_path(NORMAL_PATH header)
        else()
            get_filename_component(header "${arg_HEADER}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
            get_filename_component(include_folder "${header}" DIRECTORY)
        endif()
    endif()
    if(sources STREQUAL "PROJECT")
        get_filename_component(project_file "${arg_PROJECT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        _vorl_project_mode("${who}" "${project_file}" mode)
    endif()
    # A project whose index output cannot be read here (a legacy .prj) is
    # trusted to match HEADER.
    if(mode MATCHES "^[12]$" AND NOT header)
        message(FATAL_ERROR "${who}: the index output ${mode} (${_vorl_mode_name_${mode}}) writes a header file: "
            "give HEADER <file>")
    endif()
    if(mode MATCHES "^[03]$" AND header)
        message(FATAL_ERROR "${who}: HEADER ${arg_HEADER} is given, but the index output ${mode} "
            "(${_vorl_mode_name_${mode}}) writes no header file")
    endif()
    if(header STREQUAL data)
        message(FATAL_ERROR "${who}: HEADER and DATA name the same file: ${data}")
    endif()
    # Make does not make the folders of a rule's outputs.
    get_filename_component(data_folder "${data}" DIRECTORY)
    file(MAKE_DIRECTORY "${data_folder}")
    if(header)
        get_filename_component(header_folder "${header}" DIRECTORY)
        file(MAKE_DIRECTORY "${header_folder}")
    endif()

    # --- the command --------------------------------------------------------
    set(depfile "${CMAKE_CURRENT_BINARY_DIR}/${name}.pack.d")
    set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${name}.pack.stamp")
    set(run_options ${arg_OPTIONS})
    if(DEFINED arg_JOBS)
        if(NOT arg_JOBS MATCHES "^[0-9]+$")
            message(FATAL_ERROR "${who}: JOBS ${arg_JOBS}: give a number (0: one per core)")
        endif()
        list(APPEND run_options "-j${arg_JOBS}")
    endif()
    if(cache_default)
        if(DEFINED ENV{VORL_CACHE_DIR} AND NOT "$ENV{VORL_CACHE_DIR}" STREQUAL "")
            set(arg_CACHE "$ENV{VORL_CACHE_DIR}")
        else()
            set(arg_CACHE "${CMAKE_BINARY_DIR}/vorl-cache")
        endif()
    endif()
    if(DEFINED arg_CACHE)
        get_filename_component(cache_folder "${arg_CACHE}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
        list(APPEND run_options --cache "${cache_folder}")
    endif()
    # Ninja reads vorlcnv's dependency file and checks the outputs' time
    # stamps again after the pack, so an output whose bytes did not change
    # recompiles nothing. Other build tools get a stamp file that is always
    # new after a pack (an unchanged output keeps its old time stamp, and
    # make would run the pack on every build), and a check before each build
    # that reads the dependency file itself: CMake's Makefiles keep every
    # prerequisite they were ever told of, so a deleted input would re-pack
    # forever.
    if(CMAKE_GENERATOR MATCHES "^Ninja")
        set(outputs ${header} "${data}")
        set(byproducts "")
        set(depfile_option DEPFILE "${depfile}")
        set(target_option "")
        set(touch_stamp "")
    else()
        set(outputs "${stamp}")
        set(byproducts ${header} "${data}")
        set(depfile_option "")
        set(target_option --depfile-target "${stamp}")
        set(touch_stamp COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}")
    endif()
    set(build_options -q --depfile "${depfile}" ${target_option} --workdir "${CMAKE_CURRENT_BINARY_DIR}")
    if(sources STREQUAL "PROJECT")
        set(command "${tool}" ${build_options} ${run_options} --project "${project_file}" --data "${data}")
        if(header)
            list(APPEND command --header "${header}")
        endif()
        set(read_first "${project_file}")
    else()
        if(sources STREQUAL "LIST")
            get_filename_component(list_file "${arg_LIST}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        else()
            set(list_file "${CMAKE_CURRENT_BINARY_DIR}/${name}.entries.lst")
            _vorl_write_entry_list("${who}" "${sources}" "${list_file}")
        endif()
        set(command "${tool}" ${build_options} --directory "${CMAKE_CURRENT_SOURCE_DIR}"
            ${line_options} ${run_options} "-f${list_file}" "-o${data}")
        if(header)
            list(APPEND command "-h${header}")
        endif()
        set(read_first "${list_file}")
    endif()
    add_custom_command(OUTPUT ${outputs}
        BYPRODUCTS ${byproducts}
        COMMAND ${command}
        ${touch_stamp}
        DEPENDS "${read_first}" ${tool_depends}
        ${depfile_option}
        WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
        COMMENT "Packing ${name}"
        VERBATIM)
    add_custom_target(${name}_pack ALL DEPENDS ${outputs})
    if(NOT depfile_option)
        add_custom_target(${name}_pack_check
            COMMAND "${CMAKE_COMMAND}" "-DDEPFILE=${depfile}" "-DSTAMP=${stamp}" "-DOUTPUTS=${byproducts}"
                -P "${_vorl_pack_check_script}"
            VERBATIM)
        add_dependencies(${name}_pack ${name}_pack_check)
    endif()
    add_library(${name} INTERFACE)
    if(include_folder)
        target_include_directories(${name} INTERFACE "${include_folder}")
    endif()
    add_dependencies(${name} ${name}_pack)
    set_target_properties(${name} PROPERTIES VORL_PACK_DATA "${data}" VORL_PACK_HEADER "${header}")
endfunction()

set(_vorl_pack_check_script "${CMAKE_CURRENT_LIST_DIR}/VorlCnvPackCheck.cmake")
set(_vorl_mode_name_0 "in-data")
set(_vorl_mode_name_1 "c-text")
set(_vorl_mode_name_2 "binary")
set(_vorl_mode_name_3 "none")

# The vorlcnv to run, and what the pack depends on for it: the program and
# its library, so that an upgrade packs again.
function(_vorl_find_tool who out_tool out_depends)
    if(TARGET vorlcnv)
        set(${out_tool} "$<TARGET_FILE:vorlcnv>" PARENT_SCOPE)
        set(${out_depends} vorlcnv PARENT_SCOPE)
        return()
    endif()
    if(NOT VORLCNV_EXECUTABLE)
        find_program(VORLCNV_EXECUTABLE vorlcnv HINTS "${VorlCnv_PROGRAM_DIR}" NO_CACHE)
        if(NOT VORLCNV_EXECUTABLE)
            message(FATAL_ERROR "${who}: vorlcnv not found (install the command-line tools)")
        endif()
    endif()
    set(depends "${VORLCNV_EXECUTABLE}")
    if(TARGET VorlCnv::vorl_cnv)
        list(APPEND depends "$<TARGET_FILE:VorlCnv::vorl_cnv>")
    endif()
    set(${out_tool} "${VORLCNV_EXECUTABLE}" PARENT_SCOPE)
    set(${out_depends} "${depends}" PARENT_SCOPE)
endfunction()

# OPTIONS: what vorl_add_pack sets itself is refused, and a project takes
# only the switches of a run (its settings are its own). Gives the last
# index output option (-pN), or an empty text.
function(_vorl_check_options who sources out_mode)
    set(mode "")
    set(expect_value FALSE)
    foreach(option IN LISTS arg_OPTIONS)
        if(expect_value)
            set(expect_value FALSE)
            continue()
        endif()
        string(TOLOWER "${option}" lower)
        if(lower MATCHES "^-(o|h|f)")
            string(SUBSTRING "${lower}" 1 1 letter)
            set(keyword_o DATA)
            set(keyword_h HEADER)
            set(keyword_f LIST)
            message(FATAL_ERROR "${who}: OPTIONS ${option}: give the file as ${keyword_${letter}}")
        endif()
        if(option MATCHES "^--(depfile|depfile-target|directory|workdir|verify|project|data|header)(=|$)")
            message(FATAL_ERROR "${who}: OPTIONS ${option}: vorl_add_pack sets it itself")
        endif()
        if(option MATCHES "^(-q|--quiet|-[jJ][0-9]+)$")
            continue()
        endif()
        if(option MATCHES "^(--jobs|--cache)$")
            set(expect_value TRUE)
            continue()
        endif()
        if(sources STREQUAL "PROJECT")
            message(FATAL_ERROR "${who}: OPTIONS ${option} cannot be used with PROJECT: the project holds "
                "its settings; a project pack takes only -jN, --jobs, --cache and -q (or JOBS and CACHE)")
        endif()
        if(lower MATCHES "^-p")
            set(mode "${option}")
        endif()
    endforeach()
    set(${out_mode} "${mode}" PARENT_SCOPE)
endfunction()

# The alignments vorlcnv takes: 1 or a multiple of 4 up to 4096, and a
# power of two where the index is in a file (in-data, binary).
function(_vorl_check_alignment who align mode)
    set(good FALSE)
    if(align MATCHES "^[0-9]+$" AND align GREATER 0 AND align LESS_EQUAL 4096)
        math(EXPR rest "${align} % 4")
        math(EXPR lowest "${align} & (${align} - 1)")
        if(align EQUAL 1 OR (rest EQUAL 0 AND (mode MATCHES "^[13]$" OR lowest EQUAL 0)))
            set(good TRUE)
        endif()
    endif()
    if(NOT good)
        message(FATAL_ERROR "${who}: ALIGN ${align}: give 1 or a multiple of 4 up to 4096 "
            "(with INDEX in-data or binary a power of two)")
    endif()
endfunction()

# The index output of an XML project (0 to 3), read again whenever the
# project changes; nothing for a file that cannot be read here.
function(_vorl_project_mode who project out_mode)
    set(${out_mode} "" PARENT_SCOPE)
    if(NOT EXISTS "${project}")
        message(FATAL_ERROR "${who}: PROJECT ${project} does not exist")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${project}")
    file(STRINGS "${project}" lines REGEX "<indexout>[a-z]+</indexout>" LIMIT_COUNT 1)
    set(keywords infile outtext outbinary nothing)
    if(lines MATCHES "<indexout>([a-z]+)</indexout>")
        list(FIND keywords "${CMAKE_MATCH_1}" mode)
        if(mode GREATER_EQUAL 0)
            set(${out_mode} "${mode}" PARENT_SCOPE)
        endif()
    endif()
endfunction()

# FILES and GLOB become a list file in the binary folder, one entry per
# line, rewritten only when it changes (the pack depends on it).
function(_vorl_write_entry_list who sources list_file)
    set(text "")
    set(count 0)
    if(sources STREQUAL "FILES")
        # An empty entry is an unused row and stays one: the arguments are
        # walked by position, since a CMake list loses a leading empty item.
        list(LENGTH arg_FILES count)
        if(count EQUAL 0)
            message(FATAL_ERROR "${who}: FILES needs at least one entry")
        endif()
        math(EXPR last "${count} - 1")
        foreach(position RANGE ${last})
            list(GET arg_FILES ${position} entry)
            if(entry MATCHES "[\r\n]")
                message(FATAL_ERROR "${who}: FILES: an entry holds a line break: ${entry}")
            endif()
            string(APPEND text "${entry}\n")
        endforeach()
    else()
        set(patterns "")
        foreach(pattern IN LISTS arg_GLOB)
            get_filename_component(pattern "${pattern}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
            list(APPEND patterns "${pattern}")
        endforeach()
        file(GLOB matches LIST_DIRECTORIES false CONFIGURE_DEPENDS ${patterns})
        list(SORT matches)
        list(LENGTH matches count)
        if(count EQUAL 0)
            message(FATAL_ERROR "${who}: GLOB ${arg_GLOB}: no file matches")
        endif()
        foreach(match IN LISTS matches)
            # A list line is NAME[,CONVERTER[,ALIAS]]: a comma would end the name.
            if(match MATCHES "[,\r\n]")
                message(FATAL_ERROR "${who}: GLOB: a matched file's name holds a comma or a line break, "
                    "which a list line cannot hold: ${match}")
            endif()
            string(APPEND text "${match}\n")
        endforeach()
    endif()
    if(count GREATER 9999)
        message(FATAL_ERROR "${who}: ${count} entries; a pack holds up to 9999")
    endif()
    file(WRITE "${list_file}.new" "${text}")
    configure_file("${list_file}.new" "${list_file}" COPYONLY)
    file(REMOVE "${list_file}.new")
endfunction()
