tavrin_test(test_dlgs standard dlgs_test.cpp)
