# Runs one fuzz target for a fixed number of inputs over a fresh copy of its seeds.
#   cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DARTIFACTS=... -DRUNS=... [-DPATTERN=*.swf]
#         [-DDICTIONARY=...] -P run_fuzzer.cmake
foreach(_var FUZZER SEEDS WORK ARTIFACTS RUNS)
    if(NOT DEFINED ${_var})
        message(FATAL_ERROR "run_fuzzer.cmake needs -D${_var}=...")
    endif()
endforeach()
if(NOT EXISTS "${SEEDS}/.stamp")
    message(FATAL_ERROR "no seed movies in ${SEEDS}: build the fuzz_seeds target first")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}" "${ARTIFACTS}")
if(NOT DEFINED PATTERN)
    set(PATTERN "*.swf")
endif()
set(_dictionary)
if(DEFINED DICTIONARY)
    set(_dictionary "-dict=${DICTIONARY}")
endif()
file(GLOB _seeds "${SEEDS}/${PATTERN}")
file(COPY ${_seeds} DESTINATION "${WORK}")

execute_process(
    COMMAND "${FUZZER}" -runs=${RUNS} -seed=1 -max_len=65536 -timeout=10 -rss_limit_mb=2048
            -print_final_stats=1 ${_dictionary} "-artifact_prefix=${ARTIFACTS}/" "${WORK}"
    WORKING_DIRECTORY "${ARTIFACTS}"
    RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
    message(FATAL_ERROR "the fuzzer reported a finding (exit ${_result}); its input is in ${ARTIFACTS}")
endif()
