# cmake -DDEPFILE=<file> -DSTAMP=<file> -DOUTPUTS=<file;file> -P VorlCnvPackCheck.cmake
#
# Run before a pack's stamp rule on every build where the build tool cannot
# read vorlcnv's dependency file itself (the Makefile generators keep every
# prerequisite they were ever told of, so one deleted file would re-pack on
# every build). Removes the stamp when a file the last run read is newer
# than it or gone, or when an output is gone, so that the pack runs again;
# leaves it alone otherwise.
cmake_minimum_required(VERSION 3.20)
if(NOT EXISTS "${STAMP}")
    return()
endif()
if(NOT EXISTS "${DEPFILE}")
    file(REMOVE "${STAMP}")
    return()
endif()
foreach(output IN LISTS OUTPUTS)
    if(NOT EXISTS "${output}")
        file(REMOVE "${STAMP}")
        return()
    endif()
endforeach()
file(READ "${DEPFILE}" text)
# The first rule: "target: \" and one prerequisite a line, up to the empty
# line before the prerequisites' empty rules.
string(FIND "${text}" "\n\n" end)
if(end GREATER_EQUAL 0)
    string(SUBSTRING "${text}" 0 ${end} text)
endif()
string(REPLACE "\\\n" "\n" text "${text}")
string(REPLACE ";" "\\;" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
list(POP_FRONT lines)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^  " "" name "${line}")
    string(REGEX REPLACE " $" "" name "${name}")
    # Blanks, '#' and ':' come with a backslash, '$' doubled. A name with a
    # backslash of its own before one of them reads as a file that is not
    # there: the pack then runs again, which is never wrong.
    string(REPLACE "$$" "$" name "${name}")
    string(REGEX REPLACE "\\\\([ #:])" "\\1" name "${name}")
    if(name STREQUAL "")
        continue()
    endif()
    # True also when the file is gone or has the stamp's very time.
    if("${name}" IS_NEWER_THAN "${STAMP}")
        file(REMOVE "${STAMP}")
        return()
    endif()
endforeach()
