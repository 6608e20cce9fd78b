// The order of the steps is what keeps the game safe: the merged history is
// built beside the game's own, written through the game file's ".tmp" rule,
// and only a saved game moves the stored validators on.
#include "service/SourceUpdate.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "data/GameFile.h"
#include "data/TextCodec.h"
#include "data/Types.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "service/SourceImport.h"

namespace {

// Answers the save's question with Yes (the update itself is the user's
// request to save) and keeps what it reports instead of showing it.
class TCapturedDialogs : public TUserDialogs {
public:
    TModalResult ShowMessageDialog(const std::string& text, unsigned, TDialogKind kind) override
    {
        if (kind == TDialogKind::Error)
            errors.push_back(text);
        return TModalResult::Yes;
    }
    std::vector<std::string> errors;
};

std::unique_ptr<TDrawClass> CopyHistory(const TDrawClass& game)
{
    auto copy = std::make_unique<TDrawClass>(game.GameInfo());
    for (int i = 1; i <= game.DrawCount(); ++i) {
        const TDraw* d = game.GetDraw(i);
        if (!d || copy->AddDraw(game.Dated() ? d->Index : 1, d->Status, d->Numbers, d->Date) == 0)
            throw Exception(Format("INTERNAL ERROR [update] : Unable to copy draw %d", i));
    }
    return copy;
}

void ReadAndMerge(const std::string& gamePath, const TDrawClass& game, TGameSource& source,
                  const TDownloadResult& download, bool dryRun, TDrawsMerge& plan, TUpdateOutcome& out)
{
    auto fail = [&](const std::string& message) {
        out.Status = TUpdateStatus::Failed;
        out.Message = message;
    };
    if (LooksLikeWebPage(download.Body, download.ContentType))
        return fail("The address answered with a web page, not a results file.\n\rUse the address of the file "
                    "itself (the link to its CSV or text download).");
    // Without a layout of its own, the source is first read as the user last imported the game's files.
    std::string layout = source.Layout;
    if (TImportLayout picked; layout.empty() && LoadImportLayout(GameSourceFile(gamePath), picked))
        layout = picked.ToText();
    const TSourceReading reading = ReadSourceDraws(game.GameInfo(), download.Body, layout);
    out.Skipped = reading.Skipped;
    if (!reading.Ok)
        return fail("The results file could not be read as draws of this game:\n\r" + reading.Message);
    plan = PlanDrawsMerge(game, reading.Draws);
    out.Conflicts = plan.Conflicts;
    if (plan.HistoriesDiffer)
        return fail(plan.DifferMessage);

    int added = 0;
    if (!plan.NewDraws.empty()) {
        std::unique_ptr<TDrawClass> merged = CopyHistory(game);
        added = ApplyDrawsMerge(*merged, plan);
        if (added > 0 && !dryRun) {
            std::string error;
            if (!SaveUpdatedGame(gamePath, game.GameInfo(), *merged, error))
                return fail(error);
        }
        out.DrawCount = merged->DrawCount();
    }
    out.Added = added;
    out.Status = added > 0 ? TUpdateStatus::Updated : TUpdateStatus::UpToDate;
    out.Message = added > 0 ? DrawsAddedText(added) : std::string(kUpToDateText);
    // Only a file the game now holds moves the validators on.
    source.ETag = download.ETag;
    source.LastModified = download.LastModified;
    source.Layout = reading.Layout;
}

} // namespace

const char* UpdateStatusName(TUpdateStatus status)
{
    switch (status) {
    case TUpdateStatus::Updated: return "updated";
    case TUpdateStatus::UpToDate: return "up-to-date";
    case TUpdateStatus::NotModified: return "not-modified";
    case TUpdateStatus::Failed: return "failed";
    case TUpdateStatus::Cancelled: return "cancelled";
    }
    return "failed";
}

std::string DrawsAddedText(int added)
{
    return added == 1 ? std::string("1 new draw added") : Format("%d new draws added", added);
}

TDownloadRequest SourceRequest(const TGameSource& source, long timeoutSeconds)
{
    TDownloadRequest r;
    r.Address = source.Address;
    r.ETag = source.ETag;
    r.LastModified = source.LastModified;
    r.TimeoutSeconds = timeoutSeconds > 0 ? timeoutSeconds : kDefaultSourceTimeoutSeconds;
    r.ConnectTimeoutSeconds = std::min(r.TimeoutSeconds, kSourceConnectTimeoutSeconds);
    return r;
}

TUpdateOutcome CompleteSourceUpdate(const std::string& gamePath, const TDrawClass& game, TGameSource& source,
                                    const TDownloadResult& download, bool dryRun, TDrawsMerge* plan)
{
    TUpdateOutcome out;
    out.Source = source.Address;
    out.HttpStatus = download.HttpStatus;
    out.DryRun = dryRun;
    out.DrawCount = game.DrawCount();
    TDrawsMerge merge;
    switch (download.Status) {
    case TDownloadStatus::Cancelled:
        out.Status = TUpdateStatus::Cancelled;
        out.Message = download.Error;
        break;
    case TDownloadStatus::Failed:
        out.Status = TUpdateStatus::Failed;
        out.Message = download.Error;
        break;
    case TDownloadStatus::NotModified:
        out.Status = TUpdateStatus::NotModified;
        out.Message = std::string(kUpToDateText) + "\n\rThe results file has not changed since the last update.";
        break;
    case TDownloadStatus::Ok: try { ReadAndMerge(gamePath, game, source, download, dryRun, merge, out);
        } catch (const std::exception& e) {
            out.Status = TUpdateStatus::Failed;
            out.Message = e.what();
        }
        break;
    }
    if (!out.Succeeded())
        out.DrawCount = game.DrawCount();
    if (out.Succeeded() && !out.Conflicts.empty())
        out.Message += "\n\r" + ConflictsText(out.Conflicts, game.DrawsPerDay());
    if (!dryRun) {
        NoteSourceUpdate(source, out.Message, !out.Succeeded());
        std::string error;
        if (!SaveGameSource(gamePath, source, &error))
            out.Message += "\n\rThe source could not be recorded in " + PathToText(GameSourceFile(gamePath)) + " (" +
                           PathToText(error) + ").";
    }
    if (plan)
        *plan = out.Status == TUpdateStatus::Updated ? std::move(merge) : TDrawsMerge{};
    return out;
}

std::string UpdateRefusal(const TDrawClass* draws, uint32_t refusedRecords, const std::string& gamePath)
{
    if (!draws || gamePath.empty())
        return "Only a game saved in a game file can be updated from a source.";
    if (draws->Modified)
        return "The game has changes that are not saved. Save them before updating it from its source.";
    if (refusedRecords > 0)
        return Format("%u draw records of the game file could not be loaded; saving the updated game would drop "
                      "them. Nothing was changed.",
                      refusedRecords);
    return {};
}

TUpdateOutcome TPreparedUpdate::Refused() const
{
    TUpdateOutcome out;
    out.Status = TUpdateStatus::Failed;
    out.Message = Refusal;
    out.Source = Source.Address;
    out.DryRun = DryRun;
    out.DrawCount = Game.Draws ? Game.Draws->DrawCount() : 0;
    return out;
}

namespace {

// Opens a game file for an update; why it may not be updated, empty when it
// may. `opened` tells whether the file could be read at all.
std::string OpenForUpdate(const std::string& gamePath, TCurrentGame& game, bool& opened)
{
    opened = false;
    try {
        const uint8_t status = OpenGameFile(gamePath, game);
        if (status != gioValid)
            return PathToText(gamePath) + ": " + GameIOStatusText(status);
    } catch (const std::exception& e) {
        return e.what();
    }
    opened = true;
    return UpdateRefusal(game.Draws.get(), game.Refused.Total(), gamePath);
}

} // namespace

std::unique_ptr<TPreparedUpdate> PrepareGameUpdate(const std::string& gamePath, const TUpdateSettings& settings)
{
    auto p = std::make_unique<TPreparedUpdate>();
    p->GamePath = gamePath;
    p->DryRun = settings.DryRun;
    bool opened = false;
    p->Refusal = OpenForUpdate(gamePath, p->Game, opened);
    if (!opened)
        return p;
    p->Source = LoadGameSource(gamePath);
    if (!settings.NewAddress.empty())
        SetSourceAddress(p->Source, settings.NewAddress);
    if (p->Refusal.empty() && !p->Source.HasAddress())
        p->Refusal = "The game has no source address.";
    p->Request = SourceRequest(p->Source, settings.TimeoutSeconds);
    p->Request.Progress = settings.Progress;
    return p;
}

TUpdateOutcome FinishGameUpdate(TPreparedUpdate& p, const TDownloadResult& download)
{
    // The lock is taken after the download, which may be slow, and held from
    // the read of the game to its save; a game changed while the file came is
    // read again, so the merge starts from what is on disk.
    TFileLock lock;
    if (download.Status == TDownloadStatus::Ok && !p.DryRun) {
        if (lock.Acquire(p.GamePath) == TFileLock::TResult::Busy) {
            TUpdateOutcome out = p.Refused();
            out.Message = GameBusyText(PathToText(p.GamePath)) + ". Nothing was changed.";
            out.HttpStatus = download.HttpStatus;
            return out;
        }
        TGameFileStamp now;
        if (!ReadGameFileStamp(p.GamePath, now) || !(now == p.Game.Stamp)) {
            TCurrentGame fresh;
            bool opened = false;
            p.Refusal = OpenForUpdate(p.GamePath, fresh, opened);
            if (!p.Refusal.empty())
                return p.Refused();
            p.Game = std::move(fresh);
        }
    }
    return CompleteSourceUpdate(p.GamePath, *p.Game.Draws, p.Source, download, p.DryRun);
}

TUpdateOutcome UpdateGameFile(const std::string& gamePath, const TUpdateSettings& settings)
{
    const std::unique_ptr<TPreparedUpdate> p = PrepareGameUpdate(gamePath, settings);
    if (!p->Refusal.empty())
        return p->Refused();
    return FinishGameUpdate(*p, DownloadSource(p->Request));
}

TUpdateOutcome UpdateOpenGame(TCurrentGame& game, TGameSource& source, const TDownloadResult& download)
{
    TFileLock lock;
    if (download.Status == TDownloadStatus::Ok) {
        std::string refusal;
        if (lock.Acquire(game.FilePath) == TFileLock::TResult::Busy) {
            refusal = GameBusyText(PathToText(ExtractFileName(game.FilePath))) + ". Nothing was changed.";
        } else {
            // The merge starts from the open game: a file another program
            // changed since it was opened would lose those changes.
            TGameFileStamp now;
            if (game.Stamp.Known && ReadGameFileStamp(game.FilePath, now) && !(now == game.Stamp))
                refusal = "The game file " + PathToText(ExtractFileName(game.FilePath)) +
                          " was changed by another program after it was opened. Close the game and open it "
                          "again before updating it. Nothing was changed.";
        }
        if (!refusal.empty()) {
            TUpdateOutcome out;
            out.Status = TUpdateStatus::Failed;
            out.Source = source.Address;
            out.HttpStatus = download.HttpStatus;
            out.DrawCount = game.Draws->DrawCount();
            out.Message = refusal;
            return out;
        }
    }
    TDrawsMerge plan;
    TUpdateOutcome out = CompleteSourceUpdate(game.FilePath, *game.Draws, source, download, false, &plan);
    if (out.Status == TUpdateStatus::Updated) {
        // The file now holds them: the open game takes the same draws and has nothing unsaved.
        ApplyDrawsMerge(*game.Draws, plan);
        game.Draws->Modified = false;
        if (!ReadGameFileStamp(game.FilePath, game.Stamp))
            game.Stamp = TGameFileStamp{};
    }
    return out;
}

std::vector<std::string> GamesWithSource(const std::string& folder)
{
    std::vector<std::string> games;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!SameText(ExtractFileExt(name), ".drw") || !it->is_regular_file(ec))
            continue;
        const std::string path = it->path().string();
        if (LoadGameSource(path).HasAddress())
            games.push_back(path);
    }
    std::sort(games.begin(), games.end());
    return games;
}

bool SaveUpdatedGame(const std::string& gamePath, const TGameInfo& info, TDrawClass& draws, std::string& error)
{
    // The game file's own save: the image goes to a ".tmp" file that is examined before it replaces the game.
    TCapturedDialogs captured;
    TUserDialogs* previous = &UserDialogs();
    InstallUserDialogs(&captured);
    bool saved = false;
    try {
        draws.Modified = true;
        saved = SaveGame(ExtractFilePath(gamePath), ExtractFileName(gamePath), info, draws);
    } catch (const std::exception& e) {
        captured.errors.push_back(e.what());
    }
    InstallUserDialogs(previous);
    if (!saved)
        error = captured.errors.empty() ? "The game file could not be saved." : captured.errors.back();
    return saved;
}

std::string UpdateCountsText(const std::vector<TUpdateSummaryLine>& lines)
{
    if (lines.empty())
        return "No game has a source to update from.";
    int updated = 0, current = 0, failed = 0, added = 0;
    for (const TUpdateSummaryLine& l : lines) {
        const TUpdateOutcome& o = l.Outcome;
        updated += o.Status == TUpdateStatus::Updated;
        current += o.Succeeded() && o.Status != TUpdateStatus::Updated;
        failed += !o.Succeeded();
        added += o.Added;
    }
    return Format("%zu game%s: %d updated (%d new draw%s), %d up to date, %d failed.", lines.size(),
                  lines.size() == 1 ? "" : "s", updated, added, added == 1 ? "" : "s", current, failed);
}

std::string UpdateSummaryText(const std::vector<TUpdateSummaryLine>& lines)
{
    std::string text;
    // The first line of each message says what happened.
    for (const TUpdateSummaryLine& l : lines)
        text += l.Game + ": " + l.Outcome.Message.substr(0, l.Outcome.Message.find('\n')) + "\n\r";
    return text + UpdateCountsText(lines);
}
