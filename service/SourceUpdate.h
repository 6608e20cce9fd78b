// Keeping a game up to date from its source: download the results file, read
// its draws with the import analysis, add the ones the game does not hold,
// save the game and record the attempt with the source. On any failure the
// game file stays as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/DrawsMerge.h"
#include "data/GameFile.h"
#include "data/GameModel.h"
#include "data/ImportDrawsAI.h"
#include "service/GameSource.h"
#include "service/SourceDownload.h"

enum class TUpdateStatus { Updated, UpToDate, NotModified, Failed, Cancelled };

// "updated", "up-to-date", "not-modified", "failed", "cancelled".
const char* UpdateStatusName(TUpdateStatus status);

struct TUpdateOutcome {
    TUpdateStatus Status = TUpdateStatus::Failed;
    std::string Source;
    long HttpStatus = 0; // 0 for a local file
    int Added = 0;
    int DrawCount = 0; // the game's draws afterwards
    std::vector<TMergeConflict> Conflicts;
    std::vector<TImportSkip> Skipped;
    std::string Message; // "N new draws added", "The game is up to date." or what failed
    bool DryRun = false;
    bool Succeeded() const
    {
        return Status == TUpdateStatus::Updated || Status == TUpdateStatus::UpToDate ||
               Status == TUpdateStatus::NotModified;
    }
};

inline constexpr const char* kUpToDateText = "The game is up to date.";
// "1 new draw added", "N new draws added".
std::string DrawsAddedText(int added);

// The request for a game's source, conditional when validators are stored.
TDownloadRequest SourceRequest(const TGameSource& source, long timeoutSeconds);

// Everything after the download, for a game held in memory (the window's
// open game, or one the command line opened): reads and merges the file,
// saves the merged history to `gamePath` unless `dryRun`, and records the
// attempt in `source` (also written unless `dryRun`). `game` itself is not
// changed: `plan` receives the draws to add to it once the file is saved.
TUpdateOutcome CompleteSourceUpdate(const std::string& gamePath, const TDrawClass& game, TGameSource& source,
                                    const TDownloadResult& download, bool dryRun, TDrawsMerge* plan = nullptr);

// Why a game held in memory may not be updated (empty when it may).
std::string UpdateRefusal(const TDrawClass* draws, uint32_t refusedRecords, const std::string& gamePath);

struct TUpdateSettings {
    std::string NewAddress; // stored with the game unless DryRun; empty keeps the stored one
    bool DryRun = false;
    long TimeoutSeconds = kDefaultSourceTimeoutSeconds;
    std::function<bool(uint64_t received, uint64_t expected)> Progress;
};

// A game file that is not open, opened for an update, with its source and
// the download to make; Refusal says why it may not go on.
struct TPreparedUpdate {
    std::string GamePath;
    TCurrentGame Game;
    TGameSource Source;
    TDownloadRequest Request;
    bool DryRun = false;
    std::string Refusal;
    // The failure to report when Refusal is not empty.
    TUpdateOutcome Refused() const;
};
std::unique_ptr<TPreparedUpdate> PrepareGameUpdate(const std::string& gamePath, const TUpdateSettings& settings);

// After the download of a prepared update: takes the game's lock (another
// writer makes it fail, game untouched), reads the game again when it changed
// meanwhile, then merges, saves and records.
TUpdateOutcome FinishGameUpdate(TPreparedUpdate& prepared, const TDownloadResult& download);

// The whole update of a game file that is not open: open, download, merge, save, record.
TUpdateOutcome UpdateGameFile(const std::string& gamePath, const TUpdateSettings& settings);

// The update of the application's open game (saved, nothing unsaved): under
// the game's lock, refused when its file changed on disk since it was read;
// on success the open game holds the new draws and the file's new stamp.
TUpdateOutcome UpdateOpenGame(TCurrentGame& game, TGameSource& source, const TDownloadResult& download);

// The game files ("*.drw") of a folder that have a source, by name.
std::vector<std::string> GamesWithSource(const std::string& folder);

// Saves a game's new history through its ".tmp" file; false with the reason.
bool SaveUpdatedGame(const std::string& gamePath, const TGameInfo& info, TDrawClass& draws, std::string& error);

// One line per game and a closing count, for "update all".
struct TUpdateSummaryLine {
    std::string Game; // file name
    TUpdateOutcome Outcome;
};
std::string UpdateSummaryText(const std::vector<TUpdateSummaryLine>& lines);
// The closing count alone: "3 games: 1 updated (2 new draws), 1 up to date, 1 failed."
std::string UpdateCountsText(const std::vector<TUpdateSummaryLine>& lines);
