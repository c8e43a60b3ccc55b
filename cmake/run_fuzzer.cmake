# Runs one libFuzzer program for RUNS inputs, starting from its seeds and kept
# crashes (SEEDS). What it learns goes to a fresh WORK folder, never into the
# sources; an input that fails is copied into SEEDS, so it stays a test input.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
execute_process(COMMAND ${FUZZER} -runs=${RUNS} -timeout=60 -print_final_stats=1
                        -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus ${SEEDS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB found ${WORK}/artifacts/*)
  foreach(input ${found})
    file(COPY ${input} DESTINATION ${SEEDS})
    get_filename_component(kept ${input} NAME)
    message(STATUS "kept as ${SEEDS}/${kept}")
  endforeach()
  message(FATAL_ERROR "${FUZZER} failed (${result})")
endif()
