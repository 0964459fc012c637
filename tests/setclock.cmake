tavrin_test(test_setclock standard setclock_test.cpp)
