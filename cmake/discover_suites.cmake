# Writes OUT: one ctest test NAME.<suite> per GoogleTest suite of PROGRAM, each
# running its suite's tests in one process. Run after every link of PROGRAM.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PROGRAM} --gtest_list_tests
                WORKING_DIRECTORY ${WORKING_DIRECTORY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${result})")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(tests "")
foreach(line IN LISTS lines)
  # A suite's line starts in the first column: "Suite." or "Prefix/Suite.  # TypeParam = ...".
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.")
    set(suite ${CMAKE_MATCH_1})
    string(APPEND tests
      "add_test([=[${NAME}.${suite}]=] [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
      "set_tests_properties([=[${NAME}.${suite}]=] PROPERTIES WORKING_DIRECTORY [==[${WORKING_DIRECTORY}]==]"
      " ENVIRONMENT QT_QPA_PLATFORM=offscreen)\n")
  endif()
endforeach()
file(WRITE ${OUT} "${tests}")
