# The real program on Xvfb.
add_test(NAME clock_on_xvfb COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/clock_on_xvfb.sh ${CMAKE_BINARY_DIR})
set_tests_properties(clock_on_xvfb PROPERTIES TIMEOUT 120)
