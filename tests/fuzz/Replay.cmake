# The test build's side of the fuzz targets: each target's source built with
# a main() of our own (FuzzReplay.cpp) instead of libFuzzer, under the test
# build's sanitizers, and a ctest test fuzz.Regressions.<target> that runs it
# over regressions/<target>: every input a fuzzer found a fault with, kept
# after the fault was mended. An input that takes longer than libFuzzer's
# limit in scripts/fuzz.sh (10 s) fails as a hang.
set(AMBRELIN_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(ambrelin_fuzz_replay STATIC ${AMBRELIN_FUZZ_DIR}/FuzzSupport.cpp
                                        ${AMBRELIN_FUZZ_DIR}/FuzzReplay.cpp)
target_link_libraries(ambrelin_fuzz_replay PUBLIC ambrelin_core)
target_include_directories(ambrelin_fuzz_replay PUBLIC ${AMBRELIN_FUZZ_DIR})
set_target_properties(ambrelin_fuzz_replay PROPERTIES AUTOMOC OFF AUTOUIC OFF)

function(ambrelin_fuzz_target name source library)
  add_executable(${name}_replay ${AMBRELIN_FUZZ_DIR}/${source})
  target_link_libraries(${name}_replay PRIVATE ambrelin_fuzz_replay ${library})
  if(ARGC GREATER 3)
    target_compile_definitions(${name}_replay PRIVATE ${ARGV3})
  endif()
  set_target_properties(${name}_replay PROPERTIES AUTOMOC OFF AUTOUIC OFF)
  add_test(NAME fuzz.Regressions.${name}
           COMMAND ${name}_replay --seconds-per-input 10 ${AMBRELIN_FUZZ_DIR}/regressions/${name})
  # Leaks count as faults here as in scripts/fuzz.sh.
  set_tests_properties(fuzz.Regressions.${name} PROPERTIES TIMEOUT 300 ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1;LSAN_OPTIONS=suppressions=${AMBRELIN_FUZZ_DIR}/lsan.supp")
endfunction()
include(${AMBRELIN_FUZZ_DIR}/Targets.cmake)
