# The program's answers on a terminal, and the installed program as a desktop finds it.
tavrin_test(test_terminal standard terminal_test.cpp)
add_dependencies(test_terminal tavrin)
target_compile_definitions(test_terminal PRIVATE
  TAVRIN_PROGRAM="$<TARGET_FILE:tavrin>" TAVRIN_VERSION="${PROJECT_VERSION}")

add_test(NAME installed_on_xvfb COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/installed.sh ${CMAKE_BINARY_DIR})
set_tests_properties(installed_on_xvfb PROPERTIES TIMEOUT 120 RESOURCE_LOCK x_display)
