tavrin_test(test_paint standard paint_face_test.cpp)
