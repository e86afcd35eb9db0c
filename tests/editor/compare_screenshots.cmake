# Draws the editor's windows with the screenshot tool and compares every
# picture with the one in docs/images: a change to the editor's code that
# is not meant to change what the user sees must leave them identical.
#   cmake -DTOOL=... -DEXPECTED=... -DWORK=... -P compare_screenshots.cmake
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${TOOL}" "${WORK}" RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the screenshot tool failed: ${status}")
endif()
file(GLOB expected RELATIVE "${EXPECTED}" "${EXPECTED}/*.png")
foreach(picture IN LISTS expected)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${EXPECTED}/${picture}" "${WORK}/${picture}"
                    RESULT_VARIABLE different)
    if(different)
        list(APPEND changed ${picture})
    endif()
endforeach()
if(changed)
    message(FATAL_ERROR "drawn differently from docs/images (see ${WORK}): ${changed}")
endif()
file(REMOVE_RECURSE "${WORK}")
