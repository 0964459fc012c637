// The USA outline table and the ticker labels that sit around it.
#include "tavrin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int outline_points = 552;   // the closing repeat included, the (0, 0) end not

bool same(plat::Point a, plat::Point b) { return a.x == b.x && a.y == b.y; }

long long cross(plat::Point o, plat::Point a, plat::Point b)
{
    return static_cast<long long>(a.x - o.x) * (b.y - o.y) - static_cast<long long>(a.y - o.y) * (b.x - o.x);
}

int sign(long long v) { return (v > 0) - (v < 0); }

bool on_segment(plat::Point a, plat::Point b, plat::Point p)
{
    return cross(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
           std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

bool segments_meet(plat::Point a, plat::Point b, plat::Point c, plat::Point d)
{
    if (sign(cross(a, b, c)) * sign(cross(a, b, d)) < 0 && sign(cross(c, d, a)) * sign(cross(c, d, b)) < 0)
        return true;
    return on_segment(a, b, c) || on_segment(a, b, d) || on_segment(c, d, a) || on_segment(c, d, b);
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

TEST(UsaOutline, TableEndsAfterAClosedRingOfTheRightLength)
{
    EXPECT_TRUE(same(USary[outline_points], {0, 0}));
    EXPECT_TRUE(same(USary[outline_points - 1], USary[0]));
    for (int i = 0; i < outline_points; ++i)
        EXPECT_FALSE(same(USary[i], {0, 0})) << "an early end point at " << i;
}

TEST(UsaOutline, TellingPointsSitAtTheirIndices)
{
    const struct { int index; plat::Point at; } telling[] = {
        {0, {-434, -269}},  {31, {-397, -335}}, {199, {492, -267}}, {435, {5, 290}},
        {436, {0, 288}},    {531, {-483, -135}}, {551, {-434, -269}},
    };
    for (const auto& t : telling)
        EXPECT_TRUE(same(USary[t.index], t.at)) << "index " << t.index << " is ("
                                                << USary[t.index].x << ", " << USary[t.index].y << ")";
}

TEST(UsaOutline, NoPointReachesBeyondTheExtremePoints)
{
    for (int i = 0; i < outline_points; ++i) {
        EXPECT_GE(USary[i].x, USary[531].x) << i;
        EXPECT_LE(USary[i].x, USary[199].x) << i;
        EXPECT_GE(USary[i].y, USary[31].y) << i;
        EXPECT_LE(USary[i].y, USary[435].y) << i;
    }
}

TEST(UsaOutline, WidthWalkStopsAtTheFirstZeroCoordinate)
{
    for (int i = 0; i < 436; ++i)
        EXPECT_TRUE(USary[i].x != 0 && USary[i].y != 0) << "zero coordinate at " << i;
    EXPECT_EQ(compute_map_width(), 928);
}

TEST(UsaOutline, RunsClockwiseOnTheScreenWithoutTouchingItself)
{
    long long twice_area = 0;
    for (int i = 0; i + 1 < outline_points; ++i)
        twice_area += static_cast<long long>(USary[i].x) * USary[i + 1].y -
                      static_cast<long long>(USary[i + 1].x) * USary[i].y;
    EXPECT_GT(twice_area, 0) << "y grows downwards, so clockwise has a positive area";

    const int edges = outline_points - 1;
    for (int i = 0; i < edges; ++i) {
        const plat::Point a = USary[i], b = USary[i + 1], c = USary[(i + 2) % edges];
        EXPECT_FALSE(same(a, b)) << "repeated point at " << i;
        EXPECT_FALSE(cross(a, b, c) == 0 && (a.x - b.x) * (c.x - b.x) + (a.y - b.y) * (c.y - b.y) > 0)
            << "the outline doubles back at " << i + 1;
        for (int j = i + 2; j < edges; ++j) {
            if (!(i == 0 && j == edges - 1)) {
                EXPECT_FALSE(segments_meet(a, b, USary[j], USary[j + 1])) << "edges " << i << " and " << j;
            }
        }
    }
}

TEST(UsaOutline, LooksLikeTheCountryAroundTheGulf)
{
    EXPECT_TRUE(inside_outline(350, 230)) << "Florida";
    EXPECT_FALSE(inside_outline(300, 200)) << "the Gulf west of Florida";
    EXPECT_FALSE(inside_outline(200, 285)) << "the Gulf south of Louisiana";
    EXPECT_FALSE(inside_outline(-300, 200)) << "the Pacific off Mexico";
}

TEST(TickerLabels, TablesHoldTheNineLabelsAfterAnUnusedEntry)
{
    const struct { plat::Point at; const char* label; } expected[10] = {
        {{0, 0}, ""},        {{-435, -355}, "WA"}, {{20, -305}, "MI"}, {{430, -287}, "MA"},
        {{-462, -42}, "CA"}, {{0, 0}, "USA"},      {{452, 33}, "NC"},  {{-360, 124}, "CA"},
        {{60, 275}, "TX"},   {{350, 290}, "FL"},
    };
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(same(map_tckr_ary[i], expected[i].at)) << i;
        EXPECT_EQ(std::string(map_tckr_langstr[i]), expected[i].label) << i;
    }
}

TEST(TickerLabels, EachLabelSitsAtItsPlaceAroundTheOutline)
{
    EXPECT_TRUE(inside_outline(map_tckr_ary[5].x, map_tckr_ary[5].y)) << "USA is on the map";
    const int left = USary[531].x, width = USary[199].x - left;
    const int top = USary[31].y, height = USary[435].y - top;
    for (int loc = 1; loc <= 9; ++loc) {
        const plat::Point p = map_tckr_ary[loc];
        const int column = std::clamp((p.x - left) * 3 / width, 0, 2);
        const int row = std::clamp((p.y - top) * 3 / height, 0, 2);
        EXPECT_EQ(column, (loc - 1) % 3) << map_tckr_langstr[loc] << " at location " << loc;
        EXPECT_EQ(row, (loc - 1) / 3) << map_tckr_langstr[loc] << " at location " << loc;
        if (loc != 5) {
            EXPECT_LT(distance_to_outline(p), 60.0) << map_tckr_langstr[loc] << " strays from the coast";
        }
    }
}
