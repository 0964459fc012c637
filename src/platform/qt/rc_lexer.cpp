#include "rc_lexer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace plat {
namespace {

void skip_to_line_end(const char*& p)
{
    while (*p != '\0' && *p != '\n')
        ++p;
}

bool skip_blank(const char*& p, int& line)
{
    for (;;) {
        if (*p == '\n') {
            ++line;
            ++p;
        } else if (std::isspace((unsigned char)*p)) {
            ++p;
        } else if ((p[0] == '/' && p[1] == '/') || *p == '#') {
            skip_to_line_end(p);
        } else if (p[0] == '/' && p[1] == '*') {
            const char* close = std::strstr(p + 2, "*/");
            if (close == nullptr)
                return false;
            line += int(std::count(p, close, '\n'));
            p = close + 2;
        } else {
            return true;
        }
    }
}

char escaped_char(char c)
{
    switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    case 'r': return '\r';
    case 'a': return '\a';
    default: return c;       // \" and \\ and anything unknown stand for themselves
    }
}

// Backslash escapes and RC's doubled quotes.
bool read_string(const char*& p, std::string& out, RcDialect dialect, int& line)
{
    const bool menu = dialect == RcDialect::menu;
    ++p;
    for (;;) {
        if (*p == '\0' || (*p == '\n' && !menu))
            return false;
        if (p[0] == '"' && p[1] == '"') {
            out += '"';
            p += 2;
        } else if (*p == '"') {
            ++p;
            return true;
        } else if (p[0] == '\\' && p[1] != '\0' && p[1] != '\n' && (!menu || std::strchr("tn\"\\", p[1]))) {
            out += escaped_char(p[1]);
            p += 2;
        } else {
            line += *p == '\n';
            out += *p++;
        }
    }
}

std::uint32_t read_number(const char*& p)
{
    const bool negative = *p == '-';
    if (negative)
        ++p;
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    char* after = nullptr;
    const unsigned long long v = std::strtoull(hex ? p + 2 : p, &after, hex ? 16 : 10);
    p = after;
    while (*p == 'L' || *p == 'l' || *p == 'U' || *p == 'u')
        ++p;
    const std::uint32_t n = std::uint32_t(v);
    return negative ? std::uint32_t(0) - n : n;
}

bool is_word_start(char c) { return std::isalpha((unsigned char)c) || c == '_'; }
bool is_word_char(char c) { return std::isalnum((unsigned char)c) || c == '_'; }

bool ends_menu_word(char c) { return c == '\0' || c == ',' || c == '"' || std::isspace((unsigned char)c); }

// Everything but strings and commas; false for a character no token starts with.
bool read_dialog_token(const char*& p, RcToken& t)
{
    if (std::isdigit((unsigned char)*p) || (*p == '-' && std::isdigit((unsigned char)p[1]))) {
        t.kind = RcToken::number;
        t.value = read_number(p);
    } else if (is_word_start(*p)) {
        t.kind = RcToken::word;
        while (is_word_char(*p))
            t.text += *p++;
    } else if (*p == '{' || *p == '}') {
        t.kind = RcToken::word;
        t.text = *p++ == '{' ? "BEGIN" : "END";
    } else if (*p == '|') {
        t.kind = RcToken::bar;
        ++p;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool rc_tokenize(const char* p, RcDialect dialect, std::vector<RcToken>& out, int& error_line)
{
    int line = 1;
    for (;;) {
        if (!skip_blank(p, line)) {
            error_line = line;
            return false;
        }
        RcToken t;
        t.line = line;
        bool ok = true;
        if (*p == '\0') {
            out.push_back(t);
            return true;
        } else if (*p == '"') {
            t.kind = RcToken::string;
            ok = read_string(p, t.text, dialect, line);
        } else if (*p == ',') {
            t.kind = RcToken::comma;
            ++p;
        } else if (dialect == RcDialect::menu) {
            t.kind = RcToken::word;
            while (!ends_menu_word(*p))
                t.text += *p++;
        } else {
            ok = read_dialog_token(p, t);
        }
        if (!ok) {
            error_line = t.line;
            return false;
        }
        out.push_back(std::move(t));
    }
}

}  // namespace plat
