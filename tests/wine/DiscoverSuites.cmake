# Run by CTest before the tests: asks the Wine test program for its suites and adds one test
# per suite (one Wine start-up each, and a failure names its suite). Set by the caller:
# WINE_TESTS_EMULATOR, WINE_TESTS_EXE, WINE_TESTS_CMAKE (the cmake program).
execute_process(
  COMMAND "${WINE_TESTS_EMULATOR}" "${WINE_TESTS_EXE}" --gtest_list_tests
  OUTPUT_VARIABLE listing
  RESULT_VARIABLE result
  TIMEOUT 180)

set(suites "")
if(result EQUAL 0)
  string(REPLACE "\r" "" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    # Suites stand at the start of a line and end with a dot; their tests are indented.
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.")
      list(APPEND suites "${CMAKE_MATCH_1}")
    endif()
  endforeach()
endif()

if(NOT suites)
  # The listing failed or found nothing: one test that fails and says so.
  add_test(wine.list_suites "${WINE_TESTS_CMAKE}" -E echo
           "no test suites listed by ${WINE_TESTS_EXE} (exit ${result}): ${listing}")
  set_tests_properties(wine.list_suites PROPERTIES WILL_FAIL TRUE)
  return()
endif()

foreach(suite IN LISTS suites)
  add_test("wine.${suite}" "${WINE_TESTS_EMULATOR}" "${WINE_TESTS_EXE}" "--gtest_filter=${suite}.*")
endforeach()
