// Calls that tests have the window system refuse (testing.h); Qt itself sets no error codes.
#include "internal.h"

namespace plat {

namespace {
int failure = 0;
}  // namespace

bool refused(Refusal what)
{
    if (const int error = refusal_now(what))
        return failure = error, true;
    return false;
}

int last_error() { return failure; }

}  // namespace plat
