tavrin_test(test_mainwp standard mainwp_test.cpp)
