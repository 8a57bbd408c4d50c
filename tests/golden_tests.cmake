# The examples' golden reports and plot files: whole runs compared byte for byte,
# and the goldens themselves judged against closed forms and balances; the
# contour inversion's runs against the goldens, its own error estimate and the
# closed forms, and against the stored tables of the exact model.
add_executable(kesta_golden_tests
  run_kesta.cpp
  golden_data.cpp
  golden_run_test.cpp
  golden_checks_test.cpp
  contour_run_test.cpp
  exact_table_run_test.cpp
)
target_compile_definitions(kesta_golden_tests PRIVATE
  KESTA_BINARY="$<TARGET_FILE:kesta>" KESTA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_include_directories(kesta_golden_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kesta_golden_tests PRIVATE kesta_core GTest::gtest GTest::gtest_main)
add_dependencies(kesta_golden_tests kesta)
gtest_discover_tests(kesta_golden_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
