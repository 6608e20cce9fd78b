#include "platform/Paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string IncludeTrailingPathDelimiter(const std::string& path)
{
    if (path.empty() || path.back() == '/')
        return path;
    return path + '/';
}

std::string ProgramFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return IncludeTrailingPathDelimiter(fs::current_path(ec).string());
    return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

std::string CommonAppDataFolder()
{
    if (const char* v = std::getenv("JUX_DATA_HOME"); v && *v)
        return IncludeTrailingPathDelimiter(v);
    if (const char* v = std::getenv("XDG_DATA_HOME"); v && *v)
        return IncludeTrailingPathDelimiter(v);
    const char* home = std::getenv("HOME");
    std::string h = home && *home ? home : "";
    if (h.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            h = pw->pw_dir;
    }
    return IncludeTrailingPathDelimiter(IncludeTrailingPathDelimiter(h) + ".local/share");
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

std::string ExtractFilePath(const std::string& path)
{
    const auto p = path.find_last_of("/\\:");
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path)
{
    const auto p = path.find_last_of("/\\:");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path)
{
    const auto p = path.find_last_of("./\\:");
    if (p == std::string::npos || path[p] != '.')
        return {};
    return path.substr(p);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext)
{
    const auto p = path.find_last_of("./\\:");
    if (p == std::string::npos || path[p] != '.')
        return path + ext;
    return path.substr(0, p) + ext;
}

bool DeleteFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool ReplaceFileContents(const std::string& path, const void* bytes, size_t size, std::string& error)
{
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        error = "Cannot create file \"" + path + "\". " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; a replaced file gets the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
    const char* p = static_cast<const char*>(bytes);
    size_t left = ok ? size : 0;
    while (left > 0) {
        const ssize_t put = ::write(fd, p, left);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            ok = false;
            break;
        }
        p += put;
        left -= static_cast<size_t>(put);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        error = "Error writing file \"" + path + "\".";
        return false;
    }
    return true;
}
