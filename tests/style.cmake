tavrin_test(test_style standard style_test.cpp)
if(TAVRIN_PLATFORM STREQUAL "qt")
  tavrin_test(test_fonts_no_arial no-arial fonts_test.cpp)
endif()
