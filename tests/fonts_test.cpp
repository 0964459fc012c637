// Font objects and families, and the default style on a machine without "Arial".
#include "tavrin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

int collect(const plat::LogFont& lf, unsigned type, std::intptr_t data)
{
    if (type == plat::TRUETYPE_FONTTYPE)
        reinterpret_cast<std::vector<std::string>*>(data)->push_back(lf.face);
    return 1;
}

TEST(Fonts, ObjectsKeepTheirDescriptionAndDieOnce)
{
    const int before = plat::live_font_count();
    plat::LogFont lf = {-120, 700, 255, 0, "DejaVu Serif"}, back;
    const plat::Font f = plat::create_font(lf);
    EXPECT_EQ(plat::live_font_count(), before + 1);
    ASSERT_TRUE(plat::get_font_desc(f, back));
    EXPECT_TRUE(back.height == -120 && back.weight == 700 && back.italic == 255 && !std::strcmp(back.face, lf.face));
    EXPECT_TRUE(plat::delete_font(f));
    EXPECT_FALSE(plat::delete_font(f)) << "a second delete is refused";
    EXPECT_FALSE(plat::get_font_desc(f, back));
    EXPECT_FALSE(plat::delete_font(nullptr) || plat::delete_font(plat::stock_font()));
    ASSERT_TRUE(plat::get_font_desc(plat::stock_font(), back));
    EXPECT_STREQ(back.face, "DejaVu Sans Mono");
    EXPECT_EQ(plat::live_font_count(), before);
}

TEST(Fonts, FamiliesAreRealFamiliesAndNoneIsArial)
{
    std::vector<std::string> found;
    plat::enum_font_families(collect, reinterpret_cast<std::intptr_t>(&found));
    const std::set<std::string> names(found.begin(), found.end());
    EXPECT_EQ(names.size(), found.size());
    EXPECT_TRUE(names.count("DejaVu Sans"));
    EXPECT_FALSE(names.count("Arial"));
    EXPECT_FALSE(names.count("Sans Serif")) << "generic names are not families";
}

// Without a style file the default style needs "Arial", which this font set lacks.
class NoArial : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir);
        fs::current_path(dir);
        fonts_before = plat::live_font_count();
        plat::set_message_box_hook([this](const plat::MessageBoxCall& call) { return boxes.push_back(call), plat::IDOK; });
    }
    void TearDown() override
    {
        close_stl();
        EXPECT_EQ(plat::live_font_count(), fonts_before);
        plat::set_choose_font_hook(nullptr);
        fs::current_path(home);
        fs::remove_all(dir);
    }
    int start() { return get_style('F', plat::load_menu("MAINMENU"), place); }

    const fs::path home = fs::current_path(), dir = fs::temp_directory_path() /
        ("tavrin-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::vector<plat::MessageBoxCall> boxes;
    int place[4] = {};
    int fonts_before = 0;
};

TEST_F(NoArial, TheUserIsToldAndCancellingEnds)
{
    int offered_height = 0;
    plat::set_choose_font_hook([&](plat::LogFont& lf) { return offered_height = lf.height, false; });
    EXPECT_EQ(start(), 1);
    EXPECT_EQ(dflt_stl.hfont, nullptr);
    EXPECT_EQ(offered_height, -33);
    std::vector<std::string> outline;   // the count in the text below is the machine's outline families
    plat::enum_font_families(collect, reinterpret_cast<std::intptr_t>(&outline));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Tavrin: Cannot find font.");
    EXPECT_EQ(boxes[0].flags, unsigned(plat::MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes[0].text, "Normally, Tavrin uses the \"Arial\" True Type font, size 20 point, but I don't find it "
                             "on this machine. However there appear to be " + std::to_string(outline.size()) +
                                 " other True Type fonts available. Choose one of them from the following dialogue.");
}

TEST_F(NoArial, ThePickedFaceBecomesTheDefaultAtTheDefaultSize)
{
    plat::set_choose_font_hook([](plat::LogFont& lf) { return lf = {-60, 700, 0, 0, "DejaVu Serif"}, true; });
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(stl.font_height, -33);
    EXPECT_EQ(hfDate, stl.hfont);
    EXPECT_EQ(std::string(make_style_string(0, 0, 0, 1, 1)).rfind("DejaVu Serif,-33,700 ", 0), 0u);
}

}  // namespace
