// The clock window: its messages, commands, keys and timers.
#include "tavrin.h"

int run_bits = paint_filled;
int microsec_factor = 1000;
int dv_cnt = 0;
char style_source = 'F';
int save_on_exit = 1;
std::time_t esc_hint_until = 0;
int painting_ok = 1;
int rotate_reverse = 0;
int map_width = 0;
plat::Font orig_font = nullptr;
int ticker_count = 0;
int ticker_loc_before = 0;
