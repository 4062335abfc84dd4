# Runs one fuzz target for RUNS inputs (at most SECONDS) on a fresh working corpus in WORK,
# seeded from SEEDS: new inputs and crash files go to WORK, never into the source tree.
# Usage: cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DRUNS=... -DSECONDS=... [-DOPTIONS=...] -P RunFuzzer.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
separate_arguments(extra UNIX_COMMAND "${OPTIONS}")
execute_process(
  COMMAND ${FUZZER} -runs=${RUNS} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
          -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/ ${extra} ${WORK}/corpus ${SEEDS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}/artifacts/")
endif()
