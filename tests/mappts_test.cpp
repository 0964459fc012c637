// The USA outline table and the ticker labels that sit around it.
#include "tavrin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int outline_points = 552;   // the closing repeat included, the (0, 0) end not

bool same(plat::Point a, plat::Point b) { return a.x == b.x && a.y == b.y; }

int side(plat::Point o, plat::Point a, plat::Point b)   // which way o, a, b turn; 0 in a line
{
    const long long c = static_cast<long long>(a.x - o.x) * (b.y - o.y) - static_cast<long long>(a.y - o.y) * (b.x - o.x);
    return (c > 0) - (c < 0);
}

bool on_segment(plat::Point a, plat::Point b, plat::Point p)
{
    return side(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
           std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

bool segments_meet(plat::Point a, plat::Point b, plat::Point c, plat::Point d)
{
    return (side(a, b, c) * side(a, b, d) < 0 && side(c, d, a) * side(c, d, b) < 0) || on_segment(a, b, c) ||
           on_segment(a, b, d) || on_segment(c, d, a) || on_segment(c, d, b);
}

bool inside_outline(double x, double y)
{
    bool inside = false;
    for (int i = 0; i + 1 < outline_points; ++i) {
        const plat::Point a = USary[i], b = USary[i + 1];
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / double(b.y - a.y))
            inside = !inside;
    }
    return inside;
}

double distance_to_outline(plat::Point p)
{
    double best = 1e9;
    for (int i = 0; i + 1 < outline_points; ++i) {
        const double ax = USary[i].x, ay = USary[i].y;
        const double dx = USary[i + 1].x - ax, dy = USary[i + 1].y - ay;
        const double t = std::clamp(((p.x - ax) * dx + (p.y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        best = std::min(best, std::hypot(p.x - ax - t * dx, p.y - ay - t * dy));
    }
    return best;
}

}  // namespace

TEST(UsaOutline, ClosedRingWithinItsExtremesEndingInOneZeroPoint)
{
    // The extremes the other checks measure against: west, north, east, south; then the width walk's stop.
    const struct { int index; plat::Point at; } telling[] = {
        {0, {-434, -269}}, {31, {-397, -335}}, {199, {492, -267}}, {435, {5, 290}}, {436, {0, 288}}, {531, {-483, -135}},
    };
    for (const auto& t : telling)
        EXPECT_TRUE(same(USary[t.index], t.at))
            << "index " << t.index << " is (" << USary[t.index].x << ", " << USary[t.index].y << ")";
    EXPECT_TRUE(same(USary[outline_points], {0, 0}));
    EXPECT_TRUE(same(USary[outline_points - 1], USary[0]));
    for (int i = 0; i < outline_points; ++i) {
        EXPECT_FALSE(same(USary[i], {0, 0})) << "an early end point at " << i;
        EXPECT_TRUE(i >= 436 || (USary[i].x != 0 && USary[i].y != 0)) << "a zero before the width walk's stop at " << i;
        const plat::Point p = USary[i];
        EXPECT_TRUE(p.x >= USary[531].x && p.x <= USary[199].x && p.y >= USary[31].y && p.y <= USary[435].y) << "beyond at " << i;
    }
    EXPECT_EQ(compute_map_width(), 928);
}

TEST(UsaOutline, RunsClockwiseOnTheScreenWithoutTouchingItself)
{
    long long twice_area = 0;
    const int edges = outline_points - 1;
    for (int i = 0; i < edges; ++i) {
        const plat::Point a = USary[i], b = USary[i + 1], c = USary[(i + 2) % edges];
        twice_area += static_cast<long long>(a.x) * b.y - static_cast<long long>(b.x) * a.y;
        EXPECT_FALSE(same(a, b)) << "repeated point at " << i;
        EXPECT_FALSE(side(a, b, c) == 0 && (a.x - b.x) * (c.x - b.x) + (a.y - b.y) * (c.y - b.y) > 0)
            << "the outline doubles back at " << i + 1;
        for (int j = i + 2; j < edges; ++j)
            EXPECT_TRUE((i == 0 && j == edges - 1) || !segments_meet(a, b, USary[j], USary[j + 1]))
                << "edges " << i << " and " << j;
    }
    EXPECT_GT(twice_area, 0) << "y grows downwards, so clockwise has a positive area";
}

TEST(TickerLabels, EachSitsAtItsPlaceAroundTheCountryAndItsGulf)
{
    const struct { double x, y; bool inside; const char* what; } shape[] = {
        {350, 230, true, "Florida"}, {300, 200, false, "the Gulf west of Florida"},
        {200, 285, false, "the Gulf south of Louisiana"}, {-300, 200, false, "the Pacific off Mexico"},
        {double(map_tckr_ary[5].x), double(map_tckr_ary[5].y), true, "the USA label"},
    };
    for (const auto& s : shape)
        EXPECT_EQ(inside_outline(s.x, s.y), s.inside) << s.what;
    std::string labels;
    for (int i = 0; i < 10; ++i)
        labels += std::string(map_tckr_langstr[i]) + (i < 9 ? "|" : "");
    EXPECT_EQ(labels, "|WA|MI|MA|CA|USA|NC|CA|TX|FL");   // after an unused entry
    EXPECT_TRUE(same(map_tckr_ary[5], {0, 0}));
    const int left = USary[531].x, width = USary[199].x - left, top = USary[31].y, height = USary[435].y - top;
    for (int loc = 1; loc <= 9; ++loc) {
        const plat::Point p = map_tckr_ary[loc];
        EXPECT_EQ(std::clamp((p.x - left) * 3 / width, 0, 2), (loc - 1) % 3) << map_tckr_langstr[loc] << " at " << loc;
        EXPECT_EQ(std::clamp((p.y - top) * 3 / height, 0, 2), (loc - 1) / 3) << map_tckr_langstr[loc] << " at " << loc;
        EXPECT_TRUE(loc == 5 || distance_to_outline(p) < 60.0) << map_tckr_langstr[loc] << " strays from the coast";
    }
}
