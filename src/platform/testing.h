// What a test program needs from the back end before its first test.
#pragma once

namespace plat {
int run_test_program(int& argc, char** argv, int (*run_all)());
}
