# Bad input and faults: bounded style values, saving that keeps what the user had,
# timers at their moments, and a paint pass that fails.
if(TAVRIN_PLATFORM STREQUAL "qt")
  tavrin_test(test_faults standard faults_style_test.cpp faults_clock_test.cpp)
  tavrin_test(test_faults_paint standard faults_paint_test.cpp)
else()
  tavrin_test(test_faults standard faults_style_test.cpp)
endif()
