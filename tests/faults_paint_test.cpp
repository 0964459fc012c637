// A paint pass whose number cannot be turned into outlines, or whose brushes cannot be made.
#include "paint_harness.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <string>

using namespace paint_test;

TEST(FacePaintFailure, HandsBackNoFontSoNoneIsDeleted)
{
    set_message_box_hook([](const MessageBoxCall&) { return int(IDOK); });
    for (const char* digit : {"3", "\xad"}) {   // a soft hyphen has no outline
        plain_style(CMD_SHAPE_CIRCLE);
        std::strcpy(face.clock.units_digit, digit);
        select_font(window_dc(face_window()), nullptr);
        grab_face();
        EXPECT_EQ(last_result, digit[0] == '3' ? stock_font() : nullptr) << int(digit[0]);
    }
    set_message_box_hook(nullptr);
}

// Each failure is told, with the window system's own error where it gives one; a brush that
// fails ends the drawing, but the pass hands back its font as usual.
TEST(FacePaintFailure, IsToldWithTheSystemsErrorAndEndsTheProgram)
{
    const struct { Refusal what; int ini, after; std::string told; } cases[] = {
        {Refusal::text_path, 0, 0, "In WM PAINT. Text Out of \"3\" into path failed, Get Last Error 8"},
        {Refusal::brush, 0, 0, "In WM PAINT. 2-color fig brush failied to create at 7(3) after 12 iterations."},
        // past the background's brush and the figure's
        {Refusal::brush, three_color, 2, "In WM PAINT. 3-color dig brush failied to create at 7(3) after 12 iterations."},
        {Refusal::brush, date_on | date_truetype, 0, "In WM PAINT. date brush failied to create at 7(3) after 12 iterations."},
    };
    std::vector<std::string> boxes;
    set_message_box_hook([&](const MessageBoxCall& c) { return boxes.push_back(c.text), int(IDOK); });
    dv_cnt = 12;
    for (const auto& c : cases) {
        plain_style(CMD_SHAPE_CIRCLE, c.ini, paint_filled, 3);
        face.clock.hour = 7;
        boxes.clear(), commands.clear();
        error_reported = 0;
        select_font(window_dc(face_window()), nullptr);
        refuse(c.what, 8, c.after);
        grab_face();
        refuse(c.what, 0);
        EXPECT_TRUE(boxes.size() == 1 && boxes[0].rfind(c.told, 0) == 0) << c.told;
        EXPECT_EQ(last_result, c.what == Refusal::brush ? stock_font() : nullptr) << c.told;
        QApplication::processEvents();
        EXPECT_EQ(commands, std::vector<std::uintptr_t>{CMD_EXIT_NO_SAVE}) << c.told;
    }
    set_message_box_hook(nullptr);
}
