// What a test program needs from the back end before its first test.
#pragma once

namespace plat {
int run_test_program(int& argc, char** argv, int (*run_all)());

// Makes the window system refuse what the program asks of it, as it may when its resources run
// out: after `after` more calls that succeed, each such call fails and last_error() reports
// error. Error 0 ends the refusal.
enum class Refusal { window_class, brush, text_path };
void refuse(Refusal what, int error, int after = 0);
}
