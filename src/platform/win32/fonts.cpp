// Font objects made from descriptions, the font families of the machine and the font picker.
#include "win32.h"

#include <commdlg.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <set>
#include <unordered_map>

struct plat::FontObj {
    LogFont desc;
    HFONT h = nullptr;
};

namespace plat {
namespace {

// Deleting a font frees it; a handle is looked up before it is used, so deleting twice, or
// asking about a deleted font, stays harmless.
std::unordered_map<const FontObj*, std::unique_ptr<FontObj>> live_fonts;
std::function<bool(LogFont&)> choose_font_hook;

constexpr int face_max = int(sizeof(LogFont::face)) - 1;

// The face in UTF-8, cut on a character boundary to fit.
void set_face(LogFont& lf, const wchar_t* face)
{
    std::string bytes = utf8(face);
    std::size_t n = bytes.size() < std::size_t(face_max) ? bytes.size() : std::size_t(face_max);
    if (n < bytes.size())
        while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
            --n;
    std::memset(lf.face, 0, sizeof lf.face);
    std::memcpy(lf.face, bytes.data(), n);
}

LOGFONTW logfont_of(const LogFont& lf)
{
    LOGFONTW out{};
    out.lfHeight = lf.height;
    out.lfWeight = lf.weight;
    out.lfItalic = lf.italic;
    out.lfCharSet = lf.charset;
    // Outline fonts first: the hour number is made from the outlines of its font.
    out.lfOutPrecision = OUT_TT_PRECIS;
    out.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    out.lfQuality = DEFAULT_QUALITY;
    out.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = wide(lf.face);
    wcsncpy(out.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return out;
}

LogFont desc_of(const LOGFONTW& lf)
{
    LogFont out;
    out.height = lf.lfHeight;
    out.weight = lf.lfWeight;
    out.italic = lf.lfItalic;
    out.charset = lf.lfCharSet;
    set_face(out, lf.lfFaceName);
    return out;
}

// The system font, which every device context holds when it is made.
FontObj& stock()
{
    static FontObj obj = [] {
        FontObj made;
        made.h = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
        LOGFONTW lf{};
        if (GetObjectW(made.h, sizeof lf, &lf) != 0)
            made.desc = desc_of(lf);
        return made;
    }();
    return obj;
}

bool known(Font f) { return f == &stock() || live_fonts.count(f) != 0; }

int screen_dpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// Each family once, whatever the character sets it is listed in; vertical ("@") faces are not families.
struct Families {
    std::vector<std::pair<LOGFONTW, DWORD>> found;
    std::set<std::wstring> seen;
};

int CALLBACK note_family(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM data)
{
    auto& families = *reinterpret_cast<Families*>(data);
    if (lf->lfFaceName[0] != L'@' && families.seen.insert(lf->lfFaceName).second)
        families.found.emplace_back(*lf, type);
    return 1;
}

// Families that Wine serves for "Arial" with the same metrics, without listing "Arial" itself.
const wchar_t* const arial_metric_twins[] = {L"Liberation Sans", L"Arimo"};

// Every Windows has Arial; where the font system quietly draws it with a metric twin, the twin
// stands in for it under its own name.
bool arial_served_by_twin()
{
    LOGFONTW lf{};
    lf.lfOutPrecision = OUT_TT_PRECIS;
    wcscpy(lf.lfFaceName, L"Arial");
    const HFONT arial = CreateFontIndirectW(&lf);
    if (arial == nullptr)
        return false;
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ before = SelectObject(screen, arial);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, face);
    SelectObject(screen, before);
    ReleaseDC(nullptr, screen);
    DeleteObject(arial);
    for (const wchar_t* twin : arial_metric_twins)
        if (_wcsicmp(face, twin) == 0)
            return true;
    return false;
}

// Only what the user changed comes back: every part the dialog showed as it was given keeps
// its value, so OK alone returns the description unchanged.
LogFont desc_of_pick(const LOGFONTW& pick, int pick_tenths, const LogFont& start)
{
    LogFont lf = start;
    const LOGFONTW given = logfont_of(start);
    if (_wcsicmp(pick.lfFaceName, given.lfFaceName) != 0)
        set_face(lf, pick.lfFaceName);
    const int dpi = screen_dpi();
    const int start_points = start.height < 0 ? MulDiv(-start.height, 72, dpi) : MulDiv(start.height, 72, dpi);
    if (start.height == 0 || (pick_tenths + 5) / 10 != start_points)
        lf.height = pick.lfHeight;
    const int shown_weight = start.weight == 0 ? FW_NORMAL : start.weight;
    if (pick.lfWeight != shown_weight)
        lf.weight = int((pick.lfWeight + 50) / 100 * 100);
    if ((pick.lfItalic != 0) != (start.italic != 0))
        lf.italic = pick.lfItalic != 0 ? 255 : 0;
    return lf;
}

}  // namespace

HFONT hfont_of(Font f) { return known(f) ? f->h : stock().h; }

Font create_font(const LogFont& lf)
{
    auto obj = std::make_unique<FontObj>();
    obj->desc = lf;
    obj->desc.face[face_max] = '\0';
    const LOGFONTW wlf = logfont_of(obj->desc);
    obj->h = CreateFontIndirectW(&wlf);
    if (obj->h == nullptr)
        return nullptr;
    const Font f = obj.get();
    live_fonts.emplace(f, std::move(obj));
    return f;
}

bool get_font_desc(Font f, LogFont& out)
{
    if (!known(f))
        return false;
    out = f->desc;
    return true;
}

bool delete_font(Font f)
{
    auto it = live_fonts.find(f);
    if (it == live_fonts.end())
        return false;
    // GDI keeps a font that is still selected somewhere; it must leave every context first.
    forget_selected_font(f);
    DeleteObject(it->second->h);
    live_fonts.erase(it);
    return true;
}

int live_font_count() { return int(live_fonts.size()); }

Font stock_font() { return &stock(); }

void enum_font_families(int (*proc)(const LogFont& lf, unsigned type, std::intptr_t data), std::intptr_t data)
{
    if (proc == nullptr)
        return;
    Families families;
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &all, note_family, LPARAM(&families), 0);
    ReleaseDC(nullptr, screen);
    if (families.seen.count(L"Arial") == 0 && arial_served_by_twin()) {
        LOGFONTW arial{};
        arial.lfWeight = FW_NORMAL;
        arial.lfCharSet = ANSI_CHARSET;
        wcscpy(arial.lfFaceName, L"Arial");
        families.found.emplace_back(arial, DWORD(TRUETYPE_FONTTYPE));
    }
    for (const auto& [lf, type] : families.found)
        if (proc(desc_of(lf), unsigned(type), data) == 0)
            return;
}

bool choose_font(Window owner, LogFont& lf)
{
    if (choose_font_hook)
        return choose_font_hook(lf);
    LOGFONTW start = logfont_of(lf);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = hwnd_of(owner);
    cf.lpLogFont = &start;
    // CF_ANSIONLY keeps out the symbol fonts (Wingdings, Symbol), which have no digits to show.
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_ANSIONLY | CF_SCALABLEONLY | CF_TTONLY | CF_NOVERTFONTS;
    if (!ChooseFontW(&cf))
        return false;
    lf = desc_of_pick(start, cf.iPointSize, lf);
    return true;
}

void set_choose_font_hook(std::function<bool(LogFont& lf)> hook) { choose_font_hook = std::move(hook); }

}  // namespace plat
