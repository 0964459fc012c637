// What the program prints on a terminal, with no display to connect to.
#include "tavrin.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    std::string out;
    bool exited_with_0;
};

// The program with no display: one that reaches the window system fails.
Outcome run_without_display(const std::string& args)
{
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" TAVRIN_PROGRAM "' " + args + " 2>/dev/null";
    Outcome run{"", false};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[256];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exited_with_0 = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

TEST(Terminal, HelpAndVersionNeedNoDisplay)
{
    struct Case { const char* args; std::string out; bool exited_with_0; };
    const std::string version = std::string("tavrin ") + TAVRIN_VERSION + "\n";
    const Case cases[] = {
        {"--help", usage_text, true},
        {"-h", usage_text, true},
        {"--version", version, true},
        {"12 30 --help", usage_text, true},
        {"-h --version", usage_text, true},
        {"12 30", "", false},   // the clock itself needs the display
    };
    for (const Case& c : cases) {
        const Outcome run = run_without_display(c.args);
        EXPECT_EQ(run.out, c.out) << c.args;
        EXPECT_EQ(run.exited_with_0, c.exited_with_0) << c.args;
    }
}

}  // namespace
