// The game file (*.drw): its byte layout, the examination of a file without
// opening it, loading and saving the draw history, and the compact snapshot
// of the current game that travels inside a run state file ("WRD ").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/BinaryFileStream.h"
#include "data/GameModel.h"
#include "data/Stream.h"

constexpr uint8_t kGameFileVersion = 2;
// Readers refuse larger files: 28 million draws of a 6 of 49 game, far beyond
// any real history, while loading stays within a few GB of memory.
constexpr size_t kMaxGameFileBytes = size_t(256) << 20;
// Commission pairs are a handful of operator texts; the bound keeps a hostile
// file from making the (linear) pair lookup quadratic.
constexpr int kMaxCommissionPairs = 4096;

// Draw records of a file that the history refused while loading, by reason.
struct TRefusedRecords {
    uint32_t RepeatedDate = 0;   // date and index of a draw loaded before
    uint32_t InvalidDate = 0;    // no date, or an index outside 1..DrawsPerDay
    uint32_t InvalidNumbers = 0; // balls the definition does not allow
    uint32_t Total() const { return RepeatedDate + InvalidDate + InvalidNumbers; }
};
// What the user is told about refused records; empty when there are none.
std::string RefusedRecordsText(const TRefusedRecords& refused, uint32_t recordCount);

// Outcome of examining a game file.
enum TGameIOStatus : uint8_t {
    gioNotGameFile = 0,
    gioNewerVersion = 1,
    gioOlderVersion = 2,
    gioCorrupted = 3,
    gioInvalidDefinition = 4,
    gioInvalidOptional = 5,
    gioDrawDataErrors = 6,
    gioReadError = 7,
    gioValid = 8,
};

struct TGameIOInfo {
    uint8_t Status = gioNotGameFile;
    uint32_t DrawCount = 0; // records announced at offset 12
    TDateTime LastDrawDate = 0;
    std::array<uint8_t, 8> FieldWidths{}; // stored value width of field 1 and 2
    TGameInfo Game;
    TRefusedRecords Refused; // filled by loading the draws
};

// The list text of a status; empty for a valid file.
std::string GameIOStatusText(uint8_t status);

// Raises EStreamError only when the file cannot be read at all.
TGameIOInfo ReadGameInfo(const std::string& path);
// The same checks on an image in memory; never raises.
TGameIOInfo ExamineGameImage(const std::vector<uint8_t>& image);

// Offsets 0 to the draw offset, with a draw count of 0.
bool WriteGameHeader(TMemoryStream& stream, const TGameInfo& info);
// Appends the draw records after the header and fills in count and checksum.
bool WriteDraws(TMemoryStream& stream, const TGameInfo& info, TDrawClass& model);

// Fills the model from a file examined as valid; raises on damaged data.
void LoadDraws(const std::string& path, TGameIOInfo& info, TDrawClass& model);
void LoadDrawsFromImage(const std::vector<uint8_t>& image, TGameIOInfo& info, TDrawClass& model);

// Writes folder + fileName through TSafeSave: a uniquely named ".tmp" file
// beside it, examined before it replaces the game file; asks for
// confirmation first.
bool SaveGame(const std::string& folder, const std::string& fileName, const TGameInfo& info, TDrawClass& model);

// Writes a new game file from a built image, never over an existing file;
// the image must examine as a valid game first, and so must the written
// file before it takes its name. False with the reason in error.
bool WriteNewGameFile(const std::string& path, const std::vector<uint8_t>& image, std::string& error);

// A new game, as the wizard and `jux-cli new-game` make it: the definition
// and the model's draws (none without a model) built in memory, then written
// by WriteNewGameFile. Refused when the header writer refused the definition
// (it told the user why) or the draws could not be stored; NotWritten with
// the reason in error.
enum class TNewGameResult { Created, Refused, NotWritten };
TNewGameResult CreateGameFile(const std::string& path, const TGameInfo& info, TDrawClass* draws, std::string& error);

// Which version of a game file a program read: the file's stamp and a hash of
// its header (draw count and whole-file checksum included).
struct TGameFileStamp {
    TFileStamp File;
    uint64_t HeaderHash = 0;
    bool Known = false;
    bool operator==(const TGameFileStamp&) const = default;
};
TGameFileStamp GameFileStampOf(const std::vector<uint8_t>& image, const TFileStamp& file);
// The stamp of the game file on disk now; false when it cannot be read.
bool ReadGameFileStamp(const std::string& path, TGameFileStamp& stamp);

// The 16 bytes of a field descriptor: Total, Picked, Lowest (int32 each),
// Ordered, 3 padding bytes (written as zero, skipped on reading).
void WriteFieldDescriptor(TMemoryStream& s, const TGameField& f);
TGameField ReadFieldDescriptor(TMemoryStream& s);

// One field's balls as a stored value below TicketCount:
// - a set of balls (not Ordered): its lexicographic rank among the k-subsets,
//   with balls shifted to 1..v when Lowest is 0;
// - Ordered: the balls as digits ball - Lowest of a base-v number, first ball
//   most significant (v^k values, repeats allowed).
// -1 when the balls do not fit the field or the field has no ticket count.
int64_t EncodeFieldValue(const TGameField& field, const TShortIntArray& balls);
// The inverse; false when the value is not below TicketCount.
bool DecodeFieldValue(const TGameField& field, int64_t value, TShortIntArray& balls);

// The definition rules a stored game must meet: ValidateGameInfo plus the
// ones the file format needs (draws per day 0..9, a second-field kind that
// matches the field count, a ticket count that fits 32 bits).
bool IsStorableGameInfo(TGameInfo& info);

// The one open game of the application.
struct TCurrentGame {
    TGameInfo Info;
    std::unique_ptr<TDrawClass> Draws;
    std::string FilePath;     // empty for a game restored from a run state
    TRefusedRecords Refused;  // records of the file left out when it was opened
    uint32_t RecordCount = 0; // records the file holds
    TGameFileStamp Stamp;     // the version of the file that was read
};
TCurrentGame& CurrentGame();

// Examines and, on a valid status, loads the file into `game` (State 2).
// Any other status leaves `game` closed. Answers the status; raises when the
// file cannot be read or its draws fail to load.
uint8_t OpenGameFile(const std::string& path, TCurrentGame& game, TGameIOInfo* info = nullptr);
// Releases the model and clears the definition, without asking.
void ReleaseGame(TCurrentGame& game);
// Saving the open game to its own file. After the confirmation it takes the
// game's lock (a second writer gets the busy message) and, when the file
// changed on disk since it was read, asks whether to reload it (Yes), save
// over it (No) or leave it (Cancel).
enum class TGameSaveResult { Saved, NotSaved, Reloaded };
TGameSaveResult SaveCurrentGame(TCurrentGame& game);
// True only for Saved.
bool SaveGameFile(TCurrentGame& game);
// Reads the game's file again into the same model object, dropping unsaved
// changes; false (with a message shown) when the file cannot be opened.
bool ReloadGameFile(TCurrentGame& game);
// The question asked when the file changed on disk.
std::string ChangedOnDiskText(const std::string& fileName);

// The draws snapshot of a game inside a run state file.
class TBinaryFileStreamDraws : public TBaseBinaryFileStream {
public:
    explicit TBinaryFileStreamDraws(TCurrentGame& game = CurrentGame());

protected:
    void UpgradeFrom(uint32_t) override {}
    void WritePayload() override;
    // Replaces the game; on damaged data leaves it closed and raises.
    void ReadPayload() override;

private:
    TCurrentGame& game_;
};
