tavrin_test(test_paint standard paint_test.cpp paint_face_test.cpp)
