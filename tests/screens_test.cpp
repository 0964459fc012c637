// Two monitors side by side, at twice the pixel density: the desktop is both of
// them, places on either are kept, and every placement is in logical pixels.
#include "tavrin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Before main creates the application, which reads these once. Qt keeps each
// screen's native top-left as its logical one, so the second screen sits at
// 1280 in both: 1280 to 2304 wide and 768 high in logical pixels.
const bool screens_configured = [] {
    setenv("QT_QPA_PLATFORM", "offscreen:configfile=" TAVRIN_TEST_DATA "/two-screens.json", 1);
    setenv("QT_SCALE_FACTOR", "2", 1);
    return true;
}();

std::vector<int> v4(const plat::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The placement get_style takes from a style file holding this one.
std::vector<int> placement_read(const std::string& where)
{
    const fs::path home = fs::current_path(), dir = fs::temp_directory_path() / "tavrin-screens-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    if (!where.empty())
        std::ofstream("tavrin.sty") << "QZ1.1\nArial,-33,0 2304x1024 " << where
                                    << " 485 C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 ff0000,0,e1e1e1 0 0 Arial,-33,0\n"
                                    << "e1e1e1,\n";
    init_stl();
    plat::Menu menu = plat::load_menu("MAINMENU");
    fiddle_file_menu('F', menu);
    int place[4] = {};
    get_style('F', menu, place);
    close_stl();
    fs::current_path(home);
    fs::remove_all(dir);
    return {place[0], place[1], place[2], place[3]};
}

TEST(TwoScreens, TheDesktopIsBothScreensAndTheDefaultPlaceIsOnThePrimary)
{
    ASSERT_TRUE(screens_configured);
    EXPECT_EQ(v4(plat::desktop_rect()), (std::vector<int>{0, 0, 2304, 1024}));
    EXPECT_EQ(v4(plat::primary_screen_rect()), (std::vector<int>{0, 0, 1280, 1024}));
    EXPECT_EQ(placement_read(""), (std::vector<int>{10, 5, 1280 / 3, 1024 / 2}));
}

TEST(TwoScreens, PlacesOnEitherScreenAreKeptAndOnlyPlacesOffTheDesktopMoved)
{
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"(1500,700)(400,300)", {1500, 700, 400, 300}},     // on the second screen
        {"(2304,1024)(400,300)", {10, 5, 400, 300}},        // wholly beyond its far corner: back on the primary
        {"(2305,-1)(400,300)", {0, 0, 400, 300}},
        {"(100,100)(3000,2000)", {100, 100, 2304, 1024}},
    };
    for (const auto& [where, expected] : cases)
        EXPECT_EQ(placement_read(where), expected) << where;
}

std::intptr_t plain_proc(plat::Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    return plat::def_window_proc(w, msg, wp, lp);
}

TEST(TwoScreens, AWindowOnTheSecondScreenIsWhereItWasPut)
{
    plat::Window w = plat::create_window({"QZClockClass", "the Tavrin Clock", 1500, 101, 401, 301, nullptr, plain_proc});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(v4(plat::window_rect(w)), (std::vector<int>{1500, 101, 1901, 402}));
    plat::set_window_pos(w, 1283, 7, 333, 255);
    EXPECT_EQ(v4(plat::window_rect(w)), (std::vector<int>{1283, 7, 1616, 262}));
    plat::destroy_window(w);
}

}  // namespace
