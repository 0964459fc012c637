// Painting leaves nothing behind: after many passes the platform holds the
// same objects, and the process the same memory, as before them.
#include "paint_harness.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

using namespace paint_test;

struct Counts {
    int live_regions, live_fonts, held_regions, held_fonts;
    bool operator==(const Counts& o) const
    {
        return live_regions == o.live_regions && live_fonts == o.live_fonts && held_regions == o.held_regions &&
               held_fonts == o.held_fonts;
    }
};

std::ostream& operator<<(std::ostream& out, const Counts& c)
{
    return out << "live " << c.live_regions << " regions, " << c.live_fonts << " fonts; held " << c.held_regions
               << " regions, " << c.held_fonts << " fonts";
}

Counts counts() { return {live_region_count(), live_font_count(), held_region_count(), held_font_count()}; }

long resident_kb()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Every increment of the hour, so that the bare number and every wedge are drawn.
void passes(QImage& target, int n)
{
    QWidget* client = client_widget_of(face_window());
    for (int i = 0; i < n; ++i) {
        face.clock.increment = i % 12;
        client->render(&target);
    }
}

TEST(PaintCounts, TenThousandPassesOfEachShapeLeaveNothingBehind)
{
    const int lit_truetype_date = date_on | date_truetype | 5;
    const struct { int shape, ini, run; } cases[] = {
        {CMD_SHAPE_CIRCLE, lit_truetype_date, paint_filled | ticker_lit},
        {CMD_SHAPE_INDICIA, lit_truetype_date | three_color, paint_filled | ticker_lit},
        {CMD_SHAPE_RECT, date_on | 7, paint_filled | ticker_lit | contracting},
        {CMD_SHAPE_USA, lit_truetype_date, paint_filled | ticker_lit},
        {CMD_SHAPE_USA, date_on | 3, ticker_lit},   // outline only
    };
    widget_of(face_window())->resize(48, 36);
    QApplication::processEvents();
    QImage target(client_widget_of(face_window())->size(), QImage::Format_RGB32);
    for (const auto& c : cases) {
        plain_style(c.shape, c.ini, c.run);
        passes(target, 24);   // Qt's own caches fill on the first passes
        const Counts before = counts();
        const long kb = resident_kb();
        QElapsedTimer t; t.start();
        passes(target, 10000);
        std::printf("case %d: %lld ms\n", c.shape, t.elapsed());
        EXPECT_EQ(counts(), before) << "shape " << c.shape;
        EXPECT_LE(resident_kb() - kb, 256) << "shape " << c.shape;
    }
}

}  // namespace
