# Fails when DOCUMENT differs from what GENERATOR writes now.
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE generated RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
file(READ ${DOCUMENT} committed)
if(NOT committed STREQUAL generated)
  message(FATAL_ERROR "${DOCUMENT} is stale: run `cmake --build build --target reference-docs` and commit it")
endif()
