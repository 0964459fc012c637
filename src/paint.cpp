// The clock face. Every pass builds it from nothing: the hour number from font
// outlines, the figure as a shape region clipped by a wedge, and the ticker mark.
#include "tavrin.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace plat;

// ---- division tables: leading record, vertices, end record -------------------------

const DivVertex circle_divs_12[] = {
    {0.9, 0, 0},
    {0, 0x02, -1}, {21, 0x32, 1}, {0, 0x12, 0}, {30, 0x16, 1}, {0, 0x10, -1}, {32, 0x15, 2},
    {0, 0x11, 0}, {25, 0x31, 2}, {0, 0x01, -1}, {28, 0x41, 3}, {0, 0x21, 0}, {30, 0x25, 3},
    {0, 0x20, -1}, {30, 0x26, 4}, {0, 0x22, 0}, {25, 0x42, 4},
    {0.9, 255, 0},
};

const DivVertex circle_divs_8[] = {
    {0.9, 0, 0},
    {0, 0x02, -1}, {0, 0x12, 0}, {43.8, 0x16, 1}, {0, 0x10, -1}, {45, 0x11, 2},
    {0, 0x01, -1}, {45, 0x21, 3}, {0, 0x20, -1}, {45, 0x22, 4},
    {0.9, 255, 0},
};

const DivVertex rect_divs_12[] = {
    {0.9, 0, 0},
    {0, 0x02, 1}, {36, 0x32, 1}, {0, 0x12, 0}, {25, 0x16, 1}, {0, 0x10, 1}, {25, 0x15, 1},
    {0, 0x11, 0}, {42.675, 0x31, 1}, {0, 0x01, 1}, {40, 0x41, 1}, {0, 0x21, 0}, {25, 0x25, 1},
    {0, 0x20, 1}, {25, 0x26, 1}, {0, 0x22, 0}, {40, 0x42, 1},
    {0.9, 255, 0},
};

const DivVertex rect_divs_8[] = {
    {0.9, 0, 0},
    {0, 0x02, 1}, {0, 0x12, 0}, {36.9, 0x16, 1}, {0, 0x10, 1}, {36.9, 0x15, 1}, {0, 0x11, 0},
    {0, 0x01, 1}, {0, 0x21, 0}, {36.7, 0x25, 1}, {0, 0x20, 1}, {36.9, 0x26, 1}, {0, 0x22, 0},
    {0.9, 255, 0},
};

const DivVertex usa_divs_12[] = {
    {0.9, 0, 0},
    {0, 0x02, 1}, {35, 0x32, 1}, {0, 0x12, 0}, {25, 0x16, 1}, {0, 0x10, 1}, {33, 0x15, 1},
    {0, 0x11, 0}, {25, 0x31, 1}, {0, 0x01, 1}, {40, 0x41, 1}, {0, 0x21, 0}, {25, 0x25, 1},
    {0, 0x20, 1}, {25, 0x26, 1}, {0, 0x22, 0}, {40, 0x42, 1},
    {0.9, 255, 0},
};

const DivVertex usa_divs_8[] = {
    {0.9, 0, 0},
    {0, 0x02, 1}, {0, 0x12, 0}, {32.7, 0x16, 1}, {0, 0x10, 1}, {35, 0x15, 1}, {0, 0x11, 0},
    {0, 0x01, 1}, {0, 0x21, 0}, {36, 0x25, 1}, {0, 0x20, 1}, {40.5, 0x26, 1},
    {0.9, 255, 0},
};

Rect tckr_rect[10];
int error_reported = 0;

namespace {

constexpr double pi = 3.1415926535;
constexpr int end_vcode = 255;
constexpr int msg_size = 600;
constexpr int wedge_max = 24;
constexpr int usa_max = 553;
// How a paint pass ended: a text that gave no outline hands back no font; a brush that
// could not be made ends the drawing, and the pass ends as usual.
enum : int { drawn = 0, text_failed = 1, brush_failed = 2 };
constexpr int label_floor = -7;   // state labels never get smaller than 7 pixels

const char* const esc_hint_text = "Hit Esc to get Menu and Title bars back.";
const char* const quit_advice =
    "\n\nClick OK to Exit (without saving) Tavrin, then restart it noramlly. "
    "If fonts in another window have shifted, close that window and open it again.";

struct PointList {
    int count = 0;
    Point* points = nullptr;
    std::uint8_t* types = nullptr;
};

// Everything one pass makes; nothing of it outlives the pass.
struct Pass {
    Window w;
    DC dc;
    FaceFrame f;
    int ini, run;
    Clk* clock;
    int zero_half_w, zero_half_h;
    PointList units, tens;
    Region digit_rgn, shape_rgn, wedge_rgn, ticker_rgn;
    Font result;

    bool filled() const { return (run & paint_filled) != 0; }
    bool lit() const { return (run & ticker_lit) != 0; }
    bool three() const { return (ini & three_color) != 0; }
    bool eight() const { return (ini & eight_div) != 0; }
    Point centre() const { return {f.half_w, f.half_h}; }
};

// ---- messages --------------------------------------------------------------------------

// Leaves room for the advice that message_and_quit appends in place.
template <typename... Args>
void report(Window w, const char* format, Args... args)
{
    char text[msg_size];
    std::snprintf(text, sizeof text - std::strlen(quit_advice), format, args...);
    message_and_quit(text, w);
}

// ---- the division tables ---------------------------------------------------------------

const DivVertex* div_table(int shape, bool eight)
{
    if (shape == CMD_SHAPE_RECT)
        return eight ? rect_divs_8 : rect_divs_12;
    if (shape == CMD_SHAPE_USA)
        return eight ? usa_divs_8 : usa_divs_12;
    return eight ? circle_divs_8 : circle_divs_12;
}

bool is_end(const DivVertex& v) { return v.vcode == end_vcode; }

int x_of(int selector, int half_w, double px, int previous)
{
    switch (selector) {
    case 0x00: return 0;
    case 0x10: return half_w;
    case 0x20: return -half_w;
    case 0x30: return int(px);
    case 0x40: return int(-px);
    default: return previous;
    }
}

int y_of(int selector, int half_h, double py, int previous)
{
    switch (selector) {
    case 0: return 0;
    case 1: return half_h;
    case 2: return -half_h;
    case 5: return int(py);
    case 6: return int(-py);
    default: return previous;
    }
}

// Face-centred vertex on the client border.
Point vertex_of(const DivVertex& v, int half_w, int half_h, Point previous)
{
    const double t = std::tan(v.angle * pi / 180);
    const double px = (double(half_w) / half_h) * (t * half_h);
    const double py = (double(half_h) / half_w) * (t * half_w);
    return {x_of(v.vcode & 0xF0, half_w, px, previous.x), y_of(v.vcode & 0x0F, half_h, py, previous.y)};
}

// ---- figure ----------------------------------------------------------------------------------

void radial_line(Pass& p, Point to)
{
    const Point line[2] = {p.centre(), to};
    polyline(p.dc, line, 2);
}

// From the centre along the border, 12 o'clock to the boundary of this increment.
Region make_wedge(Pass& p, const DivVertex* table)
{
    Point pts[wedge_max];
    int n = 0;
    pts[n++] = p.centre();
    Point face = {0, 0};
    int boundaries = 0;
    for (const DivVertex* v = table + 1; !is_end(*v) && n < wedge_max - 1; ++v) {
        face = vertex_of(*v, p.f.half_w, p.f.half_h, face);
        trnspt(face.x, face.y, &pts[n], p.f.half_w, p.f.half_h);
        if (v->div_mark != 0) {
            if (!p.filled())
                radial_line(p, pts[n]);
            ++boundaries;
        }
        ++n;
        if (boundaries == p.clock->increment + 1)
            break;
    }
    pts[n++] = p.centre();
    return create_polygon_rgn(pts, n);
}

Region usa_region(const FaceFrame& f)
{
    Point scratch[usa_max] = {};
    int n = 0;
    for (; n < usa_max - 1 && (USary[n].x != 0 || USary[n].y != 0); ++n)
        trans_and_scale(USary[n].x, USary[n].y, &scratch[n], f.half_w, f.half_h, f.map_scale_x, f.map_scale_y);
    return create_polygon_rgn(scratch, n - 1);
}

Region rect_region(const FaceFrame& f)
{
    const int q = (3 * f.fig_ry) / 4;
    const int corners[5][2] = {{-f.fig_rx, q}, {f.fig_rx, q}, {f.fig_rx, -q}, {-f.fig_rx, -q}, {-f.fig_rx, q}};
    Point pts[5];
    for (int i = 0; i < 5; ++i)
        trnspt(corners[i][0], corners[i][1], &pts[i], f.half_w, f.half_h);
    return create_polygon_rgn(pts, 5);
}

Region shape_region(int shape, const FaceFrame& f)
{
    if (shape == CMD_SHAPE_RECT)
        return rect_region(f);
    if (shape == CMD_SHAPE_USA)
        return usa_region(f);
    return create_ellipse_rgn({f.half_w - f.fig_rx, f.half_h - f.fig_ry, f.half_w + f.fig_rx, f.half_h + f.fig_ry});
}

void fill_figure(Pass& p)
{
    combine_rgn(p.shape_rgn, p.shape_rgn, p.wedge_rgn, (p.run & contracting) ? RGN_DIFF : RGN_AND);
    if (!p.three())
        combine_rgn(p.shape_rgn, p.digit_rgn, p.shape_rgn, RGN_XOR);
    if (p.lit())
        combine_rgn(p.shape_rgn, p.ticker_rgn, p.shape_rgn, RGN_XOR);
    if (!fill_rgn(p.dc, p.shape_rgn, stl.rgbFig))
        report_brush_failure(p.w, "In WM PAINT. 2-color fig brush failied to create at %d(%d) after %d iterations.",
                             *p.clock);
    else if (p.three() && !fill_rgn(p.dc, p.digit_rgn, stl.rgbDigit))
        report_brush_failure(p.w, "In WM PAINT. 3-color dig brush failied to create at %d(%d) after %d iterations.",
                             *p.clock);
}

void figure(Pass& p)
{
    p.shape_rgn = shape_region(stl.shape, p.f);
    p.wedge_rgn = make_wedge(p, div_table(stl.shape, p.eight()));
    if (p.filled())
        fill_figure(p);
}

// The top of the hour: the number alone.
void bare_number(Pass& p)
{
    fill_rgn(p.dc, p.digit_rgn, p.three() ? stl.rgbDigit : stl.rgbFig);
    if (p.lit())
        fill_rgn(p.dc, p.ticker_rgn, stl.rgbFig);
}

void frame_outlines(Pass& p)
{
    frame_rgn(p.dc, p.wedge_rgn);
    frame_rgn(p.dc, p.shape_rgn);
    if (p.lit())
        frame_rgn(p.dc, p.ticker_rgn);
}

// ---- indicia ---------------------------------------------------------------------------------

void indicium(Pass& p, const DivVertex& v, int ox, int oy)
{
    const double theta = (v.vcode & 4) ? 90 - v.angle : v.angle;
    Point outer;
    quadrantize(v.div_mark, ox, oy, &outer);
    const Point tip = {outer.x * 22 / 20, outer.y * 22 / 20};
    const double a = theta * pi / 180, b = (theta + 0.5) * pi / 180;
    const double corners[4][2] = {{std::sin(a) * outer.x, std::cos(a) * outer.y},
                                  {std::sin(a) * tip.x, std::cos(a) * tip.y},
                                  {std::sin(b) * tip.x, std::cos(b) * tip.y},
                                  {std::sin(b) * outer.x, std::cos(b) * outer.y}};
    Point pts[4];
    for (int i = 0; i < 4; ++i)
        trnspt(int(corners[i][0]), int(corners[i][1]), &pts[i], p.f.half_w, p.f.half_h);
    polygon(p.dc, pts, 4, stl.rgbFig);
}

void indicia(Pass& p)
{
    const int ox = p.f.fig_rx + p.f.fig_rx / 7, oy = p.f.fig_ry + p.f.fig_ry / 7;
    const DivVertex* table = p.eight() ? circle_divs_8 : circle_divs_12;
    for (const DivVertex* v = table + 2; !is_end(*v); ++v)
        if (v->div_mark > 0)
            indicium(p, *v, ox, oy);
}

// ---- ticker ------------------------------------------------------------------------------------

// A corner coordinate as d·k_d + m·k_m + r·k_r, so one table serves both round and square marks.
struct Coef {
    int d, m, r;
};
struct CornerCoefs {
    Coef x, y;
};

const CornerCoefs circle_corners[10] = {
    {},
    {{-1, -1, 0}, {-1, -1, 0}}, {{0, -1, 0}, {0, -2, -1}}, {{1, 0, 0}, {-1, 0, 0}},
    {{0, -2, -1}, {0, -1, 0}},  {{0, -1, 0}, {0, -1, 0}},  {{0, 0, 1}, {0, -1, 0}},
    {{-1, 0, 0}, {1, 0, 0}},    {{0, -1, 0}, {0, 0, 1}},   {{1, -1, 0}, {1, -1, 0}},
};

const CornerCoefs rect_corners[10] = {
    {},
    {{0, -2, -1}, {0, -2, -1}}, {{0, -1, 0}, {0, -2, -1}}, {{0, 0, 1}, {0, -2, -1}},
    {{0, -2, -1}, {0, -1, 0}},  {{0, -1, 0}, {0, -1, 0}},  {{0, 0, 1}, {0, -1, 0}},
    {{0, -2, -1}, {0, 0, 1}},   {{0, -1, 0}, {0, 0, 1}},   {{0, 0, 1}, {0, 0, 1}},
};

int corner(const Coef& c, int d, int m, int r) { return c.d * d + c.m * m + c.r * r; }

bool valid_loc(int loc) { return loc >= 1 && loc <= 9; }

void place_marks(const FaceFrame& f, const CornerCoefs* table, int m, int dx, int dy, int ry)
{
    for (int i = 1; i <= 9; ++i) {
        const int x = corner(table[i].x, dx, m, f.fig_rx), y = corner(table[i].y, dy, m, ry);
        trnsrct(x, y, x + 2 * m, y + 2 * m, &tckr_rect[i], f.half_w, f.half_h);
    }
}

Region circle_ticker(const FaceFrame& f, int loc)
{
    const int m = f.tick_margin;
    place_marks(f, circle_corners, m, int((m + f.fig_rx) / 1.4142135624), int((m + f.fig_ry) / 1.4142135624), f.fig_ry);
    return valid_loc(loc) ? create_ellipse_rgn(tckr_rect[loc]) : nullptr;
}

Region rect_ticker(const FaceFrame& f, int loc)
{
    place_marks(f, rect_corners, (13 * f.tick_margin) / 16, 0, 0, (3 * f.fig_ry) / 4);
    return valid_loc(loc) ? create_rect_rgn(tckr_rect[loc]) : nullptr;
}

int label_height(const FaceFrame& f)
{
    const int h = int(stl.font_height * f.map_scale_y * f.map_scale_x * 2.0);
    return h > label_floor ? label_floor : h;
}

void place_labels(DC dc, const FaceFrame& f)
{
    for (int i = 1; i <= 9; ++i) {
        Point at;
        trans_and_scale(map_tckr_ary[i].x, map_tckr_ary[i].y, &at, f.half_w, f.half_h, f.map_scale_x, f.map_scale_y);
        const Size s = text_extent(dc, map_tckr_langstr[i]);
        tckr_rect[i] = {at.x - s.cx / 2, at.y - s.cy / 2, at.x + s.cx / 2 + 3, at.y + s.cy / 2};
    }
}

Region label_outline(DC dc, int loc)
{
    begin_path(dc);
    path_text(dc, tckr_rect[loc].left, tckr_rect[loc].top, map_tckr_langstr[loc]);
    end_path(dc);
    return path_to_region(dc);
}

Region usa_ticker(DC dc, const FaceFrame& f, int loc)
{
    LogFont lf;
    get_font_desc(stl.hfont, lf);
    lf.height = label_height(f);
    const Font label = create_font(lf);
    const Font before = select_font(dc, label);
    place_labels(dc, f);
    const Region mark = valid_loc(loc) ? label_outline(dc, loc) : nullptr;
    select_font(dc, before);
    delete_font(label);
    return mark;
}

Region ticker(Pass& p)
{
    const int loc = p.ini & ticker_loc_mask;
    switch (stl.shape) {
    case CMD_SHAPE_CIRCLE:
    case CMD_SHAPE_INDICIA: return circle_ticker(p.f, loc);
    case CMD_SHAPE_RECT: return rect_ticker(p.f, loc);
    case CMD_SHAPE_USA: return usa_ticker(p.dc, p.f, loc);
    default: return nullptr;
    }
}

// ---- the hour number and the date line ---------------------------------------------------

void release(PointList& list)
{
    std::free(list.points);
    std::free(list.types);
    list = PointList{};
}

int text_list(Pass& p, const char* text, Point at, int half_w0, int half_h0, float sx, float sy, double shift,
              PointList& list)
{
    return play_digit_fill_array(p.dc, p.w, text, at.x, at.y, half_w0, half_h0, sx, sy, &list.count,
                                 &list.points, &list.types, shift);
}

Region region_of(DC dc, const PointList& a, const PointList* b)
{
    begin_path(dc);
    draw_array(dc, a.count, a.points, a.types);
    if (b != nullptr && b->points != nullptr)
        draw_array(dc, b->count, b->points, b->types);
    end_path(dc);
    return path_to_region(dc);
}

int truetype_line(Pass& p, const char* text)
{
    PointList line;
    if (text_list(p, text, {0, 0}, 0, 0, p.f.date_scale_x, p.f.date_scale_y, 0.0, line) != 0)
        return text_failed;
    const Region r = region_of(p.dc, line, nullptr);
    const bool brushed = fill_rgn(p.dc, r, stl.rgbDigit);
    if (r != nullptr && !delete_rgn(r))
        beep();
    release(line);
    if (brushed)
        return drawn;
    report_brush_failure(p.w, "In WM PAINT. date brush failied to create at %d(%d) after %d iterations.", *p.clock);
    return brush_failed;
}

const char* line_text(const Pass& p)
{
    if (p.run & esc_hint)
        return esc_hint_text;
    if (p.ini & date_on)
        return p.clock->date_text;
    return nullptr;
}

int date_line(Pass& p, Font orig)
{
    char text[sizeof p.clock->date_text + 1] = {};
    const char* words = line_text(p);
    if (words == p.clock->date_text) {   // the record's field need not hold its terminator
        std::memcpy(text, words, sizeof p.clock->date_text);
        words = text;
    }
    if (words == nullptr)
        return 0;
    const bool truetype = (p.ini & date_truetype) != 0;
    const Font before = select_font(p.dc, truetype ? hfDate : orig);
    int failed = drawn;
    if (truetype)
        failed = truetype_line(p, words);
    else
        text_out(p.dc, 0, 0, words, stl.rgbDigit);
    select_font(p.dc, before);
    return failed;
}

int number_lists(Pass& p)
{
    const char units[2] = {p.clock->units_digit[0], '\0'};
    const char tens[2] = {p.clock->tens_digit[0], '\0'};
    const bool centred = (p.ini & center_single) && tens[0] == '\0';
    if (text_list(p, units, p.centre(), p.zero_half_w, p.zero_half_h, p.f.num_scale_x, p.f.num_scale_y,
                  centred ? 0.0 : 1.1, p.units) != 0)
        return 1;
    if (tens[0] == '\0')
        return 0;
    return text_list(p, tens, p.centre(), p.zero_half_w, p.zero_half_h, p.f.num_scale_x, p.f.num_scale_y, -1.0,
                     p.tens);
}

// ---- the pass ------------------------------------------------------------------------------

int paint_face(Pass& p, Font orig)
{
    if (const int failed = date_line(p, orig))
        return failed;
    if (number_lists(p) != 0)
        return text_failed;
    if (p.filled()) {
        p.digit_rgn = region_of(p.dc, p.units, &p.tens);
        if (stl.shape == CMD_SHAPE_INDICIA)
            indicia(p);
    }
    p.ticker_rgn = ticker(p);
    if (p.clock->increment >= 1)
        figure(p);
    else if (p.filled())
        bare_number(p);
    if (!p.filled())
        frame_outlines(p);
    return drawn;
}

void clean_up(Pass& p)
{
    for (Region r : {p.digit_rgn, p.shape_rgn, p.wedge_rgn, p.ticker_rgn})
        if (r != nullptr && !delete_rgn(r))
            beep();
    release(p.units);
    release(p.tens);
}

void cross(DC dc, Point at)
{
    const Point across[2] = {{at.x - 2, at.y}, {at.x + 2, at.y}};
    const Point down[2] = {{at.x, at.y - 2}, {at.x, at.y + 2}};
    polyline(dc, across, 2);
    polyline(dc, down, 2);
}

// A developer's view of the raw outline points at a fixed scale.
void map_plot_view(DC dc)
{
    Point scratch[usa_max] = {};
    int n = 0;
    for (; n < usa_max - 1 && (USary[n].x != 0 || USary[n].y != 0); ++n) {
        trans_and_scale(USary[n].x, USary[n].y, &scratch[n], 100, 362, 1.65f, 1.65f);
        cross(dc, scratch[n]);
    }
    polyline(dc, scratch, n - 1);
}

}  // namespace

// ---- geometry ------------------------------------------------------------------------------

FaceFrame face_frame(int width, int height, int font_height, int date_font_height, int map_w)
{
    FaceFrame f{};
    f.half_w = width / 2;
    f.half_h = height / 2;
    f.aspect = float(f.half_h) / float(f.half_w);
    f.fig_rx = (2 * width) / 5;
    f.fig_ry = (2 * height) / 5;
    f.tick_margin = std::max((f.fig_rx + f.fig_ry) / 60, 2);
    f.num_scale_x = float((-double(font_height) * width) / 7000.0);
    f.num_scale_y = f.num_scale_x * f.aspect;
    f.map_scale_x = float((width * map_w) / 920000.0);
    f.map_scale_y = f.map_scale_x * f.aspect;
    f.date_scale_x = float((-double(date_font_height) * width) / 25700.0);
    f.date_scale_y = f.date_scale_x * f.aspect;
    return f;
}

int quadrantize(int quadrant, int a, int b, Point* out)
{
    static const int sign[5][2] = {{1, 1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    const int q = (quadrant >= 1 && quadrant <= 4) ? quadrant : 0;
    *out = {sign[q][0] * a, sign[q][1] * b};
    return 0;
}

int trnspt(int x, int y, Point* out, int dx, int dy)
{
    *out = {x + dx, y + dy};
    return 0;
}

int trnsrct(int left, int top, int right, int bottom, Rect* out, int dx, int dy)
{
    *out = {left + dx, top + dy, right + dx, bottom + dy};
    return 0;
}

int trans_and_scale(int x, int y, Point* out, int dx, int dy, float sx, float sy)
{
    *out = {int(float(x) * sx) + dx, int(float(y) * sy) + dy};
    return 0;
}

// ---- outline text --------------------------------------------------------------------------

int play_digit_fill_array(DC dc, Window w, const char* text, int dx, int dy, int half_w0, int half_h0, float sx,
                          float sy, int* count, Point** points, std::uint8_t** types, double shift)
{
    *points = nullptr;
    *types = nullptr;
    *count = 0;
    begin_path(dc);
    if (!path_text(dc, -half_w0, -half_h0, text)) {
        end_path(dc);
        report(w, "In WM PAINT. Text Out of \"%s\" into path failed, Get Last Error %d", text, last_error());
        return 1;
    }
    end_path(dc);
    int n = get_path(dc, nullptr, nullptr, 0);
    if (n == -1) {
        report(w, "In WM PAINT. After Text Out of \"%s\" into path, could not count points. GLE %d", text,
               last_error());
        return 1;
    }
    const std::size_t room = std::size_t(std::max(n, 1));
    errno = 0;
    Point* pts = static_cast<Point*>(std::calloc(room, sizeof(Point)));
    std::uint8_t* kinds = static_cast<std::uint8_t*>(std::calloc(room, 1));
    if (pts == nullptr || kinds == nullptr) {
        std::free(pts);
        std::free(kinds);
        report(w, "In WM PAINT. Global Alloc failed for %d num points. Get Last Error %d", n, errno);
        return 1;
    }
    n = n > 0 ? get_path(dc, pts, kinds, n) : 0;
    const int slide = int(half_w0 * shift * sx);
    for (int i = 0; i < n; ++i) {
        trans_and_scale(pts[i].x, pts[i].y, &pts[i], dx, dy, sx, sy);
        pts[i].x += slide;
    }
    *count = n;
    *points = pts;
    *types = kinds;
    return 0;
}

int draw_array(DC dc, int count, const Point* points, const std::uint8_t* types)
{
    for (int i = 0; i < count; ++i) {
        switch (types[i]) {
        case PT_LINETO:
        case PT_LINETO | PT_CLOSEFIGURE: path_line_to(dc, points[i]); break;
        case PT_BEZIERTO:
        case PT_BEZIERTO | PT_CLOSEFIGURE:
            if (i + 2 >= count)   // a curve needs all three of its points
                return 0;
            path_bezier_to(dc, points + i);
            i += 2;
            break;
        case PT_MOVETO: path_move_to(dc, points[i]); break;
        default: break;
        }
    }
    path_close_figure(dc);
    return 0;
}

void report_brush_failure(Window w, const char* format, const Clk& clock)
{
    report(w, format, clock.hour, clock.increment, dv_cnt);
}

int message_and_quit(char* text, Window w)
{
    if (error_reported)
        return 0;
    error_reported = 1;
    std::strcat(text, quit_advice);
    message_box(w, text, "Error from Tavrin.exe", MB_OK);
    post_message(w, WM_COMMAND, CMD_EXIT_NO_SAVE, 0);
    return 0;
}

// ---- the paint pass ---------------------------------------------------------------------------

Font qzpaint(Window w, Font orig, int ini, int run, int map_w, Clk* clock)
{
    const Rect client = client_rect(w);
    const int width = client.right - client.left, height = client.bottom - client.top;
    DC dc = begin_paint(w);
    if (dc == nullptr || clock == nullptr)
        return nullptr;
    // A client too small for a face centre (minimised, say) has nothing to show.
    if (width < 2 || height < 2) {
        end_paint(w, dc);
        return nullptr;
    }
    if (run & map_plot) {
        map_plot_view(dc);
        end_paint(w, dc);
        return nullptr;
    }
    Pass p{};
    p.w = w;
    p.dc = dc;
    p.ini = ini;
    p.run = run;
    p.clock = clock;
    if (current_font(dc) != stl.hfont)
        p.result = select_font(dc, stl.hfont);
    const Size zero = text_extent(dc, "0");
    p.zero_half_w = zero.cx / 2;
    p.zero_half_h = zero.cy / 2;
    p.f = face_frame(width, height, stl.font_height, date_font_hi, map_w);
    // A failed text-to-path conversion ends the pass with nothing handed back:
    // the font it replaced stays selected and stays in use.
    const bool failed = paint_face(p, orig) == text_failed;
    clean_up(p);
    end_paint(w, dc);
    return failed ? nullptr : p.result;
}
