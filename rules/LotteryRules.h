// The rules of the lottery manager and of the new-game wizard as plain
// functions: the game types with their proposals and memo texts, the list of
// totals a field offers, the checks on leaving the fields page, the file name
// of a new game and the rows of the local games list. No widget is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/GameModel.h"
#include "data/LocalGames.h"
#include "service/OnlineGames.h"

struct TLocalGameRec;

// --- Lottery manager ---------------------------------------------------------

inline constexpr const char* kManagerCaption = "Lottery Games Manager";
inline constexpr const char* kDrawsFolderError = "Unable to create lottery draws folder.";
inline constexpr const char* kUndefinedLoadError = "INTERNAL ERROR - Undefined Load Draws Function";
inline constexpr const char* kInvalidLocalActionError = "INTERNAL ERROR : Invalid local action";
inline constexpr const char* kRetrievingText = "Retrieving data. Please wait...";
inline constexpr const char* kNoNewDatabaseGamesText = "Could not find new lottery games from official database.";

// The chosen action; the value is the tag of its radio button.
enum TManagerAction : uint8_t {
    maNone = 0,
    maOpenLocal = 1,
    maSearchDatabase = 2,
    maCreate = 3,
    maDeleteLocal = 4,
    maExportLocal = 5,
};

enum class TManagerPage { Actions, Local, Database };

// Caption and state of the bottom bar's buttons.
struct TManagerButtons {
    std::string NextCaption;
    bool NextEnabled = false;
    bool BackEnabled = false;
    bool RequestVisible = false;

    bool operator==(const TManagerButtons&) const = default;
};

// `rowSelected`: a row whose entry exists is selected in the page's list;
// `requestOffered`: the settings name whom to ask for a game.
TManagerButtons ManagerButtons(TManagerPage page, uint8_t action, bool rowSelected, bool requestOffered = false);

// The icon of a local game by its examination status.
enum class TGameIcon { Valid = 0, OlderVersion = 1, Damaged = 2, Foreign = 3 };
TGameIcon GameIconFor(uint8_t status);

struct TLocalGameRow {
    std::string Name;        // empty when the file is not a readable game
    std::string Description; // formation (with " [n D/D]") or the status text
    std::string Draws;
    std::string LastEntry;
    std::string LastUpdate;
    TGameIcon Icon = TGameIcon::Foreign;
};
TLocalGameRow LocalGameRow(const TLocalGameRec& entry);

// A row of the database list.
struct TDatabaseGameRow {
    std::string Name;
    std::string Description; // formation text
    std::string Draws;
    std::string LastUpdate; // "YYYY-MM-DD HH:MM:SS" or "Never"
};
TDatabaseGameRow DatabaseGameRow(const TDatabaseGameRec& entry);
inline constexpr const char* kSearchDatabaseCaption = "Search for an official lottery game in server databases";

std::string DeleteGameQuestion(const std::string& name);
// The line under an empty local games list: what to do first. Empty while
// the list holds games.
std::string LocalListHint(int gameCount, uint8_t action);
// The information text of "Request official database game", sent to `contact`.
std::string RequestDatabaseGameText(const std::string& contact);

// --- Creation wizard ---------------------------------------------------------

inline constexpr const char* kWizardCaption = "Create a new lottery game";
inline constexpr const char* kUndefinedCloseHookError = "INTERNAL ERROR : closeDrawFile function undefined";
inline constexpr const char* kUndefinedLoadHookError = "INTERNAL ERROR : loadDrawFile function undefined";
inline constexpr const char* kMissingFolderError = "INTERNAL ERROR : Cannot find ";
inline constexpr const char* kCannotCreateFileError = "Cannot create history draw file!";
inline constexpr const char* kNotCreatedQuestion = "Lottery game has not been created! Do you want to cancel?";
inline constexpr const char* kNoAlterNote = "NOTE: game parameters cannot be altered later.";
inline constexpr const char* kNoAdjustableText = "No adjustable parameters";

inline constexpr int kGameTypeCount = 22;
inline constexpr int kUserDefinedType = 21;
inline constexpr int kLotto649Type = 0;

// One row of the game type table.
struct TGameType {
    std::string Caption;
    int32_t Picked1 = 6;
    uint8_t Kind = 0;
    int32_t Picked2 = 1;
};
// Index 0..21; out of range answers the "User defined" row.
TGameType GameType(int index);
std::vector<std::string> GameTypeCaptions();
std::string GameTypeMemo(int index);

// The definition on leaving the first page: the defaults, then the type's row,
// named by ProposedGameName (but "User defined", which the user names).
TGameInfo GameTypeDefinition(int index);
// A whole name for the definition, such as "Lotto 5 of 69 + 1 of 26": the
// wizard proposes it and follows the fields with it until the user types
// a name of their own.
std::string ProposedGameName(const TGameInfo& info);

// Which controls of the fields page the type lets the user change.
struct TTypeControls {
    bool F1PickedEnabled = false;
    bool F1TotalEnabled = false;
    bool F2StatusEnabled = false;
    bool F2PickedEnabled = false;
};
TTypeControls TypeControls(int index);

// The "of total balls" list for a field: Picked + 1 .. MaxTotalFor(Picked).
struct TTotalList {
    std::vector<int32_t> Items;
    int Selected = -1; // 0-based, -1 when the list is empty
};
// Also sets field.Total to the selected number.
TTotalList ApplyTotalListRule(TGameField& field);

// Entries of the "Field 2 status" list and their kinds.
std::vector<std::string> Field2StatusItems();
int Field2StatusPosition(uint8_t kind);
uint8_t Field2KindAt(int position);

// What the fields page shows for field 2 by kind.
struct TField2Visibility {
    bool NameVisible = false;   // name edit and its label
    bool PickedVisible = false; // "Balls picked" label and list
    bool TotalVisible = false;  // "of total balls" label and list
    bool NoParamsVisible = false;
};
TField2Visibility Field2Visibility(uint8_t kind);

std::string DescriptionLabel(const TGameInfo& info);
std::string TicketsLabel(const TGameInfo& info);

// Leaving the fields page: FieldCount, the bonus field copy and the trimmed
// names are stored in `info`; then the first failing check.
struct TFieldsCheck {
    enum TOutcome { Ok, Error, Ask } Outcome = Ok;
    std::string Message; // the error, or the Yes/No warning question for Ask
};
TFieldsCheck CheckFieldsPage(TGameInfo& info);
// The refusal of a character a game file cannot hold (Windows-1252 has no
// form for it): `what` names the text ("game name"), `position` is 1-based.
std::string UnstorableCharacterText(const std::string& what, int position, char32_t codePoint);

// The "Draws per day?" list: position n is n draws per day (0 = no dates).
std::vector<std::string> DrawsPerDayItems();
std::string DrawsPerDayMemo();

// NewGameFileName and NewGameFilePath: data/LocalGames.h.
