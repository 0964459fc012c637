tavrin_test(test_dialogs standard dialogs_test.cpp)
