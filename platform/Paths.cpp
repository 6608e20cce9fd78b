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

std::string ProgramDataFolder() { return CommonAppDataFolder() + "JUX Engine/"; }

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

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool IsSameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

namespace {

TFileStamp StampOf(const struct stat& st)
{
    TFileStamp s;
    s.Size = static_cast<uint64_t>(st.st_size);
    s.ModifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.Device = st.st_dev;
    s.Inode = st.st_ino;
    return s;
}

} // namespace

bool ReadFileStamp(const std::string& path, TFileStamp& stamp)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    stamp = StampOf(st);
    return true;
}

bool ReadFileStamp(int fd, TFileStamp& stamp)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    stamp = StampOf(st);
    return true;
}
