// The few services of the operating system the clock needs besides its window system.
// One implementation per operating system (os_posix.cpp, os_windows.cpp), whichever back end
// draws the windows.
#pragma once

#include <ctime>
#include <string>

namespace os {

// The broken-down local time of t, in the zone in effect now.
std::tm local_time(std::time_t t);

// Replaces the file at path (UTF-8) by text so that a kill or a full disk leaves either the
// old file or the new one. A symbolic link is written through to what it points at, and a
// file the user made read-only is left alone. 0 when written, non-zero otherwise.
int replace_file(const char* path, const std::string& text);

}  // namespace os
