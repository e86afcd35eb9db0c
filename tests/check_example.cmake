# Runs the example consumer on the bundled samples and checks that it made
# a data file and a C header declaring the sample index.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${PROGRAM} ${SAMPLES} ${OUT}/sample.dat ${OUT}/sample.h RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pack_sample failed: ${rc}")
endif()
file(SIZE ${OUT}/sample.dat data_size)
file(READ ${OUT}/sample.h header)
if(data_size LESS 700 OR NOT header MATCHES "SampleIndex\\[\\] = {")
    message(FATAL_ERROR "unexpected output: ${data_size} bytes, header:\n${header}")
endif()
