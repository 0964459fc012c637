// Splits resource-script template text (menus, dialogs) into tokens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct RcToken {
    enum Kind { word, number, string, comma, bar, end } kind = end;
    std::string text;          // a word as written, a string decoded
    std::uint32_t value = 0;   // a number's value
    int line = 0;
};

// Menu templates have always been read more loosely than dialog templates:
// a word runs up to a blank, comma or quote (so names such as "main-menu"
// and numbers such as "+5" or "010" reach the parser as written), a string
// may run over lines, and a backslash before a character other than
// t, n, " or \ is kept. Templates written that way must keep loading alike.
enum class RcDialect { menu, dialog };

// The tokens end with an end token. Blanks, // and /* */ comments and
// preprocessor lines (#include and the like) separate tokens. On failure
// error_line names the line of the fault.
bool rc_tokenize(const char* text, RcDialect dialect, std::vector<RcToken>& out, int& error_line);

}  // namespace plat
