#include "platform/SafeSave.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex faultLock;
TSafeSaveFault fault;

int InjectedFault(TSafeSaveStep step)
{
    std::lock_guard<std::mutex> guard(faultLock);
    return fault ? fault(step) : 0;
}

// Everything up to the last '/', with it; "" for a bare name.
std::string FolderOf(const std::string& path)
{
    const auto p = path.rfind('/');
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string NameOf(const std::string& path)
{
    const auto p = path.rfind('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string UniqueSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 rng(std::random_device{}() ^ (uint64_t(::getpid()) << 32));
    std::string s = ".";
    for (int i = 0; i < 8; ++i)
        s += letters[rng() % (sizeof letters - 1)];
    return s;
}

// A write beyond the file size limit must fail with an error, not end the
// process before it can remove its temporary file.
void IgnoreFileSizeSignal()
{
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

} // namespace

void SetSafeSaveFault(TSafeSaveFault f)
{
    std::lock_guard<std::mutex> guard(faultLock);
    fault = std::move(f);
}

TSafeSave::TSafeSave(std::string target, TMode mode) : target_(std::move(target)), mode_(mode) {}

TSafeSave::~TSafeSave() { Discard(); }

void TSafeSave::AddInput(const std::string& path) { inputs_.push_back(path); }

void TSafeSave::SetTempExtension(const std::string& extension) { extension_ = extension; }

bool TSafeSave::Fail(const std::string& reason)
{
    reason_ = reason;
    error_ = "Cannot write file \"" + target_ + "\". " + reason;
    Discard();
    return false;
}

bool TSafeSave::FailErrno(int error)
{
    std::string reason = std::strerror(error);
    if (!reason.empty() && reason.back() != '.')
        reason += '.';
    return Fail(reason);
}

void TSafeSave::Discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

// Follows symbolic links to the file they name, also when that file does not
// exist yet, so the link itself stays a link after the save.
bool TSafeSave::Resolve()
{
    if (target_.empty())
        return Fail("No file name was given.");
    std::string path = target_;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return FailErrno(errno);
            targetExists_ = false;
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            targetExists_ = true;
            if (!S_ISREG(st.st_mode))
                return Fail("It is not a regular file.");
            targetMode_ = st.st_mode & 0777;
            targetUid_ = st.st_uid;
            targetGid_ = st.st_gid;
            break;
        }
        if (hops >= 40)
            return FailErrno(ELOOP);
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size())
            return FailErrno(n < 0 ? errno : ENAMETOOLONG);
        link.resize(static_cast<size_t>(n));
        path = link[0] == '/' ? link : FolderOf(path) + link;
    }
    if (NameOf(path).empty() || NameOf(path) == "." || NameOf(path) == "..")
        return Fail("It is not a regular file.");
    finalPath_ = path;
    return true;
}

bool TSafeSave::Check()
{
    error_.clear();
    reason_.clear();
    Discard();
    if (!Resolve())
        return false;
    if (!targetExists_)
        return true;
    if (mode_ == TMode::CreateNew)
        return Fail("It already exists.");
    // A file its owner made read-only stays unchanged, for root as well.
    if ((targetMode_ & 0222) == 0 || ::access(finalPath_.c_str(), W_OK) != 0)
        return Fail("It is read-only.");
    struct stat out {};
    if (::stat(finalPath_.c_str(), &out) != 0)
        return FailErrno(errno);
    for (const std::string& input : inputs_) {
        struct stat in {};
        if (!input.empty() && ::stat(input.c_str(), &in) == 0 && SameInode(in, out))
            return Fail("It is the file \"" + input + "\" that is being read.");
    }
    return true;
}

bool TSafeSave::Begin()
{
    if (!Check())
        return false;
    IgnoreFileSizeSignal();
    if (const int e = InjectedFault(TSafeSaveStep::Create))
        return FailErrno(e);
    std::string stem = NameOf(finalPath_);
    if (!extension_.empty()) {
        const auto dot = stem.rfind('.');
        stem = (dot == std::string::npos || dot == 0 ? stem : stem.substr(0, dot)) + extension_;
    }
    // Room for the suffix within the longest name a folder holds.
    if (stem.size() > NAME_MAX - 9)
        stem.resize(NAME_MAX - 9);
    const std::string folder = FolderOf(finalPath_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folder + stem + UniqueSuffix();
        // 0666 under the umask: the mode a plainly created file gets.
        fd_ = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            tempPath_ = candidate;
            break;
        }
        if (errno != EEXIST)
            return FailErrno(errno);
    }
    if (fd_ < 0)
        return FailErrno(EEXIST);
    if (targetExists_) {
        // Keep who may read the file: a private game stays private.
        if (::fchmod(fd_, targetMode_) != 0)
            return FailErrno(errno);
        if (::fchown(fd_, targetUid_, targetGid_) != 0)
            (void)::fchown(fd_, static_cast<uid_t>(-1), targetGid_);
    }
    return true;
}

bool TSafeSave::Write(const void* bytes, size_t size)
{
    if (fd_ < 0)
        return Fail("It was not opened for writing.");
    if (const int e = InjectedFault(TSafeSaveStep::Write))
        return FailErrno(e);
    const char* p = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t put = ::write(fd_, p, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return FailErrno(errno);
        if (put == 0)
            return FailErrno(ENOSPC);
        p += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool TSafeSave::Commit(const TExamine& examine)
{
    if (fd_ < 0)
        return Fail("It was not opened for writing.");
    if (const int e = InjectedFault(TSafeSaveStep::Sync))
        return FailErrno(e);
    if (::fsync(fd_) != 0)
        return FailErrno(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return FailErrno(errno);
    if (examine) {
        std::string why;
        bool ok = false;
        try {
            ok = examine(tempPath_, why);
        } catch (const std::exception& e) {
            why = e.what();
        }
        if (!ok)
            return Fail(why.empty() ? "The written file did not read back as it should." : why);
    }
    if (const int e = InjectedFault(TSafeSaveStep::Replace))
        return FailErrno(e);
    // Something may have taken the target's place since the checks.
    struct stat st {};
    if (::lstat(finalPath_.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return Fail("It is not a regular file.");
    if (mode_ == TMode::Replace) {
        if (std::rename(tempPath_.c_str(), finalPath_.c_str()) != 0)
            return FailErrno(errno);
    } else {
        // Never over a file that appeared meanwhile: a link fails when the
        // name is taken, where a rename would replace it.
        if (::link(tempPath_.c_str(), finalPath_.c_str()) != 0)
            return errno == EEXIST ? Fail("It already exists.") : FailErrno(errno);
        ::unlink(tempPath_.c_str());
    }
    tempPath_.clear();
    // The new name must survive a crash as well as the content.
    const std::string folder = FolderOf(finalPath_);
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool SafeSaveBytes(const std::string& path, const void* bytes, size_t size, std::string& error, TSafeSave::TMode mode,
                   const std::vector<std::string>& inputs)
{
    TSafeSave save(path, mode);
    for (const std::string& input : inputs)
        save.AddInput(input);
    if (save.Begin() && save.Write(bytes, size) && save.Commit())
        return true;
    error = save.Error();
    return false;
}
