// Test programs run with the common controls ready, in UTC unless told otherwise.
#include "win32.h"

#include <commctrl.h>

#include <cstdlib>
#include <ctime>

namespace plat {

int run_test_program(int& argc, char** argv, int (*run_all)())
{
    (void)argc;
    (void)argv;
    if (std::getenv("TZ") == nullptr)
        _putenv("TZ=UTC0");
    _tzset();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    return run_all();
}

}  // namespace plat
