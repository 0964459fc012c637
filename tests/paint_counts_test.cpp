// Painting leaves nothing behind: after many passes the platform holds the
// same objects, and the process the same memory, as before them. And the
// short cut that intersects regions with a fan cuts what the clipper would.
#include "paint_harness.h"

#include <gtest/gtest.h>

#include <cmath>
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
    const struct { int shape, ini, run; } cases[] = {
        {CMD_SHAPE_CIRCLE, date_on | date_truetype | 5, paint_filled | ticker_lit},
        {CMD_SHAPE_INDICIA, date_on | three_color | 5, paint_filled | ticker_lit},
        {CMD_SHAPE_RECT, date_on | 7, paint_filled | ticker_lit | contracting},
        {CMD_SHAPE_USA, date_on | 3, paint_filled | ticker_lit},
    };
#ifdef __SANITIZE_ADDRESS__
    const bool sanitized = true;   // AddressSanitizer holds freed memory back on purpose
#else
    const bool sanitized = false;
#endif
    widget_of(face_window())->resize(48, 36);
    QApplication::processEvents();
    QImage target(client_widget_of(face_window())->size(), QImage::Format_RGB32);
    for (const auto& c : cases) {
        plain_style(c.shape, c.ini, c.run);
        passes(target, 24);   // Qt's own caches fill on the first passes
        const Counts before = counts();
        const long kb = resident_kb();
        passes(target, 10000);
        EXPECT_EQ(counts(), before) << "shape " << c.shape;
        if (!sanitized) {
            EXPECT_LE(resident_kb() - kb, 256) << "shape " << c.shape;
        }
    }
}

// A region cut to a fan (a polygon all of whose corners turn one way about
// its first) holds exactly the pixels in both, whatever the sweep, also when
// it falls into several pieces, and also for a subject with a dent.
TEST(RegionCut, AndHoldsThePixelsInBoth)
{
    const Point u_shape[] = {{20, 20}, {180, 20}, {180, 180}, {130, 180}, {130, 60}, {70, 60}, {70, 180}, {20, 180}};
    const Point quarter[] = {{100, 100}, {100, 0}, {200, 0}, {200, 100}, {100, 100}};
    const Point most[] = {{100, 100}, {100, 0}, {200, 0}, {200, 200}, {0, 200}, {0, 10}, {100, 100}};
    const Point all_but[] = {{100, 100}, {100, 0}, {200, 0}, {200, 200}, {0, 200}, {0, 0}, {60, 0}, {100, 100}};
    const Point hook[] = {{0, 0}, {200, 0}, {200, 120}, {90, 120}, {90, 80}, {150, 80}, {150, 40}, {0, 40}};
    const struct { const Point* pts; int n; } clips[] = {{quarter, 5}, {most, 7}, {all_but, 8}, {hook, 8}};
    for (int subject = 0; subject < 2; ++subject)
        for (const auto& c : clips) {
            const Region a = subject == 0 ? create_ellipse_rgn({10, 30, 190, 170}) : create_polygon_rgn(u_shape, 8);
            const Region b = create_polygon_rgn(c.pts, c.n);
            const Region both = create_rect_rgn({0, 0, 1, 1});
            ASSERT_TRUE(combine_rgn(both, a, b, RGN_AND));
            int wrong = 0, inside = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x) {
                    const bool want = rgn_contains(a, x, y) && rgn_contains(b, x, y);
                    inside += want;
                    // The ellipse is cut as the lines a fill would draw it with.
                    const double ex = (x + 0.5 - 100) / 90, ey = (y + 0.5 - 100) / 70;
                    const bool on_curve = subject == 0 && std::abs(ex * ex + ey * ey - 1) < 0.03;
                    wrong += rgn_contains(both, x, y) != want && !on_curve;
                }
            EXPECT_GT(inside, 1000);
            EXPECT_LE(wrong, 4) << "subject " << subject << ", clip of " << c.n << " corners";
            for (Region r : {a, b, both})
                delete_rgn(r);
        }
}

}  // namespace
