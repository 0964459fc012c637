// The style file's text read into usable values, whatever it holds, and saving
// that keeps the old file whole, its mode and its link.
#include "tavrin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string example = "Arial,-33,0 1024x768 (10,5)(341,384) 485 C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 "
                            "ff0000,0,e1e1e1 0 0 Arial,-33,0";

StyleValues start_values()
{
    StyleValues v{};
    std::strcpy(v.face, "Arial");
    std::strcpy(v.date_face, "Arial");
    std::fill(std::begin(v.custom), std::end(v.custom), 0xE1E1E1);
    return v;
}

// The example with its first occurrence of what replaced by with.
StyleValues read_example(const std::string& what, const std::string& with, const std::string& colours = "e1e1e1,")
{
    std::string line = example;
    line.replace(line.find(what), what.size(), with);
    StyleValues v = start_values();
    EXPECT_EQ(read_style_text(("QZ1.1\n" + line + "\n" + colours + "\n").c_str(), v), 0) << line;
    return v;
}

TEST(StyleText, EveryValueComesInWithinWhatTheProgramUses)
{
    const std::string huge = "99999999999999999999";
    const struct {
        std::string what, with;
        int StyleValues::*field;
        int expected;
    } cases[] = {
        {"-33,0 1024", "-33,-2147483648 1024", &StyleValues::weight, 0},
        {"-33,0 1024", "-33," + huge + " 1024", &StyleValues::weight, 1001},
        {"Arial,-33", "Arial,-100000000", &StyleValues::font_height, -2000},
        {"Arial,-33", "Arial,-2147483648", &StyleValues::font_height, -2000},
        {"Arial,-33", "Arial," + huge, &StyleValues::font_height, 2000},
        {"0 0 Arial,-33,0", "0 0 Arial,-2147483648,-2147483648", &StyleValues::date_hi, -2000},
        {"0 0 Arial,-33,0", "0 0 Arial,-2147483648,-2147483648", &StyleValues::date_weight, 0},
        {"2,4", "2147483647,2147483647", &StyleValues::switch_at, 3600},
        {"2,4", "0,-7", &StyleValues::off_for, 1},
        {"6:0,18:1800", "2147483647:0,18:1800", &StyleValues::start_hour, 23},
        {"6:0,18:1800", "6:0,-4:99999", &StyleValues::end_hour, 0},
        {"6:0,18:1800", "6:0,-4:99999", &StyleValues::end_secs, 3599},
        {"1800 5", "1800 2147483647", &StyleValues::demo, 3600},
        {"0 0 Arial", "2147483647 0 Arial", &StyleValues::fudge, 1800},
        {"0 0 Arial", "-2147483648 0 Arial", &StyleValues::fudge, -1799},
        {"0 0 Arial", "0 300 Arial", &StyleValues::quarter, 0},       // not after the first boundary: off
        {"0 0 Arial", "0 3600 Arial", &StyleValues::quarter, 0},      // never comes: off
        {"0 0 Arial", "0 2550 Arial", &StyleValues::quarter, 2550},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_example(c.what, c.with).*c.field, c.expected) << c.with;
    EXPECT_EQ(read_example("(341,384)", "(-5,-2147483648)").place[3], 0) << "no size below nothing";
    const StyleValues colours = read_example("ff0000,0", "ffffffffff,0", "123456789abcdef0,-1,");
    EXPECT_EQ(std::vector<COLORREF>({colours.digit, colours.custom[0], colours.custom[1]}),
              std::vector<COLORREF>({0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
}

TEST(StyleText, WrittenBackAsReadAndRefusedWhenNotOurs)
{
    StyleValues v = start_values();
    ASSERT_EQ(read_style_text(("QZ1.1\n" + example + "\n" + "1,2,\n").c_str(), v), 0);
    EXPECT_EQ(style_text_of(v, 0), example);
    EXPECT_EQ(style_text_of(v, 1).substr(example.size()), "\n1,2,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,"
                                                         "e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,")
        << "the colours the text lacks keep their value";
    StyleValues other = start_values();
    EXPECT_EQ(read_style_text(("QZ2.1\n" + example + "\n").c_str(), other), 1);
}

TEST(StyleText, EveryLineEndReadsAlikeAndFacesAreCutBetweenCharacters)
{
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        StyleValues v = start_values();
        ASSERT_EQ(read_style_text(("QZ1.1" + end + example + end + "1,2," + end).c_str(), v), 0);
        EXPECT_EQ(style_text_of(v, 1).substr(0, example.size() + 5), example + "\n1,2,") << int(end.back());
    }
    const auto times = [](const std::string& text, int n) {
        std::string all;
        while (n-- > 0)
            all += text;
        return all;
    };
    const std::pair<std::string, std::size_t> faces[] = {
        {times("a", 40), 31}, {times("\u00e9", 16), 30}, {times("\u20ac", 11), 30}, {"a" + times("\U0001F600", 8), 29}};
    for (const auto& [face, kept] : faces)
        EXPECT_EQ(read_example("Arial,-33,0 1024", face + ",-33,0 1024").face, face.substr(0, kept));
}

// ---- saving ---------------------------------------------------------------------------------

// The texts of the message boxes shown while it lives, each answered at once.
struct Boxes : std::vector<std::string> {
    Boxes() { plat::set_message_box_hook([this](const plat::MessageBoxCall& c) { return push_back(c.text), 1; }); }
    ~Boxes() { plat::set_message_box_hook(nullptr); }
};

// The style and placement the clock starts with, and the boxes shown on the way.
std::vector<std::string> start_with_style(int place[4])
{
    Boxes boxes;
    init_stl();
    const plat::Menu menu = plat::load_menu("MAINMENU");
    fiddle_file_menu('F', menu);
    get_style('F', menu, place);
    close_stl();
    return boxes;
}

std::string slurp(const fs::path& name)
{
    std::stringstream text;
    text << std::ifstream(name).rdbuf();
    return text.str();
}

class Saving : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
        std::ofstream(sty) << old_text;
        style_file_unreadable = 0;
    }
    void TearDown() override
    {
        fs::current_path(home);
        fs::remove_all(dir);
    }
    const fs::path home = fs::current_path(), dir = fs::temp_directory_path() /
        ("tavrin-saving-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    const fs::path sty = "tavrin.sty";
    const std::string old_text = "QZ1.1\nold\n", new_text = "QZ1.1\n" + example + "\nff,\n";
};

TEST_F(Saving, KeepsTheModeAndTheLinkAndWritesInPlaceWhenNoFileCanBeAdded)
{
    fs::permissions(sty, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(write_style_text("tavrin.sty", new_text), 0);
    EXPECT_EQ(slurp(sty), new_text);
    EXPECT_EQ(fs::status(sty).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_directory("real");
    fs::rename(sty, "real/kept.sty");
    fs::create_symlink("real/kept.sty", sty);
    ASSERT_EQ(write_style_text("tavrin.sty", old_text), 0);
    EXPECT_TRUE(fs::is_symlink(sty));
    EXPECT_EQ(slurp("real/kept.sty"), old_text);

    fs::create_directory("real/kept.sty.new");   // the folder takes no fresh copy
    ASSERT_EQ(write_style_text("tavrin.sty", new_text), 0);
    EXPECT_EQ(slurp("real/kept.sty"), new_text);
    ASSERT_EQ(write_style_text("tavrin.sty", old_text), 0);
    EXPECT_EQ(slurp("real/kept.sty"), old_text) << "a shorter text is not followed by the longer one's end";
    EXPECT_NE(write_style_text("no-such-dir/tavrin.sty", new_text), 0);
}

// A file-size limit stands for a full disk: the old file stays whole on both ways of writing.
TEST_F(Saving, AFullDiskLeavesTheOldFileWhole)
{
    for (bool in_place : {false, true}) {
        if (in_place)
            fs::create_directory("tavrin.sty.new");
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small = {32, 32};
            setrlimit(RLIMIT_FSIZE, &small);
            _exit(write_style_text("tavrin.sty", new_text) != 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write must fail; in place " << in_place;
        EXPECT_EQ(slurp(sty), old_text) << "in place " << in_place;
    }
}

// Killed at any moment, a save leaves one whole text or the other, never a mix.
TEST_F(Saving, AKillAtAnyMomentLeavesAWholeFile)
{
    std::mt19937 random(12);
    for (bool in_place : {false, true}) {
        fs::remove("tavrin.sty.new");   // a kill may have left a fresh copy behind
        if (in_place)
            fs::create_directory("tavrin.sty.new");
        for (int round = 0; round < 60; ++round) {
            const pid_t child = fork();
            if (child == 0)
                for (int i = 0;; ++i)
                    write_style_text("tavrin.sty", i % 2 ? old_text : new_text);
            usleep(std::uniform_int_distribution<int>(200, 3000)(random));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            const std::string left = slurp(sty);
            const bool whole = in_place ? left.rfind(new_text, 0) == 0 || left.rfind(old_text, 0) == 0
                                        : left == new_text || left == old_text;
            ASSERT_TRUE(whole) << "in place " << in_place << ": " << left;
        }
    }
}

// Each is refused at once with its reason, and left as it was after the end of the run.
TEST_F(Saving, AStyleFileThatCannotBeReadIsToldAndNeverWrittenOver)
{
    const bool root = geteuid() == 0;   // permissions bind only others: root reads as nobody
    int place[4] = {};
    EXPECT_TRUE(start_with_style(place).empty()) << "no file, no box (and the fonts are loaded now)";
    const struct {
        const char* reason;
        std::function<void()> make;
    } cases[] = {
        {"Permission denied", [&] { std::ofstream(sty) << old_text, fs::permissions(sty, fs::perms::owner_write); }},
        {"folder", [&] { fs::create_directory(sty); }},
        {"FIFO", [&] { mkfifo("tavrin.sty", 0666); }},
        {"device", [&] { fs::create_symlink("/dev/zero", sty); }},
    };
    for (const auto& c : cases) {
        fs::remove_all(sty);
        c.make();
        const fs::file_type type = fs::symlink_status(sty).type();
        if (root && seteuid(65534) != 0)
            GTEST_SKIP() << "cannot act as user nobody, so the unreadable file would be read";
        alarm(3);   // a read that blocks or never ends fails here
        style_file_unreadable = 0;
        const auto start = std::chrono::steady_clock::now();
        const std::vector<std::string> boxes = start_with_style(place);
        const auto took = std::chrono::steady_clock::now() - start;
        alarm(0);
        if (root) {
            ASSERT_EQ(seteuid(0), 0);
        }
        EXPECT_LT(took, std::chrono::seconds(1)) << c.reason;
        ASSERT_EQ(boxes.size(), 1u) << c.reason;
        EXPECT_NE(boxes[0].find("\"tavrin.sty\""), std::string::npos) << boxes[0];
        EXPECT_NE(boxes[0].find(c.reason), std::string::npos) << boxes[0];
        EXPECT_EQ(save_style_at_end(place), 0);
        EXPECT_EQ(fs::symlink_status(sty).type(), type) << c.reason;
        if (type == fs::file_type::regular) {
            fs::permissions(sty, fs::perms::owner_read, fs::perm_options::add);
            EXPECT_EQ(slurp(sty), old_text);
        }
    }
}

TEST_F(Saving, PlacementsThatCouldNotBeSeenGiveAWindowOnTheScreen)
{
    const plat::Rect desk = plat::desktop_rect();
    const std::string off = "(" + std::to_string(desk.right) + "," + std::to_string(desk.bottom) + ")(341,384)";
    for (const std::string& where : {std::string("(10,5)(0,0)"), std::string("(10,5)(-40,-2147483648)"), off}) {
        std::string line = example;
        std::ofstream(sty) << "QZ1.1\n" << line.replace(line.find("(10,5)(341,384)"), 15, where) << "\n";
        int place[4] = {};
        EXPECT_TRUE(start_with_style(place).empty());
        EXPECT_TRUE(place[2] >= min_window_width && place[3] >= min_window_height) << where;
        EXPECT_TRUE(place[0] < desk.right && place[1] < desk.bottom && place[0] + place[2] > desk.left &&
                    place[1] + place[3] > desk.top) << where;
    }
}

// The old file survives a failed save; the user hears why, and the run ends non-zero.
TEST_F(Saving, AFailedSaveIsTold)
{
    fs::remove(sty);
    fs::create_symlink("no-such-dir/kept.sty", sty);
    const Boxes boxes;
    const int place[4] = {10, 5, 341, 384};
    EXPECT_EQ(save_style_at_end(place), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("\"tavrin.sty\""), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find(std::strerror(ENOENT)), std::string::npos) << boxes[0];
}

}  // namespace
