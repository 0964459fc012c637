find_package(Qt6 REQUIRED COMPONENTS Test)
tavrin_test(test_platform_core standard platform_core_test.cpp)
target_link_libraries(test_platform_core PRIVATE Qt6::Test)
