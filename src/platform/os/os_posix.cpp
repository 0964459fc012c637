// Local time and the atomic file replacement on POSIX systems.
#include "os.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {

std::tm local_time(std::time_t t)
{
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

namespace {

// Where the text must land: a style file that is a symbolic link is written
// through to what it points at, so the link the user made stays.
std::string link_target(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path at = path;
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(at, error)); ++hops) {
        const fs::path to = fs::read_symlink(at, error);
        if (error)
            break;
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return at.string();
}

bool write_all(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::pwrite(fd, text.data() + done, text.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

void sync_folder_of(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A fresh file beside the old one, on disk before it replaces the old one in
// one rename: a kill or a full disk leaves either the old file or the new.
int replace_by_rename(const std::string& target, const std::string& text, const struct stat* old)
{
    const std::string fresh = target + ".new";
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    bool written = write_all(fd, text);
    if (old != nullptr)
        written = ::fchmod(fd, old->st_mode & 07777) == 0 && written;
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written || std::rename(fresh.c_str(), target.c_str()) != 0) {
        std::remove(fresh.c_str());
        return 1;
    }
    sync_folder_of(target);
    return 0;
}

// For a folder that takes no new file: the space is taken first, so a full
// disk stops before the old text is touched; the text then goes in with one
// write, and a cut after it leaves only old bytes past the three lines.
int rewrite_in_place(const std::string& target, const std::string& text, const struct stat& old)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return 1;
    bool written = off_t(text.size()) <= old.st_size || ::posix_fallocate(fd, 0, off_t(text.size())) == 0;
    written = written && write_all(fd, text) && ::fsync(fd) == 0;
    written = written && ::ftruncate(fd, off_t(text.size())) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    return written ? 0 : 1;
}

}  // namespace

int replace_file(const char* path, const std::string& text)
{
    const std::string target = link_target(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && ::access(target.c_str(), W_OK) != 0)   // a write-protected style file stays as the user left it
        return 1;
    const int renamed = replace_by_rename(target, text, exists ? &old : nullptr);
    if (renamed >= 0)
        return renamed;
    return exists && S_ISREG(old.st_mode) ? rewrite_in_place(target, text, old) : 1;
}


}  // namespace os
