// Paint passes of the face beside two floors measured in the same run: one
// fill of the area, and the very paths a pass draws, recorded once and
// replayed. A pass goes through the window's paint event, as a repaint does,
// and builds the face from nothing every time; a blink is the same pass
// clipped to the ticker mark.
#include "platform/qt/internal.h"
#include "tavrin.h"

#include <QApplication>
#include <QImage>
#include <QPaintEngine>
#include <QTextItem>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace plat;

namespace {

Clk shown{};
const int face_ini = date_on | 5;
const int face_run = paint_filled | ticker_lit;

std::intptr_t bench_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    switch (msg) {
    case WM_ERASEBKGND: fill_rect(reinterpret_cast<DC>(wp), client_rect(w), stl.rgbBkgrnd); return 1;
    case WM_PAINT: qzpaint(w, stock_font(), face_ini, face_run, compute_map_width(), &shown); return 0;
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

void size_window(int width, int height)
{
    widget_of(bench_window())->resize(width, height);
    QApplication::processEvents();
}

// The window's erase and paint, as its paint event runs them, on any painter.
void pass(QPainter& painter, const QRect& area)
{
    DCObj& dc = *own_dc(bench_window());
    dc.painter = &painter;
    dc.paint_rect = area;
    send_message(bench_window(), WM_ERASEBKGND, std::uintptr_t(&dc), 0);
    send_message(bench_window(), WM_PAINT, 0, 0);
    dc.painter = nullptr;
}

// ---- recording a pass: what reaches the paint engine, ready to draw again -----------

struct Op {
    enum Kind { path, rects, polygon, polyline, text } kind;
    QPainter::RenderHints hints;
    QPen pen;
    QBrush brush;
    QPainterPath shape;
    QPolygonF points;
    std::vector<QRectF> boxes;
    Qt::FillRule rule = Qt::OddEvenFill;
    QPointF at;
    QString words;
    QFont font;
};

class Recorder : public QPaintEngine {
public:
    Recorder() : QPaintEngine(AllFeatures) {}
    std::vector<Op> ops;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& s) override
    {
        if (s.state() & DirtyPen)
            pen = s.pen();
        if (s.state() & DirtyBrush)
            brush = s.brush();
        if (s.state() & DirtyHints)
            hints = s.renderHints();
    }
    void drawPath(const QPainterPath& p) override { add(Op::path).shape = p; }
    void drawRects(const QRectF* r, int n) override { add(Op::rects).boxes.assign(r, r + n); }
    void drawPolygon(const QPointF* p, int n, PolygonDrawMode mode) override
    {
        Op& op = add(mode == PolylineMode ? Op::polyline : Op::polygon);
        op.points = QPolygonF(QList<QPointF>(p, p + n));
        op.rule = mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        Op& op = add(Op::text);
        op.at = p;
        op.words = item.text();
        op.font = item.font();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

private:
    Op& add(Op::Kind kind)
    {
        ops.push_back(Op{kind, hints, pen, brush, {}, {}, {}, Qt::OddEvenFill, {}, {}, {}});
        return ops.back();
    }
    QPen pen;
    QBrush brush;
    QPainter::RenderHints hints;
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(QSize size) : size(size) {}
    mutable Recorder engine;
    QPaintEngine* paintEngine() const override { return &engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return size.width();
        case PdmHeight: return size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        case PdmDepth: return 32;
        default: return 1;
        }
    }

private:
    QSize size;
};

std::vector<Op> record_pass(QSize size)
{
    RecordingDevice device(size);
    {
        QPainter painter(&device);
        pass(painter, QRect(QPoint(0, 0), size));
    }
    if (std::getenv("TAVRIN_BENCH_DUMP"))
        for (const Op& op : device.engine.ops)
            std::printf("op %d pen %d brush %d hints %d elements %d\n", int(op.kind), int(op.pen.style()), int(op.brush.style()),
                        int(op.hints), int(op.shape.elementCount()));
    return std::move(device.engine.ops);
}

void replay(QPainter& p, const std::vector<Op>& ops)
{
    for (const Op& op : ops) {
        p.setRenderHints(op.hints, true);
        p.setRenderHints(~op.hints, false);
        p.setPen(op.pen);
        p.setBrush(op.brush);
        switch (op.kind) {
        case Op::path: p.drawPath(op.shape); break;
        case Op::rects: p.drawRects(op.boxes.data(), int(op.boxes.size())); break;
        case Op::polygon: p.drawPolygon(op.points, op.rule); break;
        case Op::polyline: p.drawPolyline(op.points); break;
        case Op::text:
            p.setFont(op.font);
            p.drawText(op.at, op.words);
            break;
        }
    }
}

// ---- the benchmarks --------------------------------------------------------------------

enum class Kind { fill, prebuilt, pass, blink };

void run(benchmark::State& state, int shape, Kind kind)
{
    const QSize size(int(state.range(0)), int(state.range(1)));
    set_up_face(shape);
    size_window(size.width(), size.height());
    QImage target(size, QImage::Format_RGB32);
    QWidget* client = client_widget_of(bench_window());
    const std::vector<Op> ops = kind == Kind::prebuilt ? record_pass(size) : std::vector<Op>{};
    QRect ticker(QPoint(0, 0), size);
    if (kind == Kind::blink) {   // the mark's rectangle comes from a pass
        QPainter p(&target);
        pass(p, ticker);
        const Rect& r = tckr_rect[face_ini & ticker_loc_mask];
        ticker = QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    }
    for (auto _ : state) {
        QPainter p(&target);
        switch (kind) {
        case Kind::fill: p.fillRect(QRect(QPoint(0, 0), size), QColor(225, 225, 225)); break;
        case Kind::prebuilt: replay(p, ops); break;
        case Kind::pass: client->render(&p); break;
        case Kind::blink: client->render(&p, QPoint(), QRegion(ticker)); break;
        }
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["ops"] = double(ops.size());
    if (const char* dir = std::getenv("TAVRIN_BENCH_SAVE"))
        target.save(QString("%1/%2-shape%3-%4x%5.png").arg(dir).arg(int(kind)).arg(shape).arg(size.width()).arg(size.height()));
}

// A fixed count of passes (TAVRIN_BENCH_ITERATIONS) lets an instruction
// profile of two counts give the cost of one pass, setup taken out.
void sizes(benchmark::internal::Benchmark* b)
{
    b->Args({400, 300})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
    if (const char* n = std::getenv("TAVRIN_BENCH_ITERATIONS"))
        b->Iterations(std::atoi(n));
}

const struct { const char* name; int shape; } shapes[] = {
    {"circle", CMD_SHAPE_CIRCLE}, {"indicia", CMD_SHAPE_INDICIA}, {"rectangle", CMD_SHAPE_RECT}, {"usa", CMD_SHAPE_USA}};

void register_all()
{
    benchmark::RegisterBenchmark("fill_area", [](benchmark::State& s) { run(s, CMD_SHAPE_CIRCLE, Kind::fill); })->Apply(sizes);
    for (const auto& s : shapes) {
        const int shape = s.shape;
        const std::string name = s.name;
        benchmark::RegisterBenchmark((name + "/prebuilt").c_str(), [shape](benchmark::State& st) { run(st, shape, Kind::prebuilt); })
            ->Apply(sizes);
        benchmark::RegisterBenchmark((name + "/pass").c_str(), [shape](benchmark::State& st) { run(st, shape, Kind::pass); })
            ->Apply(sizes);
        benchmark::RegisterBenchmark((name + "/blink").c_str(), [shape](benchmark::State& st) { run(st, shape, Kind::blink); })
            ->Apply(sizes);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("FONTCONFIG_FILE", TAVRIN_BENCH_FONTCONF, 1);
    QApplication app(argc, argv);
    register_all();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
