#include "service/SourceImport.h"

#include <cstdio>

#include "data/ImportLayout.h"

namespace {

// An earlier form of a stored layout: the three positions of an integers layout.
bool ParsePositions(const std::string& text, TImportLayout& out)
{
    int d = 0, t = 0, n = 0, used = 0;
    if (std::sscanf(text.c_str(), "date=%d type=%d numbers=%d%n", &d, &t, &n, &used) != 3 ||
        static_cast<size_t>(used) != text.size())
        return false;
    if (d < 0 || d > kMaxImportIntegers || t < 0 || t > 7 || n < 1 || n > kMaxImportIntegers)
        return false;
    out = TImportLayout{};
    out.Kind = TImportLayout::TKind::Integers;
    out.DateStart = d;
    out.DateType = t;
    out.NumbersStart = n;
    return true;
}

bool Usable(const TImportResult& r) { return r.Ready && r.Fits && !r.Draws.empty(); }

} // namespace

TSourceReading ReadSourceDraws(const TGameInfo& info, const std::string& text, const std::string& storedLayout)
{
    TSourceReading r;
    // Read for an empty history of the game: which draws are new is decided by the merge.
    const TDrawClass empty(info);
    TImportLayout layout;
    TImportResult read;
    if (TImportLayout::FromText(storedLayout, layout) || ParsePositions(storedLayout, layout)) {
        read = AnalyzeImportText(text, empty, layout);
        r.StoredLayoutUsed = Usable(read);
    }
    if (!r.StoredLayoutUsed)
        read = AnalyzeImportText(text, empty);
    if (!read.Ready) {
        r.Message = read.Messages.empty() ? std::string("The file holds no draws of this game.") : read.Messages.back();
        return r;
    }
    r.Skipped = read.Skipped;
    if (read.Draws.empty()) {
        r.Message = "The file holds no draws of this game.";
        return r;
    }
    r.Ok = true;
    r.Layout = read.Layout.ToText();
    r.Draws.reserve(read.Draws.size());
    for (TImportCandidate& c : read.Draws) {
        TDraw d;
        d.Date = c.Date;
        d.Index = c.Index;
        d.Numbers = std::move(c.Numbers);
        r.Draws.push_back(std::move(d));
    }
    return r;
}
