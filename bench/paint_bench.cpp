// Whole paint passes of the face beside the cost of only erasing the same area.
#include "platform/internal.h"
#include "tavrin.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

using namespace plat;

namespace {

Clk shown{};
bool face_on = true;   // false: erase only, the floor
const int face_ini = date_on | 5;
const int face_run = paint_filled | ticker_lit;

std::intptr_t bench_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    switch (msg) {
    case WM_ERASEBKGND: fill_rect(reinterpret_cast<DC>(wp), client_rect(w), stl.rgbBkgrnd); return 1;
    case WM_PAINT:
        if (face_on)
            qzpaint(w, stock_font(), face_ini, face_run, compute_map_width(), &shown);
        return 0;
    default: return def_window_proc(w, msg, wp, lp);
    }
}

Window bench_window()
{
    static Window w = create_window({"PaintBench", "paint bench", 0, 0, 400, 300, nullptr, bench_proc});
    return w;
}

void set_up_face(int shape)
{
    LogFont lf;
    lf.height = -120;
    std::strcpy(lf.face, "Arial");
    static const Font number = create_font(lf);
    stl = {shape, number, -33, rgb(0, 0, 255), rgb(0, 0, 0), rgb(225, 225, 225)};
    hfDate = number;
    date_font_hi = -33;
    std::strcpy(shown.tens_digit, "1");
    std::strcpy(shown.units_digit, "0");
    std::strcpy(shown.date_text, "Dec 25");
    shown.increment = 7;
}

// One pass: erase and (unless measuring the floor) the face, into an image the size of the client.
void run_passes(benchmark::State& state, int shape, bool with_face)
{
    const int width = int(state.range(0)), height = int(state.range(1));
    set_up_face(shape);
    face_on = with_face;
    QWidget* top = widget_of(bench_window());
    top->resize(width, height);
    QApplication::processEvents();
    QWidget* client = client_widget_of(bench_window());
    QImage target(client->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        client->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    if (const char* dir = std::getenv("TAVRIN_BENCH_SAVE"))
        target.save(QString("%1/shape%2-%3x%4.png").arg(dir).arg(shape).arg(width).arg(height));
}

void floor_only(benchmark::State& state) { run_passes(state, CMD_SHAPE_CIRCLE, false); }
void circle(benchmark::State& state) { run_passes(state, CMD_SHAPE_CIRCLE, true); }
void indicia(benchmark::State& state) { run_passes(state, CMD_SHAPE_INDICIA, true); }
void rectangle(benchmark::State& state) { run_passes(state, CMD_SHAPE_RECT, true); }
void usa(benchmark::State& state) { run_passes(state, CMD_SHAPE_USA, true); }

void sizes(benchmark::internal::Benchmark* b) { b->Args({400, 300})->Args({1920, 1080})->Unit(benchmark::kMicrosecond); }

BENCHMARK(floor_only)->Apply(sizes);
BENCHMARK(circle)->Apply(sizes);
BENCHMARK(indicia)->Apply(sizes);
BENCHMARK(rectangle)->Apply(sizes);
BENCHMARK(usa)->Apply(sizes);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("FONTCONFIG_FILE", TAVRIN_BENCH_FONTCONF, 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
