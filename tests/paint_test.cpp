// Face geometry, outline text, regions and the error box.
#include "paint_harness.h"

#include <gtest/gtest.h>

using namespace paint_test;

TEST(FaceGeometry, FrameAndTransformsTruncate)
{
    const FaceFrame f = face_frame(400, 300, -33, -33, 928);
    EXPECT_EQ(std::vector<int>({f.half_w, f.half_h, f.fig_rx, f.fig_ry, f.tick_margin}),
              std::vector<int>({200, 150, 160, 120, 4}));
    EXPECT_FLOAT_EQ(f.aspect, 0.75f);
    EXPECT_NEAR(f.num_scale_x, 1.8857, 1e-4);
    EXPECT_NEAR(f.map_scale_x, 0.403478, 1e-6);
    EXPECT_NEAR(f.map_scale_y, 0.302609, 1e-6);
    EXPECT_NEAR(f.date_scale_x / f.num_scale_x, 7000.0 / 25700.0, 1e-6);
    const FaceFrame odd = face_frame(401, 301, -33, -33, 928);
    EXPECT_EQ(std::vector<int>({odd.half_w, odd.half_h, odd.fig_rx, odd.fig_ry}), std::vector<int>({200, 150, 160, 120}));
    EXPECT_EQ(face_frame(50, 50, -33, -33, 928).tick_margin, 2);

    Point p, q;
    trans_and_scale(-3, 5, &p, 10, 10, 0.5f, 0.5f);
    trans_and_scale(USary[0].x, USary[0].y, &q, f.half_w, f.half_h, f.map_scale_x, f.map_scale_y);
    EXPECT_EQ(std::vector<int>({p.x, p.y, q.x, q.y}), std::vector<int>({9, 12, 25, 69}));
    const int signs[5][2] = {{0, 0}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    for (int quadrant = 1; quadrant <= 4; ++quadrant) {
        quadrantize(quadrant, 7, 9, &p);
        EXPECT_TRUE(p.x == 7 * signs[quadrant][0] && p.y == 9 * signs[quadrant][1]) << quadrant;
    }
}

class OutlineText : public ::testing::Test {
protected:
    DC dc = nullptr;
    Size zero{};
    void SetUp() override
    {
        plain_style(CMD_SHAPE_CIRCLE);
        dc = window_dc(face_window());
        select_font(dc, stl.hfont);
        zero = text_extent(dc, "0");
    }
    std::vector<Point> digit(const char* text, int half_w0, double shift, std::vector<std::uint8_t>* types = nullptr)
    {
        int n = 0;
        Point* pts = nullptr;
        std::uint8_t* kinds = nullptr;
        EXPECT_EQ(play_digit_fill_array(dc, face_window(), text, 200, 150, half_w0, zero.cy / 2, 1.8857f, 1.4143f, &n,
                                        &pts, &kinds, shift), 0);
        std::vector<Point> out(pts, pts + n);
        if (types)
            types->assign(kinds, kinds + n);
        std::free(pts);
        std::free(kinds);
        return out;
    }
};

TEST_F(OutlineText, ShiftMovesEveryPointSideways)
{
    const std::vector<Point> centred = digit("0", 20, 0.0), right = digit("0", 20, 1.1), left = digit("0", 20, -1.0);
    ASSERT_GT(centred.size(), 8u);
    ASSERT_EQ(right.size(), centred.size());
    for (std::size_t i = 0; i < centred.size(); ++i) {
        EXPECT_EQ(right[i].x - centred[i].x, 41);
        EXPECT_EQ(left[i].x - centred[i].x, -37);
    }
}

TEST_F(OutlineText, FiguresCloseAndCountersBecomeHoles)
{
    std::vector<std::uint8_t> types;
    const std::vector<Point> eight = digit("8", zero.cx / 2, 0.0, &types);
    int figures = 0;
    for (std::size_t i = 0; i < types.size(); ++i) {
        figures += types[i] == PT_MOVETO;
        const bool last_of_figure = i + 1 == types.size() || types[i + 1] == PT_MOVETO;
        EXPECT_EQ((types[i] & PT_CLOSEFIGURE) != 0, last_of_figure) << i;
    }
    EXPECT_EQ(figures, 3);   // the outline and two counters
    begin_path(dc);
    draw_array(dc, int(eight.size()), eight.data(), types.data());
    end_path(dc);
    const int before = live_region_count();
    Region r = path_to_region(dc);
    EXPECT_TRUE(rgn_contains(r, 200, 150));   // the waist
    EXPECT_FALSE(rgn_contains(r, 200, 110));  // the counters
    EXPECT_FALSE(rgn_contains(r, 200, 190));
    EXPECT_TRUE(delete_rgn(r));
    EXPECT_FALSE(delete_rgn(r));   // a second delete fails
    EXPECT_EQ(live_region_count(), before);
}

TEST_F(OutlineText, ReplayedListsReadBackAsTheyWent)
{
    const Point pts[9] = {{0, 0}, {10, 0}, {12, 2}, {12, 8}, {10, 10}, {0, 10}, {20, 20}, {30, 20}, {20, 20}};
    const std::uint8_t types[9] = {6, 2, 4, 4, 4, 2, 6, 2, 2};
    begin_path(dc);
    EXPECT_EQ(get_path(dc, nullptr, nullptr, 0), -1);   // not while it is being built
    draw_array(dc, 9, pts, types);
    end_path(dc);
    std::vector<Point> back(9);
    std::vector<std::uint8_t> back_types(9);
    ASSERT_EQ(get_path(dc, back.data(), back_types.data(), 9), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(back[i].x * 100 + back[i].y, pts[i].x * 100 + pts[i].y) << i;
    EXPECT_EQ(back_types, (std::vector<std::uint8_t>{6, 2, 4, 4, 4, 2, 6, 2, 3}));   // back at its start: closed

    begin_path(dc);   // a curve short of its points is left out, not read past the list
    draw_array(dc, 2, pts + 2, types + 2);
    end_path(dc);
    EXPECT_EQ(get_path(dc, nullptr, nullptr, 0), 0);
}

TEST(Regions, ShapesAndCombinations)
{
    Region ellipse = create_ellipse_rgn({0, 0, 100, 50}), rect = create_rect_rgn({10, 10, 20, 20});
    EXPECT_TRUE(rgn_contains(ellipse, 1, 25) && !rgn_contains(ellipse, 5, 5));
    EXPECT_TRUE(rgn_contains(rect, 19, 19) && !rgn_contains(rect, 20, 15));   // right edge excluded
    EXPECT_TRUE(delete_rgn(ellipse) && delete_rgn(rect));

    const int modes[3] = {RGN_AND, RGN_XOR, RGN_DIFF};
    const bool inside[3][3] = {{false, true, false}, {true, false, true}, {true, false, false}};   // x = 5, 15, 25
    for (int m = 0; m < 3; ++m) {
        Region a = create_rect_rgn({0, 0, 20, 10}), b = create_rect_rgn({10, 0, 30, 10});
        ASSERT_TRUE(combine_rgn(b, a, b, modes[m]));   // the destination may be an operand
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(rgn_contains(b, 5 + 10 * i, 5), inside[m][i]) << "mode " << modes[m] << " x " << 5 + 10 * i;
        delete_rgn(a);
        delete_rgn(b);
    }

    // A star in one stroke: winding fills its middle, and an exclusive-or keeps to that.
    const Point star[5] = {{50, 0}, {80, 95}, {0, 35}, {100, 35}, {20, 95}};
    Region flipped = create_polygon_rgn(star, 5), middle = create_rect_rgn({45, 45, 55, 55});
    EXPECT_TRUE(rgn_contains(flipped, 50, 50));
    ASSERT_TRUE(combine_rgn(flipped, flipped, middle, RGN_XOR));
    EXPECT_FALSE(rgn_contains(flipped, 50, 50));
    EXPECT_TRUE(rgn_contains(flipped, 50, 40));
    EXPECT_FALSE(combine_rgn(flipped, flipped, nullptr, RGN_AND));
    EXPECT_TRUE(rgn_contains(flipped, 50, 8));
    delete_rgn(flipped);
    delete_rgn(middle);
}

TEST(PaintFailure, OneBoxPerRunThenExitWithoutSaving)
{
    std::vector<MessageBoxCall> boxes;
    set_message_box_hook([&](const MessageBoxCall& c) {
        boxes.push_back(c);
        return IDOK;
    });
    commands.clear();
    char first[600] = "In WM PAINT. first", second[600] = "In WM PAINT. second";
    message_and_quit(first, face_window());
    message_and_quit(second, face_window());
    QApplication::processEvents();
    set_message_box_hook(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error from Tavrin.exe");
    EXPECT_EQ(boxes[0].text.rfind("In WM PAINT. first\n\nClick OK to Exit (without saving) Tavrin", 0), 0u);
    EXPECT_EQ(commands, std::vector<std::uintptr_t>{CMD_EXIT_NO_SAVE});
}
