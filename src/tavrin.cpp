// Start-up and shut-down: the command line, the style, the window and its message loop.
#include "tavrin.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

const char* const usage_text =
    "Tavrin  hr  min  [option-number]\n    options:  1-command line time frozen (default when no op-num),\n"
    "\t2-demo mode (at default frequency),\n\t3-outline only (no digits),\n"
    "\t4-demo mode but only digits change.\n\t6-enable stress test.\n\t7-two :05-s, no :00.\n";

// The same for a terminal, whose tab stops would not line up with the box's
// text, and which also answers --help and --version.
const char* const terminal_usage_text =
    "Usage: tavrin [hr min [option-number]]\n"
    "       tavrin --help | -h | --version\n"
    "\n"
    "  hr min        the start time, for the options below\n"
    "  options:\n"
    "    1           command line time frozen (default when no op-num)\n"
    "    2           demo mode (at default frequency)\n"
    "    3           outline only (no digits)\n"
    "    4           demo mode but only digits change\n"
    "    6           enable stress test\n"
    "    7           two :05-s, no :00\n"
    "  -h, --help    print this text and exit\n"
    "  --version     print the version and exit\n"
    "\n"
    "With no arguments the clock shows the real time. A command line holding a\n"
    "question mark shows the options in a box.\n";

int ww_pos_size[4] = {10, 5, 341, 384};

namespace {

// What an option changes in the main window before the time source is set.
struct OptionEffect {
    int option;
    int clear_run_bits;
    int set_run_bits;
    int microsec;       // 0: unchanged
    int time_option;    // handed on to the time model
};

const OptionEffect option_effects[] = {
    {3, paint_filled, 0, 0, 3},
    {5, 0, map_plot, 0, 5},
    {6, 0, 0, 100, 0},
};

}  // namespace

// Read as "%d %d %d" would read it, with the same count (-1 when the text ends
// before the first number), but a number too long for an int saturates.
CommandLine parse_command_line(const char* text)
{
    CommandLine cl;
    const char* at = text != nullptr ? text : "";
    int read = 0;
    for (int* field : {&cl.hr, &cl.min, &cl.option}) {
        if (!scan_number(at, *field))
            break;
        ++read;
    }
    while (read == 0 && std::isspace(static_cast<unsigned char>(*at)))
        ++at;
    cl.fields_read = read == 0 && *at == '\0' ? -1 : read;
    return cl;
}

int save_allowed_for(const CommandLine& cl)
{
    return cl.fields_read == -1 || cl.option == 6;
}

// A save that fails keeps the old file, but the user must hear that this run's
// changes are lost, and the shell sees it in the exit status.
int save_style_at_end(const int place[4])
{
    if (style_file_unreadable)   // what could not be read is not replaced unseen
        return 0;
    int usable[4] = {place[0], place[1], place[2], place[3]};
    keep_window_usable(usable);
    errno = 0;
    const int failed = write_style_file(style_file_name, usable);
    const int cause = errno;
    if (failed == 0)
        return 0;
    const std::string text = std::string("The style could not be saved in the \"") + style_file_name +
                             "\" file in the current subdirectory: " +
                             (cause != 0 ? std::strerror(cause) : "the file could not be written") +
                             ". The changes of this run are not kept; an old file is left as it was.";
    plat::message_box(nullptr, text.c_str(), "Tavrin: Style not saved", plat::MB_OK | plat::MB_ICONEXCLAMATION);
    return 1;
}

void exception_init_wp(int option, int hr, int min)
{
    for (const OptionEffect& e : option_effects) {
        if (e.option != option)
            continue;
        run_bits = (run_bits & ~e.clear_run_bits) | e.set_run_bits;
        if (e.microsec != 0)
            microsec_factor = e.microsec;
        option = e.time_option;
        break;
    }
    demo_init_sc(option, hr, min);
}

namespace {

// The window the clock lives in, created where the style (or the command line) says.
plat::Window create_clock_window(plat::Menu menu, const CommandLine& cl)
{
    static const int map_plot_place[4] = {-500, 0, 1024, 856};
    const int* place = cl.option == 5 ? map_plot_place : ww_pos_size;
    plat::WindowSpec spec = {"QZClockClass", "the Tavrin Clock", place[0], place[1], place[2], place[3],
                             menu, MainWndProc};
    return plat::create_window(spec);
}

void start_failure_box(const char* format, const char* caption)
{
    char text[160];
    std::snprintf(text, sizeof text, format, plat::last_error());
    plat::message_box(nullptr, text, caption, plat::MB_OK | plat::MB_ICONSTOP);
}

void usage_box()
{
    plat::beep();
    plat::message_box(nullptr, usage_text, "Tavrin Command line parameters",
                      plat::MB_OK | plat::MB_ICONINFORMATION);
}

}  // namespace

int WinMain(const char* command_line)
{
    if (std::strchr(command_line, '?')) {
        usage_box();
        return 0;
    }
    trace_init(add_msgs, 512, 160, 32, 132, -1);
    CommandLine cl = parse_command_line(command_line);
    if (cl.fields_read > 1)
        exception_init_wp(cl.option, cl.hr, cl.min);
    int save_allowed = save_allowed_for(cl);
    init_stl();
    plat::Menu menu = plat::load_menu("MAINMENU");
    fiddle_file_menu('F', menu);
    int status = 1;   // for the shell: start-up failed until the message loop has run
    if (get_style('F', menu, ww_pos_size) == 0) {
        if (cl.fields_read != -1 && cl.option != 6) {
            static const int fixed_place[4] = {10, 5, 526, 564};
            std::memcpy(ww_pos_size, fixed_place, sizeof ww_pos_size);
        }
        plat::Window w = nullptr;
        if (!plat::register_window_class("QZClockClass")) {
            start_failure_box("Call to Microsoft's Register(Window)Class function failed. Get last error %d",
                              "Tavrin is way off.");
        } else if ((w = create_clock_window(menu, cl)) == nullptr) {
            start_failure_box("Call to Microsoft's Create Window Ex function failed. Get last error %d", "Tavrin isn't.");
        } else {
            plat::set_focus(w);
            int quit_code = plat::run_message_loop();
            status = quit_code != 0 && save_allowed ? save_style_at_end(ww_pos_size) : 0;
        }
    }
    close_stl();
    trace_close();
    return status;
}
