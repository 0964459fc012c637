// Calls that tests have the window system refuse (testing.h); Qt itself sets no error codes.
#include "internal.h"

namespace plat {

namespace {
struct Pending {
    int error = 0, after = 0;
} pending[3];
int failure = 0;
}  // namespace

void refuse(Refusal what, int error, int after) { pending[int(what)] = {error, after}; }

bool refused(Refusal what)
{
    Pending& p = pending[int(what)];
    if (p.error == 0)
        return false;
    if (p.after > 0)
        return --p.after, false;
    failure = p.error;
    return true;
}

int last_error() { return failure; }

}  // namespace plat
