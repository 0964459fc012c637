find_package(Qt6 REQUIRED COMPONENTS Test)
tavrin_test(test_about_help standard about_help_test.cpp)
target_link_libraries(test_about_help PRIVATE Qt6::Test)
