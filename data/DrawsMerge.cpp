#include "data/DrawsMerge.h"

#include <set>
#include <utility>

#include "data/Types.h"
#include "data/Utils.h"

namespace {

TDrawsMerge PlanDated(const TDrawClass& game, const std::vector<TDraw>& file)
{
    TDrawsMerge plan;
    std::set<std::pair<TDateTime, int32_t>> planned;
    for (const TDraw& d : file) {
        const int at = game.FindDraw(d.Index, d.Date);
        if (at == 0) {
            // A second line for the same date and index adds nothing more.
            if (planned.insert({d.Date, d.Index}).second)
                plan.NewDraws.push_back(d);
            continue;
        }
        const TDraw* held = game.GetDraw(at);
        if (held && held->Numbers != d.Numbers)
            plan.Conflicts.push_back({d.Date, d.Index, held->Numbers, d.Numbers});
    }
    return plan;
}

TDrawsMerge PlanUndated(const TDrawClass& game, const std::vector<TDraw>& file)
{
    TDrawsMerge plan;
    const int held = game.DrawCount();
    const int given = static_cast<int>(file.size());
    for (int i = 1; i <= held; ++i) {
        const TDraw* own = game.GetDraw(i);
        if (i > given) {
            plan.HistoriesDiffer = true;
            plan.DifferAt = i;
            plan.DifferMessage = Format("The histories differ: the file holds %d draws, fewer than the game's %d. "
                                        "Nothing was added.",
                                        given, held);
            return plan;
        }
        const TDraw& theirs = file[static_cast<size_t>(i - 1)];
        if (!own || own->Numbers != theirs.Numbers) {
            plan.HistoriesDiffer = true;
            plan.DifferAt = i;
            plan.DifferMessage =
                Format("The histories differ at draw %d: the game holds %s, the file %s. "
                       "Nothing was added.",
                       i, own ? NumbersToText(own->Numbers).c_str() : "", NumbersToText(theirs.Numbers).c_str());
            return plan;
        }
    }
    plan.NewDraws.assign(file.begin() + held, file.end());
    return plan;
}

} // namespace

TDrawsMerge PlanDrawsMerge(const TDrawClass& game, const std::vector<TDraw>& file)
{
    return game.Dated() ? PlanDated(game, file) : PlanUndated(game, file);
}

int ApplyDrawsMerge(TDrawClass& game, const TDrawsMerge& merge)
{
    if (merge.HistoriesDiffer)
        return 0;
    int added = 0;
    for (const TDraw& d : merge.NewDraws)
        if (game.AddDraw(game.Dated() ? d.Index : 1, 0, d.Numbers, d.Date) > 0)
            ++added;
    return added;
}

std::string MergeDateText(TDateTime date, int32_t index, int drawsPerDay)
{
    std::string text = DateText(2, "-", false, false, date);
    if (drawsPerDay > 1)
        text += Format("/%d", index);
    return text;
}

std::string ConflictsText(const std::vector<TMergeConflict>& conflicts, int drawsPerDay, size_t maxLines)
{
    if (conflicts.empty())
        return {};
    const size_t n = conflicts.size();
    std::string text = n == 1 ? std::string("1 draw of the file differs from the game's; the game's draw was kept:")
                              : Format("%zu draws of the file differ from the game's; the game's draws were kept:", n);
    for (size_t i = 0; i < n && i < maxLines; ++i) {
        const TMergeConflict& c = conflicts[i];
        text += "\n\r" + MergeDateText(c.Date, c.Index, drawsPerDay) + ": game " + NumbersToText(c.Game) + ", file " +
                NumbersToText(c.File);
    }
    if (n > maxLines)
        text += Format("\n\r... and %zu more", n - maxLines);
    return text;
}
