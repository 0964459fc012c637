// A paint pass whose number cannot be turned into outlines.
#include "paint_harness.h"

#include <gtest/gtest.h>

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
