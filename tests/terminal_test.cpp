// What the program prints on a terminal, with no display to connect to.
#include "tavrin.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    std::string out;   // standard output and standard error
    int status;        // exit status, or 128 + signal
};

// The program with no display, in the environment given (DISPLAY and
// WAYLAND_DISPLAY are unset unless the environment sets them).
Outcome run_without_display(const std::string& env, const std::string& args)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR " + env + " '" +
                                TAVRIN_PROGRAM "' " + args + " 2>&1";
    Outcome run{"", -1};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[256];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

const std::string no_display =
    "tavrin: cannot open a display: DISPLAY is not set, WAYLAND_DISPLAY is not set\n";

TEST(Terminal, HelpAndVersionNeedNoDisplayAndTheClockRefusesCleanly)
{
    struct Case { const char* env; const char* args; std::string out; int status; bool any_out = false; };
    const std::string version = std::string("tavrin ") + TAVRIN_VERSION + "\n";
    const Case cases[] = {
        {"QT_QPA_PLATFORM=xcb", "--help", terminal_usage_text, 0},
        {"QT_QPA_PLATFORM=xcb", "-h", terminal_usage_text, 0},
        {"QT_QPA_PLATFORM=xcb", "--version", version, 0},
        {"QT_QPA_PLATFORM=xcb", "12 30 --help", terminal_usage_text, 0},
        {"QT_QPA_PLATFORM=xcb", "-h --version", terminal_usage_text, 0},
        // The clock itself needs the display, and says so instead of aborting.
        {"QT_QPA_PLATFORM=xcb", "12 30", no_display, 1},
        {"-u QT_QPA_PLATFORM", "", no_display, 1},
        {"QT_QPA_PLATFORM=wayland", "0 0 2", no_display, 1},
        {"-u QT_QPA_PLATFORM DISPLAY=:7391", "12 30",
         "tavrin: cannot open a display: DISPLAY is \":7391\", WAYLAND_DISPLAY is not set\n", 1},
        // A platform that needs no display is left to start: the clock runs until stopped.
        {"QT_QPA_PLATFORM=offscreen timeout 3", "12 30", "", 124, true},
    };
    for (const Case& c : cases) {
        const Outcome run = run_without_display(c.env, c.args);
        if (!c.any_out) {
            EXPECT_EQ(run.out, c.out) << c.env << " " << c.args;
        }
        EXPECT_EQ(run.status, c.status) << c.env << " " << c.args;
    }
}

// Each entry (indented, a key, two blanks or more) has its text in one column, with no tabs to spoil it.
TEST(Terminal, HelpIsAlignedAndListsItsOwnOptions)
{
    std::istringstream lines(terminal_usage_text);
    std::set<std::size_t> columns;
    std::set<std::string> keys;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t key = line.find_first_not_of(' '), gap = line.find("  ", key);
        if (line.rfind("  ", 0) == 0 && gap != std::string::npos) {
            columns.insert(line.find_first_not_of(' ', gap));
            keys.insert(line.substr(key, gap - key));
        }
    }
    EXPECT_EQ(std::string(terminal_usage_text).find('\t'), std::string::npos);
    EXPECT_EQ(columns.size(), 1u);
    EXPECT_GE(keys.size(), 9u);   // the start time, six options, and these two:
    EXPECT_TRUE(keys.count("-h, --help") && keys.count("--version"));
}

}  // namespace
