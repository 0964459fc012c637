// Rendered faces, judged by the pixels that decide; face geometry, outline text, regions and
// the error box.
#include "paint_harness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <string>

using namespace paint_test;

namespace {

// Division boundaries, degrees clockwise from 12 o'clock in the normalised frame.
struct Model {
    int shape;
    bool eight;
    std::vector<double> bounds;
};
const std::vector<double> circle_12 = {0, 21, 60, 90, 122, 155, 180, 208, 240, 270, 300, 335};
const std::vector<double> circle_8 = {0, 46.2, 90, 135, 180, 225, 270, 315};
const Model models[] = {
    {CMD_SHAPE_CIRCLE, false, circle_12},
    {CMD_SHAPE_CIRCLE, true, circle_8},
    {CMD_SHAPE_INDICIA, false, circle_12},
    {CMD_SHAPE_INDICIA, true, circle_8},
    {CMD_SHAPE_RECT, false, {0, 36, 65, 90, 115, 137.3, 180, 220, 245, 270, 295, 320}},
    {CMD_SHAPE_RECT, true, {0, 53.1, 90, 126.9, 180, 233.3, 270, 306.9}},
    {CMD_SHAPE_USA, false, {0, 35, 65, 90, 123, 155, 180, 220, 245, 270, 295, 320}},
    {CMD_SHAPE_USA, true, {0, 57.3, 90, 125, 180, 234, 270, 310.5}},
};

QPoint along(const QImage& img, double degrees, double s)
{
    const double a = degrees * M_PI / 180, hw = img.width() / 2, hh = img.height() / 2;
    return QPoint(int(hw + s * hw * std::sin(a)), int(hh - s * hh * std::cos(a)));
}

// A point in that direction well inside the shape and clear of the number.
QPoint probe(const QImage& img, int shape, double degrees, Region usa)
{
    for (double s = 0.3; s < 0.9; s += 0.02) {
        const QPoint p = along(img, degrees, s);
        const double x = p.x() * 2.0 / img.width() - 1, y = p.y() * 2.0 / img.height() - 1;
        bool inside = shape == CMD_SHAPE_RECT ? std::abs(x) < 0.76 && std::abs(y) < 0.56 : x * x + y * y < 0.56;
        for (int d = 0; shape == CMD_SHAPE_USA && d < 9; ++d)   // the outline four pixels away all round
            inside = (d == 0 || inside) && rgn_contains(usa, p.x() - 4 + d % 3 * 4, p.y() - 4 + d / 3 * 4);
        if (inside)
            return p;
    }
    ADD_FAILURE() << "nothing inside shape " << shape << " at " << degrees;
    return QPoint(0, 0);
}

Region usa_outline(int width, int height)
{
    const FaceFrame f = face_frame(width, height, -5, -33, compute_map_width());
    std::vector<Point> pts(551);
    for (int i = 0; i < 551; ++i)
        trans_and_scale(USary[i].x, USary[i].y, &pts[i], f.half_w, f.half_h, f.map_scale_x, f.map_scale_y);
    return create_polygon_rgn(pts.data(), 551);
}

bool shows(const QImage& img, QPoint p, COLORREF c) { return near(img.pixel(p), c); }

int count(const QImage& img, COLORREF colour, QRect area, int tolerance = 60)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += near(img.pixel(x, y), colour, tolerance);
    return n;
}

int ink_width(const QImage& img, QRect area)
{
    int right = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            right = near(img.pixel(x, y), back_colour, 60) ? right : std::max(right, x + 1);
    return right;
}

QRect qrect(const Rect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

void large_number(char tens, char units)   // an empty tens place for 0
{
    stl.font_height = -33;
    face.clock.tens_digit[0] = tens;
    face.clock.units_digit[0] = units;
}

}  // namespace

TEST(FaceFigure, FillsTheDivisionsOfEachIncrement)
{
    Region usa = usa_outline(240, 180);
    for (const Model& m : models)
        for (int shrinking : {0, int(contracting)})
            for (int increment = 0, n = int(m.bounds.size()); increment < n; ++increment) {
                plain_style(m.shape, m.eight ? eight_div : 0, paint_filled | shrinking, increment);
                const QImage img = render(240, 180);
                const auto is = [&](double degrees, bool filled) {
                    EXPECT_TRUE(shows(img, probe(img, m.shape, degrees, usa), filled ? fig_colour : back_colour))
                        << "shape " << m.shape << " of " << n << ", increment " << increment
                        << (shrinking ? " contracting" : "") << " at " << degrees;
                };
                for (int d = 0; d < n; ++d)
                    is((m.bounds[d] + (d + 1 < n ? m.bounds[d + 1] : 360)) / 2,
                       increment > 0 && (shrinking ? d >= increment : d < increment));
                if (increment > 0) {   // the boundary reached lies where the table puts it
                    is(m.bounds[increment] - 4, !shrinking);
                    is(m.bounds[increment] + 4, shrinking);
                }
            }
    delete_rgn(usa);
}

TEST(FaceFigure, LeavesNothingBehindAndHandsBackTheFontItReplaced)
{
    for (int shape : {CMD_SHAPE_INDICIA, CMD_SHAPE_USA}) {
        plain_style(shape, date_on | date_truetype | 5, paint_filled | ticker_lit, 5);
        render(200, 150);
        const int regions = live_region_count(), fonts = live_font_count();
        render(201, 151);
        EXPECT_EQ(live_region_count(), regions) << shape;
        EXPECT_EQ(live_font_count(), fonts) << shape;
    }
    select_font(window_dc(face_window()), nullptr);
    grab_face();
    EXPECT_EQ(last_result, stock_font());
    grab_face();
    EXPECT_EQ(last_result, nullptr);   // the number font was already there
}

TEST(FaceColours, NumberIsCutOutInTwoColoursAndPaintedOverInThree)
{
    plain_style(CMD_SHAPE_CIRCLE, three_color, paint_filled, 6);   // the right half
    large_number('1', '0');
    const QImage three = render(400, 300);
    face.ini = 0;
    const QImage two = render(400, 300);
    int over = 0, beside = 0;
    for (int y = 1; y < 299; ++y)
        for (int x = 1; x < 399; ++x) {
            if (count(three, digit_colour, QRect(x - 1, y - 1, 3, 3), 8) < 9 || std::abs(x - 200) < 5)
                continue;   // only the number's solid pixels, clear of the figure's edge
            EXPECT_TRUE(shows(two, QPoint(x, y), x > 200 ? back_colour : fig_colour)) << x << "," << y;
            (x > 200 ? over : beside)++;
        }
    EXPECT_GT(over, 100);
    EXPECT_GT(beside, 100);
}

TEST(FaceNumber, ASingleDigitStandsRightOfTheCentreUnlessCentred)
{
    for (int centred : {0, int(center_single)}) {
        plain_style(CMD_SHAPE_CIRCLE, three_color | centred, paint_filled, 0);
        large_number('\0', '8');
        const QImage img = render(400, 300);
        const int left = count(img, digit_colour, QRect(0, 0, 200, 300));
        const int right = count(img, digit_colour, QRect(200, 0, 200, 300));
        EXPECT_GT(right, 100) << centred;
        EXPECT_TRUE(centred ? std::abs(left - right) < right / 5 : left < right / 10) << left << " " << right;
    }
}

TEST(FaceColours, OutlineModeFillsNothingAndMapPlotOnlyPlots)
{
    plain_style(CMD_SHAPE_INDICIA, 0, 0, 3);
    const QImage img = render(240, 180);
    EXPECT_EQ(count(img, fig_colour, img.rect()) + count(img, digit_colour, img.rect()), 0);
    EXPECT_FALSE(shows(img, QPoint(120, 60), back_colour));   // the line to 12 o'clock
    EXPECT_FALSE(shows(img, QPoint(150, 0), back_colour));    // the wedge along the top border
    EXPECT_TRUE(shows(img, along(img, 45, 0.5), back_colour));
    face.clock.increment = 0;   // no figure: no outline either
    EXPECT_EQ(count(render(240, 180), back_colour, img.rect()), 240 * 180);

    face.run = paint_filled | map_plot;
    face.clock.increment = 6;
    const QImage plot = render(1000, 900);   // the plot reaches into this window from the top left
    EXPECT_EQ(count(plot, fig_colour, plot.rect()), 0);
    EXPECT_GT(count(plot, rgb(0, 0, 0), plot.rect()), 200);
}

TEST(FaceTicker, RectanglesOfTheNinePlaces)
{
    const auto expect_rect = [](int loc, int x, int y, int w, int h) {   // centre and size
        const Rect r = tckr_rect[loc];
        EXPECT_TRUE((r.left + r.right) / 2 == x && (r.top + r.bottom) / 2 == y && r.right - r.left == w &&
                    r.bottom - r.top == h)
            << loc << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    };
    // Mark centres from the face centre, places 1 to 9: round marks, then square ones.
    const int centres[2][9][2] = {
        {{-115, -87}, {0, -124}, {119, -83}, {-164, 0}, {0, 0}, {164, 0}, {-111, 91}, {0, 124}, {115, 87}},
        {{-163, -93}, {0, -93}, {163, -93}, {-163, 0}, {0, 0}, {163, 0}, {-163, 93}, {0, 93}, {163, 93}}};
    for (int square : {0, 1}) {
        plain_style(square ? CMD_SHAPE_RECT : CMD_SHAPE_CIRCLE);
        render(400, 300);
        for (int loc = 1; loc <= 9; ++loc)
            expect_rect(loc, 200 + centres[square][loc - 1][0], 150 + centres[square][loc - 1][1], 8 - 2 * square,
                        8 - 2 * square);
    }

    // "USA" sits on the centre in a font of the scaled height, never under 7 pixels.
    const int heights[2][3] = {{400, 300, -8}, {240, 180, -7}};
    for (const auto& h : heights) {
        plain_style(CMD_SHAPE_USA);
        large_number(0, '3');
        render(h[0], h[1]);
        DC dc = window_dc(face_window());
        const Font font = arial(h[2]), before = select_font(dc, font);
        const Size s = text_extent(dc, "USA");
        select_font(dc, before);
        delete_font(font);
        expect_rect(5, h[0] / 2 + 1, h[1] / 2, s.cx / 2 * 2 + 3, s.cy / 2 * 2);
    }
}

TEST(FaceTicker, MarkShowsAtEachPlace)
{
    for (int shape : {CMD_SHAPE_CIRCLE, CMD_SHAPE_RECT, CMD_SHAPE_USA})
        for (int loc = 1; loc <= 9; ++loc) {
            plain_style(shape, loc | three_color, paint_filled | ticker_lit);
            stl.font_height = -60;        // labels big enough to see
            stl.rgbDigit = back_colour;   // and the number out of the way
            const QImage img = render(400, 300);
            EXPECT_GT(count(img, fig_colour, qrect(tckr_rect[loc])), 3) << shape << " at " << loc;
            EXPECT_EQ(count(img, fig_colour, qrect(tckr_rect[loc % 9 + 1])), 0) << shape << " at " << loc;
        }
}

TEST(FaceDate, PlainAndOutlineDateAndTheHintThatWins)
{
    plain_style(CMD_SHAPE_CIRCLE, date_on);
    const QRect corner(0, 0, 400, 30);
    const QImage plain = render(400, 300);
    EXPECT_GT(count(plain, digit_colour, corner), 10);
    face.run |= esc_hint;
    const QImage hint = render(400, 300);
    face.ini = 0;
    EXPECT_EQ(hint, render(400, 300));
    EXPECT_GT(ink_width(hint, corner), 2 * ink_width(plain, corner));

    face.run = paint_filled;
    face.ini = date_on | date_truetype;   // an outline that grows with the window
    const QImage small = render(400, 300), large = render(800, 600);
    EXPECT_GT(count(small, digit_colour, QRect(0, 0, 400, 70)), 100);
    EXPECT_NEAR(ink_width(large, QRect(0, 0, 800, 140)), 2 * ink_width(small, QRect(0, 0, 400, 70)), 6);
}

TEST(FaceLooks, MatchesReferenceImages)
{
    const struct { const char* name; int shape, ini, run, increment; } looks[] = {
        {"indicia-3color", CMD_SHAPE_INDICIA, three_color | date_on, paint_filled, 4},
        {"usa-2color", CMD_SHAPE_USA, 0, paint_filled, 7},
        {"rect-8-contracting", CMD_SHAPE_RECT, eight_div | three_color, paint_filled | contracting, 5},
    };
    const QString dir = QStringLiteral(TAVRIN_TEST_DATA "/paint/");
    for (const auto& l : looks) {
        plain_style(l.shape, l.ini, l.run, l.increment);
        large_number('1', '2');
        const QImage img = render(160, 120);
        const QString file = dir + QString::fromLatin1(l.name) + QStringLiteral(".png");
        if (std::getenv("TAVRIN_WRITE_REFERENCES") && QDir().mkpath(dir))
            img.save(file);
        const QImage want = QImage(file).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(want.size(), img.size()) << l.name;
        int differ = 0;
        for (int i = 0; i < img.width() * img.height(); ++i) {
            const QRgb w = want.pixel(i % img.width(), i / img.width());
            differ += !near(img.pixel(i % img.width(), i / img.width()), rgb(qRed(w), qGreen(w), qBlue(w)), 64);
        }
        EXPECT_LT(differ, img.width() * img.height() / 100) << l.name;
    }
}

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
