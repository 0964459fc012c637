// Any command line, then the time model stepped thirty times as the clock would
// step it: no overflow, and the displayed values stay within their ranges.
#include "tavrin.h"

#include <cstring>
#include <string>

namespace {

std::time_t now = 0;
std::time_t fake_clock() { return now += 137; }

void require(bool ok)
{
    if (!ok)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Clk clk_at_load = clk;
    clk = clk_at_load;
    clk.drawn_hour = &clk.disp_hour;
    clk.next_rvrse = &clk.rvrse_end;
    run_bits = paint_filled;
    microsec_factor = 1000;
    now = 0;
    set_clock_function(fake_clock);
    update_rvrse(default_ini_bits | (size % 2 ? eight_div : 0), 6, 0, 18, 1800, 5, 0, 2550);

    const std::string text(reinterpret_cast<const char*>(data), size);
    if (std::strchr(text.c_str(), '?'))
        return 0;   // only the usage box
    const CommandLine cl = parse_command_line(text.c_str());
    save_allowed_for(cl);
    if (cl.fields_read > 1)
        exception_init_wp(cl.option, cl.hr, cl.min);
    for (int step = 0; step < 30; ++step) {
        const int t = set_time();
        require(t >= 0 && timer_ms(t, microsec_factor) >= 0);
        const Clk* shown = set_disp_clock(nullptr);
        if (contracting_span())
            toggle_hour("Set");
        require(shown->increment >= 0 && shown->increment < 12);
        require(shown->disp_hour >= 0 && shown->disp_hour <= 23 && shown->hour >= 0 && shown->hour <= 23);
        require(std::strlen(shown->units_digit) == 1 && std::strlen(shown->tens_digit) <= 1);
        within_rvrse_span();
    }
    return 0;
}
