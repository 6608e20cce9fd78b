// The import analysis reads files by name, so the text goes through a
// private temporary file; the layout is kept as the three positions the
// extraction takes.
#include "service/SourceImport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "data/Types.h"

namespace {

struct TLayout {
    int DateStart = 0, DateType = 0, NumbersStart = 0;
};

std::string LayoutText(const TImportDrawsAIClass& ai)
{
    return Format("date=%d type=%d numbers=%d", static_cast<int>(ai.DateStart), static_cast<int>(ai.DateType),
                  static_cast<int>(ai.NumbersStart));
}

bool ParseLayout(const std::string& text, TLayout& out)
{
    int d = 0, t = 0, n = 0, used = 0;
    if (std::sscanf(text.c_str(), "date=%d type=%d numbers=%d%n", &d, &t, &n, &used) != 3 ||
        static_cast<size_t>(used) != text.size())
        return false;
    if (d < 0 || d > kMaxImportIntegers || t < 0 || t > 7 || n < 1 || n > kMaxImportIntegers)
        return false;
    out = {d, t, n};
    return true;
}

// A private file that is gone when this goes.
class TTempText {
public:
    explicit TTempText(const std::string& text)
    {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/jux-source-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemp(name.data()); // mode 0600
        if (fd < 0) {
            error_ = std::strerror(errno);
            return;
        }
        path_ = name.data();
        size_t off = 0;
        while (off < text.size()) {
            const ssize_t n = ::write(fd, text.data() + off, text.size() - off);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error_ = std::strerror(n < 0 ? errno : ENOSPC);
                break;
            }
            off += static_cast<size_t>(n);
        }
        if (::close(fd) != 0 && error_.empty())
            error_ = std::strerror(errno);
    }
    ~TTempText()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TTempText(const TTempText&) = delete;
    TTempText& operator=(const TTempText&) = delete;

    bool Ok() const { return !path_.empty() && error_.empty(); }
    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }

private:
    std::string path_;
    std::string error_;
};

// A layout still fits when it gives draws from at least half of the lines it reads.
bool Fits(const TImportDrawsAIClass& ai)
{
    return ai.Ready && !ai.FoundDraws.empty() && ai.FoundDraws.size() >= static_cast<size_t>(ai.SkippedCount());
}

} // namespace

TSourceReading ReadSourceDraws(const TGameInfo& info, const std::string& text, const std::string& storedLayout)
{
    TSourceReading r;
    const TTempText file(text);
    if (!file.Ok()) {
        r.Message = "No room for a temporary copy of the results file (" + file.Error() + ").";
        return r;
    }
    // Read for an empty history of the game: which draws are new is decided by the merge.
    const TDrawClass empty(info);
    TImportDrawsAIClass ai(empty);
    ai.ShowMessages = false;
    TLayout layout;
    if (ParseLayout(storedLayout, layout)) {
        ai.ExtractWith(file.Path(), layout.DateStart, layout.DateType, layout.NumbersStart);
        r.StoredLayoutUsed = Fits(ai);
    }
    if (!r.StoredLayoutUsed) {
        ai.Messages.clear();
        if (!ai.AnalyzeFile(file.Path())) {
            r.Message = ai.Messages.empty() ? std::string("The file holds no draws of this game.") : ai.Messages.back();
            // The analysis names the temporary file; the user knows the source.
            if (const size_t at = r.Message.find(file.Path()); at != std::string::npos)
                r.Message.replace(at, file.Path().size(), "results file");
            return r;
        }
    }
    if (ai.FoundDraws.empty()) {
        r.Message = "The file holds no draws of this game.";
        r.Skipped = ai.Skipped;
        return r;
    }
    r.Ok = true;
    r.Layout = LayoutText(ai);
    r.Skipped = ai.Skipped;
    r.Draws.reserve(ai.FoundDraws.size());
    for (const TImportCandidate& c : ai.FoundDraws) {
        TDraw d;
        d.Date = c.Date;
        d.Index = c.Index;
        d.Numbers = c.Numbers;
        r.Draws.push_back(std::move(d));
    }
    return r;
}
