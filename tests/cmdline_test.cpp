// The command line as the start-up reads it, and what its option sets.
#include "tavrin.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(CommandLine, ParsedAsScanfReadsIt)
{
    struct Case { const char* text; std::vector<int> fields_hr_min_option_save; };
    const Case cases[] = {
        {"", {-1, 0, 0, 1, 1}},       {"   ", {-1, 0, 0, 1, 1}},     {nullptr, {-1, 0, 0, 1, 1}},
        {"12 30", {2, 12, 30, 1, 0}}, {"12:30", {1, 12, 0, 1, 0}},   {"x", {0, 0, 0, 1, 0}},
        {"0 0 6", {3, 0, 0, 6, 1}},   {"12 30 5", {3, 12, 30, 5, 0}}, {"12 30 3", {3, 12, 30, 3, 0}},
        {"0 0 7", {3, 0, 0, 7, 0}},   {" 7  45  2 junk", {3, 7, 45, 2, 0}},
    };
    for (const Case& c : cases) {
        const CommandLine cl = parse_command_line(c.text);
        EXPECT_EQ((std::vector<int>{cl.fields_read, cl.hr, cl.min, cl.option, save_allowed_for(cl)}),
                  c.fields_hr_min_option_save) << (c.text ? c.text : "(null)");
    }
}

void reset_start_up_state()
{
    run_bits = paint_filled;
    microsec_factor = 1000;
    clk.skip_zero = clk.time_source = 0;
}

TEST(CommandLine, OptionsReachWindowAndTimeModel)
{
    struct Case { int option, run_bits, microsec, time_source, skip_zero; };
    const Case cases[] = {
        {1, paint_filled, 1000, 1, 0},   {2, paint_filled, 1000, 2, 0},
        {3, 0, 1000, 3, 0},              {4, paint_filled, 1000, 4, 0},
        {5, paint_filled | map_plot, 1000, 0, 0},
        {6, paint_filled, 100, 0, 0},    {7, paint_filled, 1000, 0, 1},
        {12, paint_filled, 1000, 0, 0},  {-2, paint_filled, 1000, 0, 0},
    };
    for (const Case& c : cases) {
        reset_start_up_state();
        exception_init_wp(c.option, 12, 30);
        EXPECT_EQ((std::vector<int>{run_bits, microsec_factor, clk.time_source, clk.skip_zero}),
                  (std::vector<int>{c.run_bits, c.microsec, c.time_source, c.skip_zero})) << c.option;
        EXPECT_EQ(clk.demo_hour * 100 + clk.demo_minute, 1230) << c.option;
    }
    reset_start_up_state();
}

TEST(Trace, RowsOrderByMessageNumber)
{
    MsgName rows[] = {{"b", 275}, {"a", 273}, add_msgs[0], {"c", 65534}};
    EXPECT_EQ(msgnum_comp(&rows[0], &rows[1]), 2);
    EXPECT_EQ(msgnum_comp(&rows[1], &rows[1]), 0);
    std::qsort(rows, 4, sizeof rows[0], msgnum_comp);
    EXPECT_STREQ(rows[3].name, "end of table");
    EXPECT_EQ(rows[3].number, 0xFFFF);
    EXPECT_EQ(rows[0].number, 273);
}

}  // namespace
