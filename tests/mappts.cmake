tavrin_test(test_mappts standard mappts_test.cpp)
