// Font objects made from descriptions, the font families of the machine and the font picker.
#include "internal.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <unordered_map>

struct plat::FontObj : plat::Held<plat::FontObj> {
    LogFont desc;
    QFont qfont;
};

namespace plat {

namespace {

// Deleting a font frees it; a handle is looked up before it is used, so
// deleting twice, or asking about a deleted font, stays harmless.
std::unordered_map<const FontObj*, std::unique_ptr<FontObj>> live_fonts;
std::function<bool(LogFont&)> choose_font_hook;

constexpr int face_max = int(sizeof(LogFont::face)) - 1;

// Families that fontconfig serves as "Arial" with the same metrics.
const char* const arial_metric_twins[] = {"Liberation Sans", "Arimo"};

void set_face(LogFont& lf, const QString& name)
{
    std::strncpy(lf.face, name.toLatin1().constData(), face_max);
    lf.face[face_max] = '\0';
}

QFont qfont_from(const LogFont& lf)
{
    QFont font;
    if (lf.face[0] != '\0')
        font.setFamily(QString::fromLatin1(lf.face));
    if (lf.height != 0)
        font.setPixelSize(std::abs(lf.height));
    if (lf.weight > 0)
        font.setWeight(QFont::Weight(std::min(lf.weight, 1000)));
    font.setItalic(lf.italic != 0);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

double screen_dpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

// The generic names that Qt's font database lists beside the installed
// families. Telling them by name spares loading a font file per family.
const char* const generic_families[] = {"Serif", "Sans Serif", "Monospace"};

bool is_alias(const QString& family)
{
    return std::any_of(std::begin(generic_families), std::end(generic_families),
                       [&](const char* name) { return family == QLatin1String(name); });
}

bool arial_served_by_twin()
{
    const QString match = QFontInfo(QFont(QStringLiteral("Arial"))).family();
    for (const char* twin : arial_metric_twins)
        if (match == QLatin1String(twin))
            return true;
    return false;
}

// The families a user can pick, without fontconfig's generic names.
QStringList real_families()
{
    QStringList names;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family) && !is_alias(family))
            names.append(family);
    return names;
}

// The font matcher usually answers at once; only without a mono-space alias
// are the families asked, and then by what the database already knows of
// them, without loading any.
QFont fixed_pitch_font()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(font).fixedPitch())
        return font;
    for (const QString& family : QFontDatabase::families())
        if (!is_alias(family) && QFontDatabase::isFixedPitch(family)) {
            font.setFamily(family);
            break;
        }
    return font;
}

FontObj& stock()
{
    static FontObj obj = [] {
        FontObj made;
        made.qfont = fixed_pitch_font();
        const QFontInfo info(made.qfont);
        set_face(made.desc, info.family());
        made.desc.height = -info.pixelSize();
        made.desc.weight = 400;
        return made;
    }();
    return obj;
}

bool known(Font f) { return f == &stock() || live_fonts.count(f) != 0; }

int pixel_height_of(const QFont& font)
{
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    return -int(std::lround(font.pointSizeF() * screen_dpi() / 72.0));
}

LogFont desc_of_pick(const QFont& font, const LogFont& start)
{
    LogFont lf = start;
    set_face(lf, font.family());
    lf.height = pixel_height_of(font);
    lf.weight = font.weight();
    lf.italic = font.italic() ? 255 : 0;
    return lf;
}

}  // namespace

Font create_font(const LogFont& lf)
{
    auto obj = std::make_unique<FontObj>();
    obj->desc = lf;
    obj->desc.face[face_max] = '\0';
    obj->qfont = qfont_from(obj->desc);
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
    return live_fonts.erase(f) != 0;
}

int live_font_count() { return int(live_fonts.size()); }

int held_font_count() { return Held<FontObj>::count; }

Font stock_font() { return &stock(); }

QFont qfont_of(Font f) { return known(f) ? f->qfont : QFont(); }

void enum_font_families(int (*proc)(const LogFont& lf, unsigned type, std::intptr_t data), std::intptr_t data)
{
    QStringList names = real_families();
    const bool arial_twin = !names.contains(QStringLiteral("Arial")) && arial_served_by_twin();
    if (arial_twin) {
        names.append(QStringLiteral("Arial"));
        names.sort();
    }
    for (const QString& name : names) {
        LogFont lf;
        set_face(lf, name);
        lf.weight = 400;
        const bool outline = (arial_twin && name == QLatin1String("Arial")) || QFontDatabase::isSmoothlyScalable(name);
        if (proc(lf, outline ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE, data) == 0)
            return;
    }
}

bool choose_font(Window owner, LogFont& lf)
{
    if (choose_font_hook)
        return choose_font_hook(lf);
    QFont start = qfont_from(lf);
    if (lf.height < 0)
        start.setPointSizeF(-lf.height * 72.0 / screen_dpi());
    bool ok = false;
    const QFont pick = QFontDialog::getFont(&ok, start, widget_of(owner), QStringLiteral("Font"),
                                            QFontDialog::ScalableFonts);
    if (!ok)
        return false;
    lf = desc_of_pick(pick, lf);
    return true;
}

void set_choose_font_hook(std::function<bool(LogFont& lf)> hook) { choose_font_hook = std::move(hook); }

}  // namespace plat
