// The program's start-up, for the process entry: the program's header cannot share a file
// with <windows.h>, which has a COLORREF and a WinMain of its own.
#include "tavrin.h"

namespace plat {

int start_program(const char* command_line) { return WinMain(command_line); }

const char* program_usage() { return usage_text; }

}  // namespace plat
