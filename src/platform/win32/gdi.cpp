// Drawing in a paint context: rectangles, text, paths from text, regions, polygons and lines.
#include "win32.h"

#include <memory>
#include <unordered_map>
#include <vector>

struct plat::RegionObj {
    HRGN h = nullptr;
};

namespace plat {
namespace {

// Deleting a region frees it; a handle is looked up before it is used, so a stale one is
// refused rather than followed.
std::unordered_map<const RegionObj*, std::unique_ptr<RegionObj>> live_regions;

bool live(Region r) { return r != nullptr && live_regions.count(r) != 0; }

Region adopt_region(HRGN h)
{
    if (h == nullptr)
        return nullptr;
    auto obj = std::make_unique<RegionObj>();
    obj->h = h;
    const Region r = obj.get();
    live_regions.emplace(r, std::move(obj));
    return r;
}

bool drawable(DC dc) { return dc != nullptr && dc->hdc != nullptr; }
bool building(DC dc) { return drawable(dc) && dc->building_path; }

::COLORREF win_colour(COLORREF c) { return ::COLORREF(c & 0x00FFFFFF); }

RECT win_rect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Text in the selected font, drawn over what is there: no background box behind it.
void text_mode(HDC hdc)
{
    SetBkMode(hdc, TRANSPARENT);
    SetTextAlign(hdc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

bool is_outline_font(HDC hdc)
{
    TEXTMETRICW tm{};
    return GetTextMetricsW(hdc, &tm) && (tm.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) != 0;
}

bool only_blanks(const std::wstring& text)
{
    for (wchar_t c : text)
        if (c != L' ' && c != L'\t')
            return false;
    return true;
}

// Lines in the context's default pen (solid black, one pixel), restored afterwards.
template <typename Draw>
void in_black_pen(DC dc, HBRUSH brush, Draw draw)
{
    const HGDIOBJ pen_before = SelectObject(dc->hdc, GetStockObject(BLACK_PEN));
    const HGDIOBJ brush_before = SelectObject(dc->hdc, brush != nullptr ? brush : GetStockObject(NULL_BRUSH));
    draw();
    SelectObject(dc->hdc, brush_before);
    SelectObject(dc->hdc, pen_before);
}

// A solid brush of colour, or null (with the last error set) when Windows makes none.
HBRUSH solid_brush(COLORREF colour)
{
    return refused(Refusal::brush) ? nullptr : CreateSolidBrush(win_colour(colour));
}

}  // namespace

bool fill_rect(DC dc, const Rect& r, COLORREF colour)
{
    const HBRUSH brush = solid_brush(colour);
    if (brush == nullptr)
        return false;
    const RECT area = win_rect(r);
    if (drawable(dc))
        FillRect(dc->hdc, &area, brush);
    DeleteObject(brush);
    return true;
}

// ---- fonts and text ----------------------------------------------------------------------------

Font current_font(DC dc) { return dc != nullptr && dc->font != nullptr ? dc->font : stock_font(); }

Font select_font(DC dc, Font f)
{
    if (!drawable(dc))
        return nullptr;
    const Font before = current_font(dc);
    SelectObject(dc->hdc, hfont_of(f));
    // A stale or null font means the stock one, which the context then holds.
    dc->font = hfont_of(f) == hfont_of(stock_font()) ? nullptr : f;
    return before;
}

Size text_extent(DC dc, const char* text)
{
    if (!drawable(dc) || text == nullptr)
        return Size{0, 0};
    const std::wstring w = wide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(dc->hdc, w.c_str(), int(w.size()), &size)) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc->hdc, &tm);
        return Size{0, int(tm.tmHeight)};
    }
    return Size{int(size.cx), int(size.cy)};
}

bool text_out(DC dc, int x, int y, const char* text, COLORREF colour)
{
    if (!drawable(dc) || text == nullptr)
        return false;
    const std::wstring w = wide(text);
    text_mode(dc->hdc);
    SetTextColor(dc->hdc, win_colour(colour));
    return TextOutW(dc->hdc, x, y, w.c_str(), int(w.size())) != 0;
}

// ---- paths -----------------------------------------------------------------------------------------

void begin_path(DC dc)
{
    if (drawable(dc))
        dc->building_path = BeginPath(dc->hdc) != 0;
}

// A bitmap font has no outlines: the path would quietly stay empty.
bool path_text(DC dc, int x, int y, const char* text)
{
    if (!building(dc) || text == nullptr || refused(Refusal::text_path))
        return false;
    const std::wstring w = wide(text);
    if (!only_blanks(w) && !is_outline_font(dc->hdc))
        return false;
    text_mode(dc->hdc);
    return TextOutW(dc->hdc, x, y, w.c_str(), int(w.size())) != 0;
}

void end_path(DC dc)
{
    if (building(dc)) {
        EndPath(dc->hdc);
        dc->building_path = false;
    }
}

int get_path(DC dc, Point* points, std::uint8_t* types, int n)
{
    if (!drawable(dc) || dc->building_path || n < 0)
        return -1;
    const int count = GetPath(dc->hdc, nullptr, nullptr, 0);
    if (count < 0 || n == 0)
        return count;
    if (points == nullptr || types == nullptr)
        return -1;
    std::vector<POINT> pts(std::size_t(count) + 1);
    std::vector<BYTE> kinds(std::size_t(count) + 1);
    if (GetPath(dc->hdc, pts.data(), kinds.data(), count) != count)
        return -1;
    const int copied = n < count ? n : count;
    for (int i = 0; i < copied; ++i) {
        points[i] = Point{int(pts[std::size_t(i)].x), int(pts[std::size_t(i)].y)};
        types[i] = kinds[std::size_t(i)];
    }
    return copied;
}

void path_move_to(DC dc, Point p)
{
    if (building(dc))
        MoveToEx(dc->hdc, p.x, p.y, nullptr);
}

void path_line_to(DC dc, Point p)
{
    if (building(dc))
        LineTo(dc->hdc, p.x, p.y);
}

void path_bezier_to(DC dc, const Point p[3])
{
    if (!building(dc) || p == nullptr)
        return;
    const POINT pts[3] = {{p[0].x, p[0].y}, {p[1].x, p[1].y}, {p[2].x, p[2].y}};
    PolyBezierTo(dc->hdc, pts, 3);
}

void path_close_figure(DC dc)
{
    if (building(dc))
        CloseFigure(dc->hdc);
}

// Alternate filling: the counters of letters are holes whichever way their outlines run.
Region path_to_region(DC dc)
{
    if (!drawable(dc) || dc->building_path)
        return nullptr;
    const int mode_before = SetPolyFillMode(dc->hdc, ALTERNATE);
    const HRGN h = PathToRegion(dc->hdc);
    if (mode_before != 0)
        SetPolyFillMode(dc->hdc, mode_before);
    return adopt_region(h);
}

// ---- regions -------------------------------------------------------------------------------------------

Region create_ellipse_rgn(const Rect& r)
{
    const RECT area = win_rect(r);
    return adopt_region(CreateEllipticRgnIndirect(&area));
}

Region create_rect_rgn(const Rect& r)
{
    const RECT area = win_rect(r);
    return adopt_region(CreateRectRgnIndirect(&area));
}

Region create_polygon_rgn(const Point* pts, int n)
{
    if (pts == nullptr || n < 2)
        return nullptr;
    std::vector<POINT> corners(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        corners[std::size_t(i)] = POINT{pts[i].x, pts[i].y};
    return adopt_region(CreatePolygonRgn(corners.data(), n, WINDING));
}

bool combine_rgn(Region dest, Region a, Region b, int mode)
{
    if (!live(dest) || !live(a) || !live(b))
        return false;
    if (mode != RGN_AND && mode != RGN_XOR && mode != RGN_DIFF)
        return false;
    return CombineRgn(dest->h, a->h, b->h, mode) != ERROR;
}

bool fill_rgn(DC dc, Region r, COLORREF colour)
{
    const HBRUSH brush = solid_brush(colour);
    if (brush == nullptr)
        return false;
    if (drawable(dc) && live(r))
        FillRgn(dc->hdc, r->h, brush);
    DeleteObject(brush);
    return true;
}

bool frame_rgn(DC dc, Region r)
{
    if (!drawable(dc) || !live(r))
        return false;
    return FrameRgn(dc->hdc, r->h, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1) != 0;
}

bool delete_rgn(Region r)
{
    auto it = live_regions.find(r);
    if (it == live_regions.end())
        return false;
    DeleteObject(it->second->h);
    live_regions.erase(it);
    return true;
}

int live_region_count() { return int(live_regions.size()); }

bool rgn_contains(Region r, int x, int y) { return live(r) && PtInRegion(r->h, x, y) != 0; }

// ---- polygons and lines ----------------------------------------------------------------------------------

void polygon(DC dc, const Point* pts, int n, COLORREF fill)
{
    if (!drawable(dc) || pts == nullptr || n < 2)
        return;
    const HBRUSH brush = CreateSolidBrush(win_colour(fill));
    const int mode_before = SetPolyFillMode(dc->hdc, ALTERNATE);
    in_black_pen(dc, brush, [&] { Polygon(dc->hdc, reinterpret_cast<const POINT*>(pts), n); });
    if (mode_before != 0)
        SetPolyFillMode(dc->hdc, mode_before);
    DeleteObject(brush);
}

void polyline(DC dc, const Point* pts, int n)
{
    if (!drawable(dc) || pts == nullptr || n < 2)
        return;
    in_black_pen(dc, nullptr, [&] { Polyline(dc->hdc, reinterpret_cast<const POINT*>(pts), n); });
}

}  // namespace plat
