// Calls that tests have Windows refuse (testing.h).
#include "win32.h"

namespace plat {

// A refused call fails as Windows' own do: with its error code left for GetLastError.
bool refused(Refusal what)
{
    if (const int error = refusal_now(what))
        return SetLastError(DWORD(error)), true;
    return false;
}

}  // namespace plat
