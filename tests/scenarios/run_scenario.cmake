# Runs one scenario script through the driver and compares what it prints with the golden file.
# -DDRIVER=... -DSCRIPT=... -DEXPECTED=... [-DEXPECTED_STATUS=2] -DWORKDIR=...
# [-DEXERCISES=folder] [-DTEST_EXERCISES=folder] [-DDATA=files to copy there]
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
# Exercise files the script starts, beside it: the shipped ones and the tests' own.
if(DEFINED EXERCISES)
    file(COPY "${EXERCISES}/" DESTINATION "${WORKDIR}/exercises")
endif()
if(DEFINED TEST_EXERCISES)
    file(COPY "${TEST_EXERCISES}/" DESTINATION "${WORKDIR}/test_exercises")
endif()
if(DEFINED DATA)
    file(COPY "${DATA}/" DESTINATION "${WORKDIR}")
endif()
execute_process(
    COMMAND "${DRIVER}" "${SCRIPT}"
    WORKING_DIRECTORY "${WORKDIR}"
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(NOT DEFINED EXPECTED_STATUS)
    set(EXPECTED_STATUS 0)
endif()
if(NOT status EQUAL EXPECTED_STATUS)
    message(FATAL_ERROR "exit status ${status}, expected ${EXPECTED_STATUS}\n${errors}")
endif()
if(NOT EXPECTED_STATUS EQUAL 0)
    # A refused script: what counts is the line on standard error.
    string(REGEX MATCH "line [0-9]+: [^\n]*" output "${errors}")
    set(output "${output}\n")
endif()
# The ship's clock shows whatever the clock says.
string(REGEX REPLACE "Label19=[0-9]+:[0-9][0-9]:[0-9][0-9]" "Label19=<clock>" output "${output}")
# A stored run's id is made new each time.
string(REGEX REPLACE "run [0-9a-f-]+ trainee=" "run <id> trainee=" output "${output}")
file(READ "${EXPECTED}" expected)
if(NOT output STREQUAL expected)
    file(WRITE "${WORKDIR}/actual.out" "${output}")
    execute_process(COMMAND diff -u "${EXPECTED}" "${WORKDIR}/actual.out" OUTPUT_VARIABLE diff)
    message(FATAL_ERROR "output differs from ${EXPECTED}:\n${diff}")
endif()
