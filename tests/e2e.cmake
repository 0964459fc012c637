# The real program on Xvfb: every script in e2e/ but the shared lib.sh is one test. The
# scripts named wine_* run the Windows build under Wine; the others run the Linux one.
file(GLOB e2e_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/e2e/*.sh)
list(FILTER e2e_scripts EXCLUDE REGEX "/lib\\.sh$")
if(TAVRIN_PLATFORM STREQUAL "win32")
  list(FILTER e2e_scripts INCLUDE REGEX "/wine_[^/]*\\.sh$")
else()
  list(FILTER e2e_scripts EXCLUDE REGEX "/wine_[^/]*\\.sh$")
endif()
foreach(script ${e2e_scripts})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME ${name} COMMAND ${script} ${CMAKE_BINARY_DIR})
  # One at a time: each starts its own display from the same first number.
  # 77: the script cannot run here, and says why.
  set_tests_properties(${name} PROPERTIES TIMEOUT 180 RESOURCE_LOCK x_display SKIP_RETURN_CODE 77)
endforeach()
