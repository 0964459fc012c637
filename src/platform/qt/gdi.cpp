// Drawing in a paint context: text, paths from text, regions, polygons and lines.
#include "internal.h"

#include <QColor>
#include <QFontMetrics>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <map>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

struct plat::RegionObj : plat::Held<plat::RegionObj> {
    QPainterPath area;
};

namespace plat {

namespace {

// Deleting a region frees it; a handle is looked up before it is used, so a
// stale one is refused rather than followed.
std::unordered_map<const RegionObj*, std::unique_ptr<RegionObj>> live_regions;

QColor qcolor_of(COLORREF c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

bool live(Region r) { return r != nullptr && live_regions.count(r) != 0; }

Region make_region(QPainterPath area)
{
    auto obj = std::make_unique<RegionObj>();
    obj->area = std::move(area);
    const Region r = obj.get();
    live_regions.emplace(r, std::move(obj));
    return r;
}

QFont font_of(DC dc) { return qfont_of(current_font(dc)); }

// A region holds the pixels whose centres lie inside it, as GDI's do.
QPainterPath pixel_rect(const Rect& r)
{
    QPainterPath area;
    area.addRect(QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)).normalized());
    return area;
}

// Under the odd-even rule a path means what it says; a winding one is first
// recast by Qt's clipper, whose results are always odd-even.
QPainterPath as_odd_even(const QPainterPath& p) { return p.fillRule() == Qt::OddEvenFill ? p : p.simplified(); }

// Odd-even parity of two paths laid together is the parity of one or the other:
// exactly their exclusive-or, at a fraction of the cost of three clipper passes.
QPainterPath exclusive_or(const QPainterPath& a, const QPainterPath& b)
{
    QPainterPath both = as_odd_even(a);
    both.addPath(as_odd_even(b));
    both.setFillRule(Qt::OddEvenFill);
    return both;
}

bool has_curves(const QPainterPath& p)
{
    for (int i = 0; i < p.elementCount(); ++i)
        if (p.elementAt(i).isCurveTo())
            return true;
    return false;
}

// Qt's clipper splits curves finely and keeps them in its result, which then
// costs more to fill as well; lines at the flattening the fill would use
// anyway make both several times cheaper.
QPainterPath as_lines(const QPainterPath& p)
{
    if (!has_curves(p))
        return p;
    QPainterPath lines;
    lines.setFillRule(p.fillRule());
    for (const QPolygonF& figure : p.toSubpathPolygons())
        lines.addPolygon(figure);
    return lines;
}

// ---- cutting to a fan ----------------------------------------------------------
// A polygon whose corners, seen from its first, all turn the same way and
// within one turn is a fan about that corner. It falls into a few convex
// pieces, each cut out of a region by one pass along each of its sides; the
// pieces do not overlap, and together they are the region cut to the fan.
// That spares the general clipper, which costs far more than the fill; few
// pieces keep the seams between them, which the fill must also trace, short.

double cross(QPointF o, QPointF a, QPointF b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// Pieces are stored turning the positive way, whichever way the axes run.
void keep_piece(QPolygonF& piece, int turn, std::vector<QPolygonF>& pieces)
{
    if (piece.size() < 3)
        return;
    if (turn < 0)
        std::reverse(piece.begin(), piece.end());
    pieces.push_back(piece);
}

bool fan_pieces(const QPainterPath& p, std::vector<QPolygonF>& pieces)
{
    pieces.clear();
    if (has_curves(p) || p.elementCount() < 3)
        return false;
    const QList<QPolygonF> figures = p.toSubpathPolygons();
    if (figures.size() != 1)
        return false;
    const QPolygonF& corners = figures.first();
    const QPointF hub = corners.first();
    int turn = 0;
    double swept = 0;
    QPolygonF piece;
    for (int i = 1; i + 1 < corners.size(); ++i) {
        const QPointF a = corners[i], b = corners[i + 1];
        const double c = cross(hub, a, b);
        if (c == 0)
            continue;
        const int way = c > 0 ? 1 : -1;
        if (turn != 0 && way != turn)
            return false;
        turn = way;
        swept += std::atan2(std::abs(c), QPointF::dotProduct(a - hub, b - hub));
        const bool stays_convex = piece.size() >= 3 && piece.last() == a &&
                                  cross(piece[piece.size() - 2], a, b) * way >= 0 && cross(hub, piece[1], b) * way > 0;
        if (stays_convex) {
            piece.append(b);
        } else {
            keep_piece(piece, turn, pieces);
            piece = QPolygonF({hub, a, b});
        }
    }
    keep_piece(piece, turn, pieces);
    return turn != 0 && swept <= 2 * M_PI + 1e-9;
}

// What of the figure lies to the left of the line from e0 to e1. The line is
// taken in one direction whichever way it is given, so that two pieces on
// either side of it cut a side of the figure at the very same point.
QPolygonF cut_to_side(const QPolygonF& figure, QPointF e0, QPointF e1)
{
    QPolygonF kept;
    if (figure.isEmpty())
        return kept;
    const bool flip = e1.x() < e0.x() || (e1.x() == e0.x() && e1.y() < e0.y());
    const QPointF from = flip ? e1 : e0, to = flip ? e0 : e1;
    const double sign = flip ? -1 : 1;
    kept.reserve(figure.size() + 4);
    QPointF prev = figure.last();
    double prev_side = sign * cross(from, to, prev);
    for (const QPointF& cur : figure) {
        const double side = sign * cross(from, to, cur);
        if ((side > 0 && prev_side < 0) || (side < 0 && prev_side > 0))
            kept.append(prev + (cur - prev) * (prev_side / (prev_side - side)));
        if (side >= 0)
            kept.append(cur);
        prev = cur;
        prev_side = side;
    }
    return kept;
}

using Ends = std::array<double, 4>;   // from x, y, to x, y

Ends ends_of(QPointF from, QPointF to) { return {from.x(), from.y(), to.x(), to.y()}; }

// Sides that two pieces share, run once each way, bound nothing: without them
// the pieces fill the same pixels and the fill has less outline to trace.
// What is left is walked into closed figures again.
void add_without_seams(QPainterPath& out, const std::vector<QPolygonF>& pieces)
{
    std::vector<Ends> sides;
    for (const QPolygonF& piece : pieces)
        for (int i = 0; i < piece.size(); ++i) {
            const QPointF from = piece[i], to = piece[(i + 1) % piece.size()];
            if (from != to)
                sides.push_back(ends_of(from, to));
        }
    std::vector<bool> gone(sides.size(), false);
    std::map<Ends, std::vector<int>> unpaired;
    for (int i = 0; i < int(sides.size()); ++i) {
        const Ends& e = sides[i];
        auto back = unpaired.find(Ends{e[2], e[3], e[0], e[1]});
        if (back != unpaired.end() && !back->second.empty()) {
            gone[i] = gone[back->second.back()] = true;
            back->second.pop_back();
        } else {
            unpaired[e].push_back(i);
        }
    }
    std::map<std::pair<double, double>, std::vector<int>> leaving;
    for (int i = 0; i < int(sides.size()); ++i)
        if (!gone[i])
            leaving[{sides[i][0], sides[i][1]}].push_back(i);
    for (int i = 0; i < int(sides.size()); ++i) {
        if (gone[i])
            continue;
        out.moveTo(sides[i][0], sides[i][1]);
        for (int at = i; at >= 0;) {
            gone[at] = true;
            out.lineTo(sides[at][2], sides[at][3]);
            std::vector<int>& next = leaving[{sides[at][2], sides[at][3]}];
            while (!next.empty() && gone[next.back()])
                next.pop_back();
            at = next.empty() ? -1 : next.back();
        }
        out.closeSubpath();
    }
}

bool on_segment(QPointF a, QPointF b, QPointF p)
{
    return std::min(a.x(), b.x()) <= p.x() && p.x() <= std::max(a.x(), b.x()) && std::min(a.y(), b.y()) <= p.y() &&
           p.y() <= std::max(a.y(), b.y());
}

// Crossing or touching, collinear overlaps included.
bool sides_meet(QPointF a, QPointF b, QPointF c, QPointF d)
{
    const double d1 = cross(c, d, a), d2 = cross(c, d, b), d3 = cross(a, b, c), d4 = cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    return (d1 == 0 && on_segment(c, d, a)) || (d2 == 0 && on_segment(c, d, b)) || (d3 == 0 && on_segment(a, b, c)) ||
           (d4 == 0 && on_segment(a, b, d));
}

// A closed outline whose sides meet only where one ends and the next begins.
// Sides are taken in order of their left ends, so each is compared only with
// those it overlaps from left to right.
bool is_simple(const QPolygonF& closed)
{
    const int n = int(closed.size()) - 1;
    if (n < 3)
        return true;
    const auto left = [&](int i) { return std::min(closed[i].x(), closed[i + 1].x()); };
    const auto right = [&](int i) { return std::max(closed[i].x(), closed[i + 1].x()); };
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](int i, int j) { return left(i) < left(j); });
    for (int k = 0; k < n; ++k) {
        const int i = order[k];
        for (int m = k + 1; m < n && left(order[m]) <= right(i); ++m) {
            const int j = order[m];
            const int gap = std::abs(i - j);
            if (gap == 1 || gap == n - 1)
                continue;
            if (sides_meet(closed[i], closed[i + 1], closed[j], closed[j + 1]))
                return false;
        }
    }
    return true;
}

QPainterPath cut_to_fan(const QPainterPath& region, const std::vector<QPolygonF>& fan)
{
    QPainterPath cut;
    cut.setFillRule(region.fillRule());
    std::vector<QPolygonF> pieces;
    for (const QPolygonF& figure : region.toSubpathPolygons()) {
        const QRectF bounds = figure.boundingRect();
        pieces.clear();
        for (const QPolygonF& convex : fan) {
            if (!convex.boundingRect().intersects(bounds))
                continue;
            QPolygonF piece = figure;
            for (int side = 0; side < convex.size() && piece.size() >= 3; ++side)
                piece = cut_to_side(piece, convex[side], convex[(side + 1) % convex.size()]);
            if (piece.size() >= 3)
                pieces.push_back(std::move(piece));
        }
        // A winding region meets the clipper before any exclusive-or, which
        // merges the pieces anyway.
        if (pieces.size() > 1 && region.fillRule() == Qt::OddEvenFill) {
            add_without_seams(cut, pieces);
            continue;
        }
        for (const QPolygonF& piece : pieces) {
            cut.addPolygon(piece);
            cut.closeSubpath();
        }
    }
    return cut;
}

QPainterPath intersection(const QPainterPath& a, const QPainterPath& b)
{
    std::vector<QPolygonF> fan;
    if (fan_pieces(b, fan))
        return cut_to_fan(a, fan);
    if (fan_pieces(a, fan))
        return cut_to_fan(b, fan);
    return as_lines(a).intersected(as_lines(b));
}

// Every figure closed: what a region built from a path sees.
QPainterPath closed_figures(const QPainterPath& path)
{
    QPainterPath closed;
    closed.setFillRule(Qt::OddEvenFill);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            closed.closeSubpath();
            closed.moveTo(e);
        } else if (e.isLineTo()) {
            closed.lineTo(e);
        } else if (e.isCurveTo()) {
            closed.cubicTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
            i += 2;
        }
    }
    closed.closeSubpath();
    return closed;
}

Point rounded(const QPainterPath::Element& e) { return {int(std::lround(e.x)), int(std::lround(e.y))}; }

std::uint8_t type_of(const QPainterPath::Element& e)
{
    if (e.isMoveTo())
        return PT_MOVETO;
    if (e.isLineTo())
        return PT_LINETO;
    return PT_BEZIERTO;
}

// A figure that ends where it began is closed; its last point carries the flag.
void mark_closed_figures(const std::vector<Point>& pts, std::vector<std::uint8_t>& types)
{
    const int n = int(pts.size());
    for (int start = 0; start < n;) {
        int end = start + 1;
        while (end < n && types[end] != PT_MOVETO)
            ++end;
        const Point first = pts[start], last = pts[end - 1];
        if (end - start > 1 && first.x == last.x && first.y == last.y)
            types[end - 1] |= PT_CLOSEFIGURE;
        start = end;
    }
}

bool building(DC dc) { return dc != nullptr && dc->building_path; }

bool can_draw(DC dc) { return dc != nullptr && dc->painter != nullptr; }

// GDI puts a pixel's centre half a unit in from its corner.
QPolygonF pixel_centres(const Point* pts, int n)
{
    QPolygonF poly;
    poly.reserve(n);
    for (int i = 0; i < n; ++i)
        poly.append(QPointF(pts[i].x + 0.5, pts[i].y + 0.5));
    return poly;
}

QPen black_pen(qreal width) { return QPen(QBrush(Qt::black), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin); }

}  // namespace

// ---- fonts and text ----------------------------------------------------------

Font current_font(DC dc) { return dc != nullptr && dc->font != nullptr ? dc->font : stock_font(); }

Font select_font(DC dc, Font f)
{
    if (dc == nullptr)
        return nullptr;
    const Font before = current_font(dc);
    dc->font = f;
    return before;
}

Size text_extent(DC dc, const char* text)
{
    const QFontMetrics metrics(font_of(dc));
    return {metrics.horizontalAdvance(QString::fromLatin1(text)), metrics.height()};
}

bool text_out(DC dc, int x, int y, const char* text, COLORREF colour)
{
    if (!can_draw(dc) || text == nullptr)
        return false;
    const QFont font = font_of(dc);
    QPainter& p = *dc->painter;
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(qcolor_of(colour));
    p.drawText(QPointF(x, y + QFontMetrics(font).ascent()), QString::fromLatin1(text));
    p.restore();
    return true;
}

// ---- paths ---------------------------------------------------------------------

void begin_path(DC dc)
{
    if (dc == nullptr)
        return;
    dc->path = QPainterPath();
    dc->building_path = true;
}

bool path_text(DC dc, int x, int y, const char* text)
{
    if (!building(dc) || text == nullptr || refused(Refusal::text_path))
        return false;
    const QFont font = font_of(dc);
    const QString words = QString::fromLatin1(text);
    QPainterPath outline;
    outline.addText(QPointF(x, y + QFontMetrics(font).ascent()), font, words);
    dc->path.addPath(outline);
    // Blanks have no outline; visible characters without one mean the font has none to give.
    return !outline.isEmpty() || words.trimmed().isEmpty();
}

void end_path(DC dc)
{
    if (dc != nullptr)
        dc->building_path = false;
}

int get_path(DC dc, Point* points, std::uint8_t* types, int n)
{
    if (dc == nullptr || dc->building_path || n < 0)
        return -1;
    const QPainterPath& path = dc->path;
    const int count = path.elementCount();
    if (n == 0)
        return count;
    if (points == nullptr || types == nullptr)
        return -1;
    std::vector<Point> pts(count);
    std::vector<std::uint8_t> kinds(count);
    for (int i = 0; i < count; ++i) {
        pts[i] = rounded(path.elementAt(i));
        kinds[i] = type_of(path.elementAt(i));
    }
    mark_closed_figures(pts, kinds);
    const int copied = std::min(n, count);
    std::copy_n(pts.begin(), copied, points);
    std::copy_n(kinds.begin(), copied, types);
    return copied;
}

void path_move_to(DC dc, Point p)
{
    if (building(dc))
        dc->path.moveTo(p.x, p.y);
}

void path_line_to(DC dc, Point p)
{
    if (building(dc))
        dc->path.lineTo(p.x, p.y);
}

void path_bezier_to(DC dc, const Point p[3])
{
    if (building(dc))
        dc->path.cubicTo(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
}

void path_close_figure(DC dc)
{
    if (building(dc))
        dc->path.closeSubpath();
}

Region path_to_region(DC dc)
{
    if (dc == nullptr || dc->building_path)
        return nullptr;
    Region r = make_region(closed_figures(dc->path));
    dc->path = QPainterPath();
    return r;
}

// ---- regions -------------------------------------------------------------------------

Region create_ellipse_rgn(const Rect& r)
{
    QPainterPath area;
    area.addEllipse(QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)).normalized());
    return make_region(area);
}

Region create_rect_rgn(const Rect& r) { return make_region(pixel_rect(r)); }

Region create_polygon_rgn(const Point* pts, int n)
{
    if (pts == nullptr || n < 2)
        return nullptr;
    QPolygonF outline;
    outline.reserve(n + 1);
    for (int i = 0; i < n; ++i)
        if (outline.isEmpty() || outline.last() != QPointF(pts[i].x, pts[i].y))
            outline.append(QPointF(pts[i].x, pts[i].y));
    if (outline.first() != outline.last())
        outline.append(outline.first());
    QPainterPath area;
    // Alike under either rule, a simple outline is kept odd-even: an exclusive-or
    // with it then needs no clipper pass to recast it.
    area.setFillRule(is_simple(outline) ? Qt::OddEvenFill : Qt::WindingFill);
    area.addPolygon(outline);
    return make_region(area);
}

bool combine_rgn(Region dest, Region a, Region b, int mode)
{
    if (!live(dest) || !live(a) || !live(b))
        return false;
    switch (mode) {
    case RGN_AND: dest->area = intersection(a->area, b->area); return true;
    case RGN_XOR: dest->area = exclusive_or(a->area, b->area); return true;
    case RGN_DIFF: dest->area = as_lines(a->area).subtracted(as_lines(b->area)); return true;
    default: return false;
    }
}

bool fill_rgn(DC dc, Region r, COLORREF colour)
{
    if (refused(Refusal::brush))
        return false;
    if (!can_draw(dc) || !live(r))
        return true;
    QPainter& p = *dc->painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(r->area, qcolor_of(colour));
    p.restore();
    return true;
}

// The frame lies inside the region, as GDI's does: the inner half of a
// two-pixel stroke along its border.
bool frame_rgn(DC dc, Region r)
{
    if (!can_draw(dc) || !live(r))
        return false;
    QPainter& p = *dc->painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(r->area, Qt::IntersectClip);
    p.strokePath(r->area, black_pen(2.0));
    p.restore();
    return true;
}

bool delete_rgn(Region r)
{
    return live_regions.erase(r) != 0;
}

int live_region_count() { return int(live_regions.size()); }

int held_region_count() { return Held<RegionObj>::count; }

bool rgn_contains(Region r, int x, int y) { return live(r) && r->area.contains(QPointF(x + 0.5, y + 0.5)); }

// ---- polygons and lines ------------------------------------------------------------------

namespace {

// Lines in the context's default pen: solid black, one pixel.
void draw_in_black_pen(DC dc, const Point* pts, int n, const QBrush& fill, bool closed)
{
    if (!can_draw(dc) || pts == nullptr || n < 2)
        return;
    QPainter& p = *dc->painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(black_pen(1.0));
    p.setBrush(fill);
    if (closed)
        p.drawPolygon(pixel_centres(pts, n), Qt::OddEvenFill);
    else
        p.drawPolyline(pixel_centres(pts, n));
    p.restore();
}

}  // namespace

void polygon(DC dc, const Point* pts, int n, COLORREF fill)
{
    draw_in_black_pen(dc, pts, n, qcolor_of(fill), true);
}

void polyline(DC dc, const Point* pts, int n)
{
    draw_in_black_pen(dc, pts, n, Qt::NoBrush, false);
}

}  // namespace plat
