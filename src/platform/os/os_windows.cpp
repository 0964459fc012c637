// Local time and the atomic file replacement on Windows.
#include "os.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <time.h>

#include <cerrno>

#include <algorithm>
#include <vector>

namespace os {

std::tm local_time(std::time_t t)
{
    // The C runtime keeps the zone it read first; reading it again each time lets the clock
    // follow a change of zone as the system announces it.
    _tzset();
    std::tm local{};
    const __time64_t t64 = t;
    if (_localtime64_s(&local, &t64) != 0)
        local = std::tm{};
    return local;
}

namespace {

// The caller names the reason in its message from errno, as the C library would have set it.
int failed_with(DWORD error)
{
    static const struct { DWORD error; int code; } reasons[] = {
        {ERROR_ACCESS_DENIED, EACCES}, {ERROR_SHARING_VIOLATION, EACCES}, {ERROR_LOCK_VIOLATION, EACCES},
        {ERROR_WRITE_PROTECT, EROFS},  {ERROR_DISK_FULL, ENOSPC},         {ERROR_HANDLE_DISK_FULL, ENOSPC},
        {ERROR_FILE_NOT_FOUND, ENOENT}, {ERROR_PATH_NOT_FOUND, ENOENT},   {ERROR_INVALID_NAME, ENOENT},
    };
    errno = EIO;
    for (const auto& r : reasons)
        if (r.error == error)
            errno = r.code;
    return 1;
}

std::wstring wide(const char* utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, out.data(), n);
    out.resize(std::size_t(n - 1));
    return out;
}

// Where the text must land: a style file that is a symbolic link is written through to
// what it points at, so the link the user made stays.
std::wstring link_target(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    const HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    std::vector<wchar_t> buf(MAX_PATH);
    DWORD n = GetFinalPathNameByHandleW(h, buf.data(), DWORD(buf.size()), FILE_NAME_NORMALIZED);
    if (n >= buf.size()) {
        buf.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, buf.data(), DWORD(buf.size()), FILE_NAME_NORMALIZED);
    }
    CloseHandle(h);
    return n > 0 && n < buf.size() ? std::wstring(buf.data(), n) : path;
}

bool write_all(HANDLE h, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = DWORD(std::min<std::size_t>(text.size() - done, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(h, text.data() + done, chunk, &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

// A fresh file beside the old one, on disk before it takes the old one's place in one
// step: a kill or a full disk leaves either the old file or the new. -1 when the folder
// takes no new file.
int replace_by_rename(const std::wstring& target, const std::string& text, bool exists)
{
    const std::wstring fresh = target + L".new";
    const HANDLE h = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    bool written = write_all(h, text);
    written = FlushFileBuffers(h) && written;
    written = CloseHandle(h) && written;
    // ReplaceFileW keeps the old file's attributes and permissions; where it cannot, a plain
    // replacing move still puts the new text in place.
    const DWORD move = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const bool replaced = written && ((exists && ReplaceFileW(target.c_str(), fresh.c_str(), nullptr,
                                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
                                      MoveFileExW(fresh.c_str(), target.c_str(), move));
    if (!replaced) {
        const DWORD error = GetLastError();
        DeleteFileW(fresh.c_str());
        return failed_with(error);
    }
    return 0;
}

// For a folder that takes no new file: the space is taken first, so a full disk stops
// before the old text is touched; the text then goes in with one write.
int rewrite_in_place(const std::wstring& target, const std::string& text)
{
    const HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return failed_with(GetLastError());
    LARGE_INTEGER old_size{}, new_size{}, start{};
    new_size.QuadPart = LONGLONG(text.size());
    bool written = GetFileSizeEx(h, &old_size) != 0;
    if (written && new_size.QuadPart > old_size.QuadPart)
        written = SetFilePointerEx(h, new_size, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    written = written && SetFilePointerEx(h, start, nullptr, FILE_BEGIN) && write_all(h, text) && FlushFileBuffers(h);
    written = written && SetFilePointerEx(h, new_size, nullptr, FILE_BEGIN) && SetEndOfFile(h) && FlushFileBuffers(h);
    const DWORD error = GetLastError();
    written = CloseHandle(h) && written;
    return written ? 0 : failed_with(error);
}

}  // namespace

int replace_file(const char* path, const std::string& text)
{
    const std::wstring name = wide(path);
    if (name.empty())
        return failed_with(ERROR_INVALID_NAME);
    const std::wstring target = link_target(name);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0)   // a write-protected style file stays as the user left it
        return failed_with(ERROR_ACCESS_DENIED);
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        errno = EISDIR;
        return 1;
    }
    const int renamed = replace_by_rename(target, text, exists);
    if (renamed >= 0)
        return renamed;
    return exists ? rewrite_in_place(target, text) : failed_with(GetLastError());
}

}  // namespace os
