// Every test program runs inside the set-up its back end gives tests (see platform/testing.h).
#include "platform/testing.h"

#include <gtest/gtest.h>

// The fonts this program's expectations were written against (a set under tests/fonts).
extern const char* const tavrin_test_font_set;
const char* const tavrin_test_font_set = TAVRIN_TEST_FONT_SET;

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return plat::run_test_program(argc, argv, [] { return RUN_ALL_TESTS(); });
}
