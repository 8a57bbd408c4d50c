# Tests of the analytical model and the results report.
add_executable(kesta_model_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/stehfest_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/step_response_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/response_derivative_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dimensionless_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/superposition_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/results_report_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/inversion_error_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fft_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/convolved_sums_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/large_pages_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/printed_accuracy_test.cpp
)
target_include_directories(kesta_model_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kesta_model_tests PRIVATE kesta_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(kesta_model_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
