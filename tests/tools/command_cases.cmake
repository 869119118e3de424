# check_command_cases(FAILURES_VAR WORKING_DIRECTORY CASE...): runs each case
#   PROGRAM | ARGUMENTS | STATUS | REGEX that standard output + error match
# in WORKING_DIRECTORY and appends every case that went wrong, with what it
# did, to FAILURES_VAR.
function(check_command_cases failures_var working_directory)
  set(failures "${${failures_var}}")
  foreach(case ${ARGN})
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 program)
    list(GET fields 1 arguments)
    list(GET fields 2 expected_status)
    list(GET fields 3 pattern)
    separate_arguments(program)
    separate_arguments(arguments)
    execute_process(COMMAND ${program} ${arguments} WORKING_DIRECTORY ${working_directory}
      RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
    if(NOT status STREQUAL expected_status OR NOT "${out}${err}" MATCHES "${pattern}")
      string(APPEND failures "\n${case}\n  status: ${status}\n  output: ${out}${err}")
    endif()
  endforeach()
  set(${failures_var} "${failures}" PARENT_SCOPE)
endfunction()
