tavrin_test(test_screens standard screens_test.cpp)
