// The process entry: answers for the terminal, then the clock's own start-up with the arguments
// in UTF-8, joined by single blanks.
#include "win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const version_text = "tavrin " TAVRIN_VERSION "\n";

struct TerminalAnswer {
    const char* argument;
    const char* text;
};

const TerminalAnswer terminal_answers[] = {
    {"--help", plat::program_usage()},
    {"-h", plat::program_usage()},
    {"--version", version_text},
};

const char* terminal_answer(const std::vector<std::string>& args)
{
    for (const std::string& arg : args)
        for (const TerminalAnswer& a : terminal_answers)
            if (arg == a.argument)
                return a.text;
    return nullptr;
}

bool write_all(HANDLE out, const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(out, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

// A program of the windows subsystem has no console of its own: the answer goes where its
// output was sent, else to the console it was started from, else into a box.
void answer(const char* text)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && write_all(out, text))
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            std::wstring w = plat::wide(text);
            std::wstring crlf;
            for (wchar_t c : w)
                crlf += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
            DWORD written = 0;
            const bool done = WriteConsoleW(console, crlf.c_str(), DWORD(crlf.size()), &written, nullptr);
            CloseHandle(console);
            FreeConsole();
            if (done)
                return;
        }
    }
    MessageBoxW(nullptr, plat::wide(text).c_str(), L"tavrin", MB_OK | MB_ICONINFORMATION);
}

std::vector<std::string> arguments()
{
    std::vector<std::string> args;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr)
        return args;
    for (int i = 1; i < argc; ++i)
        args.push_back(plat::utf8(argv[i]));
    LocalFree(argv);
    return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::vector<std::string> args = arguments();
    if (const char* text = terminal_answer(args)) {
        answer(text);
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    std::string command_line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0)
            command_line += ' ';
        command_line += args[i];
    }
    return plat::start_program(command_line.c_str());
}
