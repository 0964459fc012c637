// Start-up to the first painted frame, the clock beside a plain Qt program
// with the same menus: CPU time (as the benchmark's time), peak resident
// memory and font files mapped of each child, started afresh for every iteration. The clock starts
// once without a style file (it then looks for its default font) and once
// with the file its previous run saved.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

struct Figures {
    double cpu_s = 0, rss_kb = 0, font_files = 0;
};

Figures run_child(const std::string& program, const std::string& dir, const char* mode = "")
{
    const std::string command = "cd '" + dir + "' && '" + program + "' " + mode;
    Figures f;
    if (FILE* out = popen(command.c_str(), "r")) {
        long cpu_us = 0, rss_kb = 0, fonts = 0;
        if (std::fscanf(out, "%ld %ld %ld", &cpu_us, &rss_kb, &fonts) == 3)
            f = {cpu_us / 1e6, double(rss_kb), double(fonts)};
        pclose(out);
    }
    return f;
}

std::string fresh_dir()
{
    char name[] = "/tmp/tavrin-startup-XXXXXX";
    return mkdtemp(name) ? name : "/tmp";
}

void measure(benchmark::State& state, const std::string& program, const std::string& dir, bool keep_no_file)
{
    double rss = 0, fonts = 0;
    for (auto _ : state) {
        if (keep_no_file)
            std::remove((dir + "/tavrin.sty").c_str());
        const Figures f = run_child(program, dir);
        if (f.cpu_s == 0) {
            state.SkipWithError("the child reported nothing");
            return;
        }
        state.SetIterationTime(f.cpu_s);
        rss = std::max(rss, f.rss_kb);
        fonts = f.font_files;
    }
    state.counters["peak_rss_kB"] = rss;
    state.counters["font_files"] = fonts;
}

void plain_qt(benchmark::State& state) { measure(state, TAVRIN_STARTUP_PLAIN, fresh_dir(), false); }

void clock_first_run(benchmark::State& state) { measure(state, TAVRIN_STARTUP_CLOCK, fresh_dir(), true); }

void clock_saved_style(benchmark::State& state)
{
    const std::string dir = fresh_dir();
    run_child(TAVRIN_STARTUP_CLOCK, dir, "close");   // leaves the style file behind
    measure(state, TAVRIN_STARTUP_CLOCK, dir, false);
}

BENCHMARK(plain_qt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(clock_first_run)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(clock_saved_style)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
