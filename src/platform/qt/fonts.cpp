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

// Face names are UTF-8, cut where a character begins so that no half of one is kept.
void set_face(LogFont& lf, const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    int kept = std::min(int(utf8.size()), face_max);
    while (kept > 0 && kept < utf8.size() && (static_cast<unsigned char>(utf8[kept]) & 0xC0) == 0x80)
        --kept;
    std::memcpy(lf.face, utf8.constData(), std::size_t(kept));
    lf.face[kept] = '\0';
}

QFont qfont_from(const LogFont& lf)
{
    QFont font;
    if (lf.face[0] != '\0')
        font.setFamily(QString::fromUtf8(lf.face));
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

// The dialog opens on what the font system really draws: the family it serves for the face
// ("Arial" is often its metric twin, the name the dialog lists), that family's style and the size.
QFont dialog_start(const LogFont& lf)
{
    QFont start = qfont_from(lf);
    const QFontInfo used(start);
    start.setFamily(used.family());
    start.setStyleName(used.styleName());
    if (lf.height < 0)
        start.setPointSizeF(-lf.height * 72.0 / screen_dpi());
    return start;
}

// The style of a family that the font system would choose for the weight and slant of look.
QString style_like(const QString& family, const QFont& look)
{
    QFont wanted(family);
    wanted.setWeight(look.weight());
    wanted.setItalic(look.italic());
    return QFontInfo(wanted).styleName();
}

// Picking a family, the dialog keeps the style by name, and falls on the family's first style
// when it has none of that name: often an oblique one. The new family gets the weight and slant
// that were showing instead.
void keep_look_across_families(QFontDialog& dialog)
{
    auto keep_look = [&dialog, before = dialog.currentFont()](const QFont& now) mutable {
        const bool look_lost =
            now.family() != before.family() && (now.weight() != before.weight() || now.italic() != before.italic());
        if (!look_lost) {
            before = now;
            return;
        }
        QFont kept = now;
        kept.setStyleName(style_like(now.family(), before));
        dialog.setCurrentFont(kept);   // comes back here with the look kept
    };
    QObject::connect(&dialog, &QFontDialog::currentFontChanged, &dialog, keep_look);
}

// Weights are kept in steps of 100; the font system may report one in between (401),
// which the style file would read as an italic flag.
int rounded_weight(int weight) { return (weight + 50) / 100 * 100; }

// Only what the user changed comes back: every part left as the dialog showed it keeps the
// value it had, so OK alone returns the description unchanged.
LogFont desc_of_pick(const QFont& pick, const QFont& shown, const LogFont& start)
{
    LogFont lf = start;
    if (pick.family() != shown.family())
        set_face(lf, pick.family());
    if (pixel_height_of(pick) != pixel_height_of(shown))
        lf.height = pixel_height_of(pick);
    if (pick.weight() != shown.weight())
        lf.weight = rounded_weight(pick.weight());
    if (pick.italic() != shown.italic())
        lf.italic = pick.italic() ? 255 : 0;
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
    QFontDialog dialog(widget_of(owner));
    dialog.setWindowTitle(QStringLiteral("Font"));
    dialog.setOption(QFontDialog::ScalableFonts);
    dialog.setCurrentFont(dialog_start(lf));
    const QFont shown = dialog.currentFont();
    keep_look_across_families(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    lf = desc_of_pick(dialog.selectedFont(), shown, lf);
    return true;
}

void set_choose_font_hook(std::function<bool(LogFont& lf)> hook) { choose_font_hook = std::move(hook); }

}  // namespace plat
