// Calls that tests have Windows refuse (testing.h).
#include "win32.h"

namespace plat {

namespace {
struct Pending {
    int error = 0, after = 0;
} pending[3];
}  // namespace

void refuse(Refusal what, int error, int after) { pending[int(what)] = {error, after}; }

// A refused call fails as Windows' own do: with its error code left for GetLastError.
bool refused(Refusal what)
{
    Pending& p = pending[int(what)];
    if (p.error == 0)
        return false;
    if (p.after > 0)
        return --p.after, false;
    SetLastError(DWORD(p.error));
    return true;
}

}  // namespace plat
