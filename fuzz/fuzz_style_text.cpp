// The style file's reader on any text: every value lands within its bounds, and
// what is written from it reads back to the same text.
#include "tavrin.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

StyleValues in_effect()
{
    StyleValues v{};
    std::strcpy(v.face, "Arial");
    std::strcpy(v.date_face, "Arial");
    v.font_height = v.date_hi = -33;
    v.place[2] = 341, v.place[3] = 384;
    v.flags = 0x485;
    v.shape = CMD_SHAPE_CIRCLE;
    v.switch_at = 2, v.off_for = 4;
    v.start_hour = 6, v.end_hour = 18, v.end_secs = 1800;
    std::fill(std::begin(v.custom), std::end(v.custom), 0xE1E1E1);
    return v;
}

void require(bool ok)
{
    if (!ok)
        __builtin_trap();
}

bool within(int value, int low, int high) { return value >= low && value <= high; }

void check_bounds(const StyleValues& v)
{
    require(within(v.font_height, -2000, 2000) && within(v.date_hi, -2000, 2000));
    require(within(v.weight, 0, 1001) && within(v.date_weight, 0, 1001));
    require(within(v.switch_at, 1, 3600) && within(v.off_for, 1, 3600));
    require(within(v.start_hour, 0, 23) && within(v.end_hour, 0, 23));
    require(within(v.start_secs, 0, 3599) && within(v.end_secs, 0, 3599));
    require(within(v.demo, 0, 3600) && within(v.fudge, -1799, 1800));
    require(within(v.quarter, 0, 3599));
    require(within(v.shape, CMD_SHAPE_CIRCLE, CMD_SHAPE_USA) && within(int(v.flags & ticker_loc_mask), 1, 9));
    require(v.place[2] >= 0 && v.place[3] >= 0);
    for (COLORREF c : {v.digit, v.fig, v.bkgrnd, v.cc_digit, v.cc_fig, v.cc_bkgrnd})
        require(c <= 0xFFFFFF);
    for (COLORREF c : v.custom)
        require(c <= 0xFFFFFF);
    require(std::strlen(v.face) <= 31 && std::strlen(v.date_face) <= 31);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    StyleValues v = in_effect();
    if (read_style_text(text.c_str(), v) != 0)
        return 0;
    check_bounds(v);
    const std::string written = "QZ1.1\n" + style_text_of(v, 1) + "\n";
    StyleValues again = in_effect();
    require(read_style_text(written.c_str(), again) == 0);
    require("QZ1.1\n" + style_text_of(again, 1) + "\n" == written);
    return 0;
}
