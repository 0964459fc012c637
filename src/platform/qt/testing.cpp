// Test programs run with a real application on the offscreen platform, in UTC unless told
// otherwise, and with only the fonts of their font set (tests/fonts/<set>.conf).
#include "testing.h"

#include <QApplication>
#include <cstdlib>
#include <string>

// Defined by the test program: the name of the font set it expects.
extern const char* const tavrin_test_font_set;

namespace plat {

int run_test_program(int& argc, char** argv, int (*run_all)())
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "UTC0", 0);
    const std::string fonts = std::string(TAVRIN_TEST_FONTS_DIR "/") + tavrin_test_font_set + ".conf";
    setenv("FONTCONFIG_FILE", fonts.c_str(), 1);
    QApplication app(argc, argv);
    return run_all();
}

}  // namespace plat
