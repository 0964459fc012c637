// The style record, the style file and the fonts of the clock.
#include "tavrin.h"
#include "platform/os/os.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include <sys/stat.h>

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
int file_menu_state = 2;
int style_file_unreadable = 0;
int save_recent = 0;
int arial_count = 0, other_tt_count = 0;

namespace {

using plat::Font;
using plat::LogFont;
using plat::Menu;

const char* const version_line = "QZ1.1";
const char* const shape_letters = "CIRM";
const char* const default_face = "Arial";
constexpr int font_object_height = -120;   // every font is made large; the picked size is kept apart
constexpr int face_max = 31;
constexpr unsigned flag_word_ini_mask = 0xFF0FFFFF;

const char* const write_format =
    "%s,%d,%d %dx%d (%d,%d)(%d,%d) %X %c %lx,%lx,%lx %d,%d %d:%d,%d:%d %d %lx,%lx,%lx %d %d %s,%d,%d";
const char* const read_format =
    "%[^,],%d,%d %dx%d (%d,%d)(%d,%d) %X %c %lx,%lx,%lx %d,%d %d:%d,%d:%d %d %lx,%lx,%lx %d %d %[^,],%d,%d";

std::string style_string;

// ---- small helpers --------------------------------------------------------------------

std::string format_text(const char* format, ...)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? size : 0, '\0');
    if (size > 0)
        std::vsnprintf(&text[0], text.size() + 1, format, again);
    va_end(again);
    return text;
}

// How much of a face name of length bytes fits in face_max bytes without
// splitting a UTF-8 character; text that is not UTF-8 is cut at face_max.
std::size_t face_length_kept(const char* face, std::size_t length)
{
    if (length <= face_max)
        return length;
    const auto byte = [face](std::size_t i) { return static_cast<unsigned char>(face[i]); };
    std::size_t start = face_max;   // the first byte left out
    while (start > face_max - 3 && (byte(start) & 0xC0) == 0x80)
        --start;
    return start < face_max && byte(start) >= 0xC0 ? start : face_max;
}

void set_face_text(char* to, const char* face)
{
    const std::size_t kept = face_length_kept(face, std::strlen(face));
    std::memmove(to, face, kept);
    to[kept] = '\0';
}

void set_face(LogFont& lf, const char* face) { set_face_text(lf.face, face); }

int weight_code(const LogFont& lf) { return lf.weight + (lf.italic != 0 ? 1 : 0); }

// Weights come in steps of 100, so a code off the hundreds carries the italic flag.
void apply_weight_code(LogFont& lf, int code)
{
    const bool italic = code % 100 != 0;
    lf.italic = italic ? 255 : 0;
    lf.weight = italic ? code - 1 : code;
}

char shape_letter(int shape)
{
    const int index = shape - CMD_SHAPE_CIRCLE;
    return index >= 0 && index < 4 ? shape_letters[index] : shape_letters[0];
}

int shape_of_letter(char letter)
{
    for (int i = 0; i < 4; ++i)
        if (shape_letters[i] == letter)
            return CMD_SHAPE_CIRCLE + i;
    return CMD_SHAPE_CIRCLE;
}

long version_number(const std::string& line)
{
    return line.size() > 2 ? std::strtol(line.c_str() + 2, nullptr, 10) : 0;
}

bool holds_font(Font f)
{
    for (Style* const* record = stl_table; *record != nullptr; ++record)
        if ((*record)->hfont == f)
            return true;
    return hfDate == f;
}

void replace_date_font(Font f)
{
    const Font old = hfDate;
    hfDate = f;
    if (old != nullptr && old != f)
        cleanup_font(old);
}

Font make_font_at_object_height()
{
    work_lf.height = font_object_height;
    return plat::create_font(work_lf);
}

// ---- the data line ------------------------------------------------------------------------

// Walks the reader's format the way sscanf does (a blank skips any white space,
// other characters must match, each directive takes the next target), but
// numbers saturate instead of overflowing and a face keeps 31 characters.
class LineScanner {
public:
    explicit LineScanner(const char* text) : at_(text) {}

    bool scan(const char* format, std::initializer_list<void*> targets)
    {
        auto target = targets.begin();
        for (const char* f = format; *f != '\0'; ++f) {
            if (*f == ' ') {
                skip_blanks();
            } else if (*f != '%') {
                if (*at_ != *f)
                    return false;
                ++at_;
            } else if (target == targets.end() || !directive(f, *target++)) {
                return false;
            }
        }
        return true;
    }

private:
    void skip_blanks()
    {
        while (std::isspace(static_cast<unsigned char>(*at_)))
            ++at_;
    }

    // f points at the '%'; it is left on the directive's last character.
    bool directive(const char*& f, void* target)
    {
        switch (f[1]) {
        case 'd': ++f; return decimal(*static_cast<int*>(target));
        case 'X': ++f; return hex(*static_cast<unsigned*>(target));
        case 'l': f += 2; return hex(*static_cast<unsigned*>(target));
        case 'c': ++f; return letter(*static_cast<char*>(target));
        default: f += 4; return face(static_cast<char*>(target));   // "%[^,]"
        }
    }

    bool decimal(int& out)
    {
        char* end = nullptr;
        const long long value = std::strtoll(at_, &end, 10);
        if (end == at_)
            return false;
        at_ = end;
        out = int(std::clamp<long long>(value, INT_MIN, INT_MAX));
        return true;
    }

    bool hex(unsigned& out)
    {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(at_, &end, 16);
        if (end == at_)
            return false;
        at_ = end;
        out = unsigned(std::min<unsigned long long>(value, UINT_MAX));
        return true;
    }

    bool letter(char& out)
    {
        if (*at_ == '\0')
            return false;
        out = *at_++;
        return true;
    }

    bool face(char* out)
    {
        const std::size_t length = std::strcspn(at_, ",");
        if (length == 0)
            return false;
        const std::size_t kept = face_length_kept(at_, length);
        std::memcpy(out, at_, kept);
        out[kept] = '\0';
        at_ += length;
        return true;
    }

    const char* at_;
};

// Heights, weights, times and colours as far as the program can use them; a
// file may hold anything, and whatever the dialogs cannot give is brought back.
namespace bounds {
constexpr int font_height = 2000;        // LOGFONT heights within +-2000 (the picked size scales the number)
constexpr int weight_code = 1001;        // weights 0..1000, plus 1 for italic
constexpr int ticker_secs = longest_step_secs;   // the ticker is on, and off, for 1 s to an hour
constexpr int day_hours = 23;            // reversal hours 0..23
constexpr int hour_secs = 3599;          // seconds past an hour, 0..3599
constexpr int demo_secs = longest_step_secs;     // a demo step of 1 s to an hour; 0 keeps the current step
constexpr int fudge_fast = 1800;         // fudge factors -1799..1800, the fudge dialog's range
constexpr int fudge_slow = -1799;
constexpr COLORREF colour = 0x00FFFFFF;  // 0x00BBGGRR: the top byte is not a colour
}  // namespace bounds

int bounded(int value, int low, int high) { return std::clamp(value, low, high); }

// The italic flag is read off the code as written; only the weight is then brought within bounds.
int bounded_weight_code(int code)
{
    const int italic = code % 100 != 0 ? 1 : 0;
    return int(std::clamp<long long>((long long)code - italic, 0, bounds::weight_code - 1)) + italic;
}

int sane_ticker_loc(int bits)
{
    const int loc = bits & ticker_loc_mask;
    return loc >= 1 && loc <= 9 ? bits : (bits & ~ticker_loc_mask) | 5;
}

void bound_values(StyleValues& v)
{
    for (int* height : {&v.font_height, &v.date_hi})
        *height = bounded(*height, -bounds::font_height, bounds::font_height);
    for (int* code : {&v.weight, &v.date_weight})
        *code = bounded_weight_code(*code);
    v.place[2] = std::max(v.place[2], 0);   // a size below nothing; the window system has its minimum
    v.place[3] = std::max(v.place[3], 0);
    v.flags = unsigned(sane_ticker_loc(int(v.flags)));
    for (COLORREF* c : {&v.digit, &v.fig, &v.bkgrnd, &v.cc_digit, &v.cc_fig, &v.cc_bkgrnd})
        *c &= bounds::colour;
    for (COLORREF& c : v.custom)
        c &= bounds::colour;
    v.switch_at = bounded(v.switch_at, 1, bounds::ticker_secs);
    v.off_for = bounded(v.off_for, 1, bounds::ticker_secs);
    v.start_hour = bounded(v.start_hour, 0, bounds::day_hours);
    v.end_hour = bounded(v.end_hour, 0, bounds::day_hours);
    v.start_secs = bounded(v.start_secs, 0, bounds::hour_secs);
    v.end_secs = bounded(v.end_secs, 0, bounds::hour_secs);
    v.demo = bounded(v.demo, 0, bounds::demo_secs);
    v.fudge = bounded(v.fudge, bounds::fudge_slow, bounds::fudge_fast);
    // Quarter 'til starts within the hour, or is off (0). A start inside the first increment is
    // kept: it is what a change of divisions leaves of one the dialog took.
    if (v.quarter < 0 || v.quarter > bounds::hour_secs)
        v.quarter = 0;
}

// Sixteen hex numbers, one separator character after each.
void read_custom_colours(const char* at, COLORREF* custom)
{
    const char* const end = at + std::strlen(at);
    for (int i = 0; i < 16 && at < end; ++i) {
        char* after = nullptr;
        const unsigned long long value = std::strtoull(at, &after, 16);
        if (after != at)
            custom[i] = COLORREF(std::min<unsigned long long>(value, UINT_MAX));
        at = after + 1;
    }
}

// Line 1, line 2, and the first blank-free word after them. A line ends in
// LF, CR LF or a lone CR (old Mac editors), whichever the file holds.
struct StyleLines {
    std::string version, data, colours;
};

StyleLines split_lines(const char* text)
{
    StyleLines lines;
    const char* at = text;
    for (std::string* line : {&lines.version, &lines.data}) {
        const std::size_t length = std::strcspn(at, "\r\n");
        line->assign(at, length);
        at += length;
        if (*at == '\r' && at[1] == '\n')
            at += 2;
        else if (*at != '\0')
            ++at;
    }
    while (std::isspace(static_cast<unsigned char>(*at)))
        ++at;
    lines.colours.assign(at, std::strcspn(at, " \t\n\v\f\r"));
    return lines;
}

LogFont desc_or_default(Font f)
{
    LogFont lf;
    if (!plat::get_font_desc(f, lf))
        set_face(lf, default_face);
    return lf;
}

StyleValues values_in_effect(const LogFont& number, const LogFont& date, const int place[4])
{
    StyleValues v{};
    set_face_text(v.face, number.face);
    v.font_height = stl.font_height;
    v.weight = weight_code(number);
    const plat::Rect desk = plat::desktop_rect();
    v.screen_w = desk.right, v.screen_h = desk.bottom;
    std::copy(place, place + 4, v.place);
    v.flags = unsigned(ini_bits | non_ini_bits);
    v.shape = stl.shape;
    v.digit = stl.rgbDigit, v.fig = stl.rgbFig, v.bkgrnd = stl.rgbBkgrnd;
    v.switch_at = ticker_switch_at, v.off_for = ticker_off_for;
    rtrn_rvrse(&v.start_hour, &v.start_secs, &v.end_hour, &v.end_secs, &v.demo, &v.fudge, &v.quarter);
    v.cc_digit = rgbCCDigit, v.cc_fig = rgbCCFig, v.cc_bkgrnd = rgbCCBkgrnd;
    set_face_text(v.date_face, date.face);
    v.date_hi = date_font_hi;
    v.date_weight = weight_code(date);
    std::copy(std::begin(rgbCustom), std::end(rgbCustom), v.custom);
    return v;
}

// Where a first start puts the clock: near the primary screen's corner, a third of its width
// and half its height.
void first_start_place(int place[4])
{
    const plat::Rect screen = plat::primary_screen_rect();
    place[0] = screen.left + 10;
    place[1] = screen.top + 5;
    place[2] = (screen.right - screen.left) / 3;
    place[3] = (screen.bottom - screen.top) / 2;
}

void clamp_placement(int place[4])
{
    const plat::Rect desk = plat::desktop_rect();
    if (place[0] < desk.left || place[0] > desk.right)
        place[0] = desk.left;
    if (place[1] < desk.top || place[1] > desk.bottom)
        place[1] = desk.top;
    place[2] = std::min(place[2], desk.right - desk.left);
    place[3] = std::min(place[3], desk.bottom - desk.top);
    keep_window_usable(place);
}

void take_flag_word(unsigned flags)
{
    non_ini_bits = int(flags & non_ini_file_mask);
    file_ini_bits = int(flags & flag_word_ini_mask);
}

void store_file_style(const StyleValues& v, int place[4])
{
    file_stl.shape = v.shape;
    std::copy(v.place, v.place + 4, place);
    clamp_placement(place);
    update_rvrse(int(v.flags), v.start_hour, v.start_secs, v.end_hour, v.end_secs, v.demo, v.fudge, v.quarter);
    take_flag_word(v.flags);
    file_stl.rgbDigit = v.digit, file_stl.rgbFig = v.fig, file_stl.rgbBkgrnd = v.bkgrnd;
    ticker_switch_at = v.switch_at, ticker_off_for = v.off_for;
    rgbCCDigit = v.cc_digit, rgbCCFig = v.cc_fig, rgbCCBkgrnd = v.cc_bkgrnd;
    date_font_hi = v.date_hi;
    std::copy(std::begin(v.custom), std::end(v.custom), rgbCustom);

    set_face(work_lf, v.face);
    apply_weight_code(work_lf, v.weight);
    file_stl.font_height = v.font_height;
    file_stl.hfont = make_font_at_object_height();

    set_face(work_lf, v.date_face);
    apply_weight_code(work_lf, v.date_weight);
    replace_date_font(make_font_at_object_height());
}

// ---- the three styles -----------------------------------------------------------------------

void say_arial_missing()
{
    std::string text = format_text(
        "Normally, Tavrin uses the \"%s\" True Type font, size 20 point, but I don't find it on this machine. ",
        default_face);
    if (other_tt_count != 0)
        text += format_text("However there appear to be %d other True Type fonts available. Choose one of them "
                            "from the following dialogue.",
                            other_tt_count);
    else
        text += "If no font names appear in the following dialogue, please install at least one True Type font "
                "or reinstall Windows and try Tavrin again.";
    plat::message_box(nullptr, text.c_str(), "Tavrin: Cannot find font.", plat::MB_ICONEXCLAMATION);
}

// 0 when dflt_stl has its font; 1 when the user declined to pick one.
int make_default_font()
{
    arial_count = other_tt_count = 0;
    plat::enum_font_families(enumfont_proc, 0);
    work_lf.height = dflt_stl.font_height;
    work_lf.italic = 0;
    work_lf.weight = 0;
    if (arial_count != 0) {
        set_face(work_lf, default_face);
    } else {
        say_arial_missing();
        work_lf.height = stl.font_height;
        if (!plat::choose_font(nullptr, work_lf))
            return 1;
    }
    const Font made = make_font_at_object_height();
    if (made == nullptr)
        return 1;
    dflt_stl.hfont = made;
    replace_date_font(made);
    date_font_hi = dflt_stl.font_height;
    return 0;
}

int use_default_style()
{
    if (dflt_stl.hfont == nullptr && make_default_font() != 0)
        return 1;
    ini_bits = default_ini_bits;
    stl = dflt_stl;
    return 0;
}

int use_no_file_style(Menu menu, int place[4])
{
    first_start_place(place);
    fiddle_file_menu('D', menu);
    plat::enable_menu_item(menu, CMD_STYLE_FILE, false);
    return use_default_style();
}

// What reading the style file found: its text, no file at all, or a file
// that is there but cannot be read (reason says why, for the user).
struct FileText {
    enum { read, missing, unreadable } state;
    std::string text, reason;
};

// Three short lines; anything longer is no style file this program wrote.
constexpr std::size_t style_file_max_bytes = 16 * 1024;

const char* kind_of_file(unsigned mode)
{
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISFIFO(mode)) return "it is a named pipe (FIFO), not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
#ifdef S_ISSOCK
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
#endif
    return "it is not a regular file";
}

// Only a regular file (a link to one will do) is opened: a pipe would block
// the start for ever and a device could feed it without end.
FileText read_file_text(const char* path)
{
    // stat() and fopen(), not std::filesystem and std::ifstream: on Windows those bring the
    // C++ runtime's locale and stream code along, and the program nearly triples in size.
    struct stat status;
    if (stat(path, &status) != 0) {
        const int cause = errno;
        if (cause == ENOENT || cause == ENOTDIR)
            return {FileText::missing, {}, {}};
        return {FileText::unreadable, {}, std::strerror(cause)};
    }
    if (!S_ISREG(status.st_mode))
        return {FileText::unreadable, {}, kind_of_file(unsigned(status.st_mode))};
    errno = 0;
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) {
        const int cause = errno;
        return {FileText::unreadable, {}, cause != 0 ? std::strerror(cause) : "it cannot be opened"};
    }
    std::string text(style_file_max_bytes + 1, '\0');
    errno = 0;
    text.resize(std::fread(&text[0], 1, text.size(), in));
    const bool read_failed = std::ferror(in) != 0;
    const int cause = errno;
    std::fclose(in);
    if (read_failed)
        return {FileText::unreadable, {}, cause != 0 ? std::strerror(cause) : "reading it failed"};
    if (text.size() > style_file_max_bytes)
        return {FileText::unreadable, {},
                format_text("it holds more than %u bytes, far more than a style file", unsigned(style_file_max_bytes))};
    text.resize(std::strlen(text.c_str()));   // the reader stops at a NUL byte anyway
    return {FileText::read, text, {}};
}

void say_file_unreadable(const std::string& reason)
{
    const std::string text = format_text(
        "The \"%s\" file in the current subdirectory cannot be read: %s. Tavrin starts with the original default "
        "style and leaves the file as it is.",
        style_file_name, reason.c_str());
    plat::message_box(nullptr, text.c_str(), "Tavrin: Cannot read .sty", plat::MB_ICONEXCLAMATION);
}

int read_style_file(Menu menu, int place[4])
{
    const FileText file = read_file_text(style_file_name);
    style_file_unreadable = file.state == FileText::unreadable;
    if (style_file_unreadable)
        say_file_unreadable(file.reason);
    if (file.state != FileText::read)
        return use_no_file_style(menu, place);
    StyleValues values = values_in_effect(desc_or_default(stl.hfont), desc_or_default(hfDate), place);
    values.demo = 0, values.fudge = 0;   // 0 leaves both as they are
    if (read_style_text(file.text.c_str(), values) != 0) {
        plat::message_box(nullptr,
                          "The \"tavrin.sty\" file in the current subdirectory is the wrong version or corrupted. "
                          "Erase it and run Tavrin again.",
                          "Tavrin: Wrong version .sty", plat::MB_ICONSTOP);
        return 1;
    }
    store_file_style(values, place);
    ini_bits = file_ini_bits;
    stl = file_stl;
    return 0;
}

int use_file_style(Menu menu, int place[4])
{
    if (file_stl.hfont == nullptr)
        return read_style_file(menu, place);
    ini_bits = file_ini_bits;
    stl = file_stl;
    return 0;
}

int use_recent_style()
{
    if (recent_stl.hfont == nullptr)   // no snapshot yet: nothing to go back to
        return 0;
    ini_bits = recent_ini_bits;
    stl = recent_stl;
    return 0;
}

void snapshot_recent_style()
{
    save_recent = 0;
    if (recent_stl.hfont != nullptr && recent_stl.hfont != stl.hfont) {
        const Font old = recent_stl.hfont;
        recent_stl.hfont = nullptr;
        cleanup_font(old);
    }
    recent_stl = stl;
    recent_ini_bits = ini_bits;
}

// ---- the File menu ------------------------------------------------------------------------------

const char file_menu_events[] = "FRDf";

// Next state by state (rows 1..5) and event ("F", "R", "D", "f"). "R" never
// comes in states 1 and 2, where its item is gray; the state then stays.
const int file_menu_next[6][4] = {
    {2, 2, 2, 2}, {1, 1, 2, 3}, {1, 2, 2, 3}, {4, 3, 5, 3}, {4, 3, 5, 3}, {4, 3, 5, 3},
};

struct FileMenuLook {
    int checked;
    bool recent_enabled;
};
const FileMenuLook file_menu_look[6] = {
    {CMD_STYLE_DEFAULT, false}, {CMD_STYLE_FILE, false}, {CMD_STYLE_DEFAULT, false},
    {CMD_STYLE_RECENT, true},   {CMD_STYLE_FILE, true},  {CMD_STYLE_DEFAULT, true},
};

int file_menu_event_index(char event)
{
    const char* found = event != '\0' ? std::strchr(file_menu_events, event) : nullptr;
    return found != nullptr ? int(found - file_menu_events) : -1;
}

void show_file_menu_state(Menu menu, int state)
{
    plat::enable_menu_item(menu, CMD_STYLE_RECENT, true);
    for (int id : {CMD_STYLE_RECENT, CMD_STYLE_FILE, CMD_STYLE_DEFAULT})
        plat::check_menu_item(menu, id, false);
    plat::check_menu_item(menu, file_menu_look[state].checked, true);
    if (!file_menu_look[state].recent_enabled)
        plat::enable_menu_item(menu, CMD_STYLE_RECENT, false);
}

// ---- applying the style -----------------------------------------------------------------------------

const int style_items[] = {CMD_DIV_12,       CMD_DIV_8,         CMD_TICKER,     CMD_DATE,
                           CMD_CENTER_SINGLE, CMD_SHAPE_CIRCLE, CMD_SHAPE_INDICIA, CMD_SHAPE_RECT,
                           CMD_SHAPE_USA,    CMD_MILITARY,      CMD_2_COLOR,    CMD_3_COLOR};

struct FlagItem {
    int flag;
    int item;
};
const FlagItem flag_items[] = {{date_on, CMD_DATE}, {center_single, CMD_CENTER_SINGLE}, {military, CMD_MILITARY}};

void apply_ticker(plat::Window w, Menu menu, int* run)
{
    *run &= ~ticker_lit;
    if (ini_bits & ticker_on) {
        plat::check_menu_item(menu, CMD_TICKER, true);
        plat::set_timer(w, ticker_timer, 1000);
    } else {
        plat::kill_timer(w, ticker_timer);
    }
}

}  // namespace

// ---- the operations of the style module ------------------------------------------------------------

int init_stl()
{
    work_lf = LogFont{};
    return 0;
}

// Any size a user can give the clock by resizing it is kept, however small. A side too short
// to be seen gets a first start's length, and a window wholly off the desktop a first start's
// place, so that the clock is never lost at every start.
int keep_window_usable(int place[4])
{
    const plat::Rect desk = plat::desktop_rect();
    int first[4];
    first_start_place(first);
    const int room[2] = {desk.right - desk.left, desk.bottom - desk.top};
    for (int i : {0, 1}) {
        int& side = place[2 + i];
        if (side < min_window_side)
            side = first[2 + i];
        side = std::min(side, std::max(room[i], min_window_side));
    }
    const long long right = (long long)place[0] + place[2], bottom = (long long)place[1] + place[3];
    if (place[0] >= desk.right || place[1] >= desk.bottom || right <= desk.left || bottom <= desk.top) {
        place[0] = first[0];
        place[1] = first[1];
        return 1;
    }
    return 0;
}

int get_style(char choice, Menu menu, int place[4])
{
    if (save_recent)
        snapshot_recent_style();
    const int bits_on_entry = ini_bits;
    int result = 0;
    switch (choice) {
    case 'R': result = use_recent_style(); break;
    case 'F': result = use_file_style(menu, place); break;
    case 'D': result = use_default_style(); break;
    default: break;
    }
    if (result != 0)
        return result;
    if ((ini_bits ^ bits_on_entry) & eight_div)
        update_rvrse(-1, 0, 0, 0, 0, 0, 0, 0);
    return 0;
}

COLORREF* set_style(plat::Window w, int* run)
{
    const Menu menu = plat::get_menu(w);
    for (int id : style_items)
        plat::check_menu_item(menu, id, false);
    apply_ticker(w, menu, run);
    if (!(ini_bits & bars_shown))
        plat::send_message(w, plat::WM_COMMAND, CMD_HIDE_BARS, 0);
    plat::check_menu_item(menu, (ini_bits & eight_div) ? CMD_DIV_8 : CMD_DIV_12, true);
    for (const FlagItem& f : flag_items)
        if (ini_bits & f.flag)
            plat::check_menu_item(menu, f.item, true);
    plat::check_menu_item(menu, stl.shape, true);
    const bool three = (ini_bits & three_color) != 0;
    plat::check_menu_item(menu, three ? CMD_3_COLOR : CMD_2_COLOR, true);
    plat::enable_menu_item(menu, CMD_COLOR_DIGIT, three);
    return rgbCustom;
}

int read_style_text(const char* text, StyleValues& v)
{
    const StyleLines lines = split_lines(text);
    if (version_number(lines.version) != version_number(version_line))
        return 1;
    char shape = shape_letter(v.shape);
    LineScanner(lines.data.c_str())
        .scan(read_format, {v.face, &v.font_height, &v.weight, &v.screen_w, &v.screen_h, &v.place[0], &v.place[1],
                            &v.place[2], &v.place[3], &v.flags, &shape, &v.digit, &v.fig, &v.bkgrnd, &v.switch_at,
                            &v.off_for, &v.start_hour, &v.start_secs, &v.end_hour, &v.end_secs, &v.demo,
                            &v.cc_digit, &v.cc_fig, &v.cc_bkgrnd, &v.fudge, &v.quarter, v.date_face, &v.date_hi,
                            &v.date_weight});
    v.shape = shape_of_letter(shape);
    read_custom_colours(lines.colours.c_str(), v.custom);
    bound_values(v);
    return 0;
}

std::string style_text_of(const StyleValues& v, int with_custom)
{
    std::string text = format_text(
        write_format, v.face, v.font_height, v.weight, v.screen_w, v.screen_h, v.place[0], v.place[1], v.place[2],
        v.place[3], v.flags, shape_letter(v.shape), (unsigned long)v.digit, (unsigned long)v.fig,
        (unsigned long)v.bkgrnd, v.switch_at, v.off_for, v.start_hour, v.start_secs, v.end_hour, v.end_secs, v.demo,
        (unsigned long)v.cc_digit, (unsigned long)v.cc_fig, (unsigned long)v.cc_bkgrnd, v.fudge, v.quarter,
        v.date_face, v.date_hi, v.date_weight);
    if (with_custom) {
        text += '\n';
        for (COLORREF colour : v.custom)
            text += format_text("%lx,", (unsigned long)colour);
    }
    return text;
}

const char* make_style_string(int with_custom, int x, int y, int width, int height)
{
    plat::get_font_desc(stl.hfont, work_lf);
    LogFont date;
    plat::get_font_desc(hfDate, date);
    const int place[4] = {x, y, width, height};
    style_string = style_text_of(values_in_effect(work_lf, date, place), with_custom);
    return style_string.c_str();
}

int write_style_text(const char* path, const std::string& text)
{
    return os::replace_file(path, text);
}

int write_style_file(const char* path, const int place[4])
{
    return write_style_text(path, std::string(version_line) + "\n" +
                                      make_style_string(1, place[0], place[1], place[2], place[3]) + "\n");
}

int close_stl()
{
    for (Style* const* record = stl_table; *record != nullptr; ++record) {
        const Font f = (*record)->hfont;
        (*record)->hfont = nullptr;
        if (f != nullptr)
            cleanup_font(f);
    }
    replace_date_font(nullptr);
    return 0;
}

char fiddle_file_menu(char event, Menu menu)
{
    save_recent = 0;
    if (file_menu_state == 3 && event == 'f')
        return 'R';
    const int old_state = file_menu_state >= 1 && file_menu_state <= 5 ? file_menu_state : 2;
    const int e = file_menu_event_index(event);
    file_menu_state = e >= 0 ? file_menu_next[old_state][e] : old_state;
    show_file_menu_state(menu, file_menu_state);
    if (file_menu_state >= 3 && old_state == 3)
        save_recent = 1;
    return 'R';
}

int enumfont_proc(const LogFont& lf, unsigned type, std::intptr_t)
{
    if (type & plat::TRUETYPE_FONTTYPE) {
        if (std::strcmp(lf.face, default_face) == 0)
            ++arial_count;
        else
            ++other_tt_count;
    }
    return 9;
}

int font_dialog(Font* slot, int* height)
{
    plat::get_font_desc(*slot, work_lf);
    const LogFont before = work_lf;
    work_lf.height = *height;
    if (!plat::choose_font(nullptr, work_lf))
        return 0;
    if (work_lf.height == *height && work_lf.weight == before.weight && work_lf.italic == before.italic &&
        std::strcmp(work_lf.face, before.face) == 0)
        return 0;
    *height = work_lf.height;
    *slot = make_font_at_object_height();
    return 1;
}

// The date slot counts as a holder too: right after the default style is made,
// the date font and the default number font are one object.
int cleanup_font(Font f)
{
    if (!holds_font(f))
        plat::delete_font(f);
    return 0;
}
