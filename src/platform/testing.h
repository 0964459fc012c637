// What a test program needs from the back end before its first test.
#pragma once

namespace plat {
int run_test_program(int& argc, char** argv, int (*run_all)());

// Makes the window system refuse what the program asks of it, as it may when its resources run
// out: after `after` more calls that succeed, each such call fails and last_error() reports
// error. Error 0 ends the refusal.
enum class Refusal { window_class, brush, text_path };

namespace refusal {
struct Pending {
    int error = 0, after = 0;
};
inline Pending pending[3];
}  // namespace refusal

inline void refuse(Refusal what, int error, int after = 0) { refusal::pending[int(what)] = {error, after}; }

// For the back ends: the error a call of this kind must fail with now, or 0 when it may go ahead.
inline int refusal_now(Refusal what)
{
    refusal::Pending& p = refusal::pending[int(what)];
    if (p.error == 0)
        return 0;
    if (p.after > 0)
        return --p.after, 0;
    return p.error;
}
}
