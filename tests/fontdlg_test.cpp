// The real font dialog: it opens on the face in use, and OK alone changes nothing.
#include "tavrin.h"

#include <QApplication>
#include <QFontDialog>
#include <QFontInfo>
#include <QListView>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

struct Opened {
    std::string family;
    bool italic;
    int weight;
    double points;
};

// Runs choose_font while `act` answers the dialog; returns what the dialog opened on.
Opened choose(plat::LogFont& lf, bool& ok, const std::function<void(QFontDialog&)>& act)
{
    Opened opened{};
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const QFont f = dialog->currentFont();
        opened = {f.family().toStdString(), f.italic(), f.weight(), f.pointSizeF()};
        act(*dialog);
    });
    ok = plat::choose_font(nullptr, lf);
    return opened;
}

bool same(const plat::LogFont& a, const plat::LogFont& b)
{
    return a.height == b.height && a.weight == b.weight && a.italic == b.italic && !std::strcmp(a.face, b.face);
}

TEST(FontDialog, OpensOnTheFaceInUseAndOkAloneChangesNothing)
{
    const struct {
        plat::LogFont lf;
        const char* opens_on;
        bool italic;
        int weight;
    } starts[] = {
        {{-33, 0, 0, 0, "Arial"}, "Liberation Sans", false, 400},   // served by its metric twin
        {{-60, 700, 255, 0, "DejaVu Serif"}, "DejaVu Serif", true, 700},
        {{-27, 400, 0, 0, "Liberation Sans"}, "Liberation Sans", false, 400},
    };
    for (const auto& s : starts) {
        plat::LogFont lf = s.lf;
        bool ok = false;
        const Opened opened = choose(lf, ok, [](QFontDialog& d) { d.accept(); });
        EXPECT_EQ(opened.family, s.opens_on) << s.lf.face;
        EXPECT_EQ(opened.italic, s.italic) << s.lf.face;
        EXPECT_EQ(opened.weight, s.weight) << s.lf.face;
        EXPECT_NEAR(opened.points, -s.lf.height * 72.0 / 96.0, 0.5) << s.lf.face;
        EXPECT_TRUE(ok);
        EXPECT_TRUE(same(lf, s.lf)) << s.lf.face << " came back as " << lf.face << " " << lf.height << " "
                                    << lf.weight << " " << int(lf.italic);
    }
}

// A click on a family in the dialog's list, as the user picks one.
void pick_family(QFontDialog& dialog, const char* family)
{
    for (QListView* list : dialog.findChildren<QListView*>()) {
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->index(row, 0).data().toString() == QLatin1String(family))
                return list->setCurrentIndex(model->index(row, 0));
    }
    ADD_FAILURE() << "no family " << family;
}

void set_size(QFontDialog& dialog, int points)
{
    QFont f = dialog.currentFont();
    f.setPointSize(points);
    dialog.setCurrentFont(f);
}

void set_style(QFontDialog& dialog, const char* style)
{
    QFont f = dialog.currentFont();
    f.setStyleName(QLatin1String(style));
    dialog.setCurrentFont(f);
}

// Families without a style named like the one showing (DejaVu has "Book", not "Regular") must
// not fall on their first style, an oblique or condensed one.
TEST(FontDialog, OnlyWhatWasChangedComesBack)
{
    const struct {
        plat::LogFont start;
        std::function<void(QFontDialog&)> change;
        plat::LogFont expected;
    } changes[] = {
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { set_size(d, 36); }, {-48, 0, 0, 0, "Arial"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { set_style(d, "Bold Italic"); }, {-33, 700, 255, 0, "Arial"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { pick_family(d, "DejaVu Sans"); }, {-33, 0, 0, 0, "DejaVu Sans"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { pick_family(d, "DejaVu Serif"); }, {-33, 0, 0, 0, "DejaVu Serif"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { pick_family(d, "Liberation Serif"); },
         {-33, 0, 0, 0, "Liberation Serif"}},
        {{-60, 700, 255, 0, "Liberation Serif"}, [](QFontDialog& d) { pick_family(d, "DejaVu Sans"); },
         {-60, 700, 255, 0, "DejaVu Sans"}},
    };
    for (const auto& c : changes) {
        plat::LogFont lf = c.start;
        bool ok = false;
        choose(lf, ok, [&c](QFontDialog& d) {
            c.change(d);
            d.accept();
        });
        EXPECT_TRUE(ok && same(lf, c.expected)) << c.expected.face << ": " << lf.face << " " << lf.height << " "
                                                << lf.weight << " " << int(lf.italic);
    }
}

// The number font's menu command as the user meets it: OK alone is no change of style.
TEST(FontDialog, FontDialogWithoutChangeReturnsZero)
{
    plat::Font font = plat::create_font({-120, 0, 0, 0, "Arial"});
    plat::Font slot = font;
    int height = -33;
    QTimer::singleShot(0, [] { qobject_cast<QFontDialog*>(QApplication::activeModalWidget())->accept(); });
    EXPECT_EQ(font_dialog(&slot, &height), 0);
    EXPECT_EQ(slot, font);
    EXPECT_EQ(height, -33);
    plat::delete_font(font);
}

}  // namespace
