find_package(Qt6 REQUIRED COMPONENTS Test)
tavrin_test(test_desktop standard desktop_test.cpp)
target_link_libraries(test_desktop PRIVATE Qt6::Test)
