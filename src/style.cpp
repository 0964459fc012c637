// The style record, the style file and the fonts of the clock.
#include "tavrin.h"

Style stl = {CMD_SHAPE_CIRCLE, nullptr, -33, 0x00FF0000, 0x00000000, 0x00E1E1E1};
Style dflt_stl = {CMD_SHAPE_CIRCLE, nullptr, -33, 0x00FF0000, 0x00000000, 0x00E1E1E1};
Style file_stl = {};
Style recent_stl = {};
Style* const stl_table[5] = {&dflt_stl, &file_stl, &recent_stl, &stl, nullptr};

int ini_bits = default_ini_bits;
int non_ini_bits = 0;
int file_ini_bits = 0;
int recent_ini_bits = 0;
COLORREF rgbCCDigit = 0x00FF0000, rgbCCFig = 0x00000000, rgbCCBkgrnd = 0x00E1E1E1;
int ticker_switch_at = 2;
int ticker_off_for = 4;
COLORREF rgbCustom[16] = {0xE1E1E1, 0xE1E1E1, 0xE1E1E1, 0xE1E1E1, 0xE1E1E1, 0xE1E1E1,
                          0xE1E1E1, 0xE1E1E1, 0xE1E1E1, 0xE1E1E1, 0xE1E1E1, 0xE1E1E1,
                          0xE1E1E1, 0xE1E1E1, 0xE1E1E1, 0xE1E1E1};
plat::Font hfDate = nullptr;
int date_font_hi = -33;
plat::LogFont work_lf;
const char* const style_file_name = "tavrin.sty";
