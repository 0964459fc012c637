// Any typed time: parsed within the dialogs' ranges, or left alone.
#include "tavrin.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const char kind = data[0] == 'H' ? 'H' : 'M';
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    int first = -100, second = -100;
    if (normalize_time_field(kind, text.c_str(), &first, &second) == 0) {
        if (first != -100 || second != -100)
            __builtin_trap();
        return 0;
    }
    const int top = kind == 'H' ? 23 : 59;
    if (first < 0 || first > top || second < 0 || second > 59)
        __builtin_trap();
    return 0;
}
