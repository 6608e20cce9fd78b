// The online games service: the request on the wire, its HTTP transport, the
// check of an answer, the list of official games and the download of one game
// with its whole history as a local game file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "data/GameModel.h"
#include "data/Stores.h"
#include "data/Types.h"
#include "service/XMLBrowse.h"

class TLocalGamesClass;

inline constexpr const char* kServiceAppId = "JUX";
inline constexpr const char* kGetGamesList = "GetGamesList";
inline constexpr const char* kGetGameDraws = "GetGameDraws";
inline constexpr const char* kInvalidResultError = "Invalid result received from server";
inline constexpr const char* kSilentFailureError = "Server call failed without notice.";
inline constexpr const char* kServerResponseError = "Server response : %s";

// The answers are read whole into memory: a games list is a few KB and the
// longest history a few MB, so anything beyond this is refused.
constexpr size_t kMaxResponseBytes = size_t(32) << 20;
constexpr long kDefaultTimeoutSeconds = 90;
// A list holds at most this many games; the elements after them are not read.
constexpr int kMaxDatabaseGames = 10000;
// A server's error text is cut to this many characters for the message box.
constexpr size_t kMaxServerMessageChars = 300;

// The service's own errors (the texts above, or the download's).
class EOnlineServiceError : public Exception {
public:
    using Exception::Exception;
};

struct TServiceEndpoint {
    std::string Address; // "host", "host:port" or "http://host[:port]/path"
    long TimeoutSeconds = kDefaultTimeoutSeconds;
    size_t MaxResponseBytes = kMaxResponseBytes;
};

// The request body: application identifier, request name and the two
// arguments (name and text trimmed), texts in Windows-1252.
std::string ComposeRequest(const std::string& name, int32_t intArg, const std::string& textArg);

// One HTTP/1.0 POST; the body whatever the status, or "" when no complete
// answer arrived (no connection, time-out, an answer above the size cap).
std::string PostRequest(const TServiceEndpoint& endpoint, const std::string& request);

// Sends the request and loads the answer (empty when none came) into the reader.
void PostAndLoad(TXMLBrowse& xml, const TServiceEndpoint& endpoint, const std::string& request);

// Raises the service's errors; on success the reader is back at /Response/.
void CheckResponse(TXMLBrowse& xml);

// The UpdateDate text: 0 for "Undefined" and whatever does not decode.
TDateTime DecodeUpdateDate(const std::string& text);
// "YYYY-MM-DD HH:MM:SS", or "Never" for 0.
std::string UpdateDateText(TDateTime time);

// One game element of the list.
struct TDatabaseGameRec {
    bool Valid = false;
    int32_t Identifier = 0;
    int32_t DrawCount = 0;
    std::string Description;
    std::string FormationCode;
    TDateTime UpdateTime = 0;
    int32_t DrawsPerDay = 0;
    int32_t FieldCount = 0;
    uint8_t Field2Kind = 0;
    std::array<TGameField, 2> Fields{};
    std::string FormationText;
};
using TDatabaseGames = TRecordStore<TDatabaseGameRec>;

// Decodes the formation and sets Valid: an identifier above 0, a name, a
// draw count of 0 or more and a definition the game files accept (dated,
// 1 to 9 draws per day).
void ValidateGameEntry(TDatabaseGameRec& entry);

// The games of a checked answer, one entry per game element, valid or not
// (up to kMaxDatabaseGames).
void ReadGamesList(TXMLBrowse& xml, TDatabaseGames& store);
// Asks the service; entries read before an error stay in the store.
void RequestGamesList(const TServiceEndpoint& endpoint, TDatabaseGames& store);
// Removes the entries that are not valid and those a local game already has.
void RemoveUnwantedGames(TDatabaseGames& store, const TLocalGamesClass* localGames);

// One game with its whole history, as the service answered it.
struct TDownloadedGame {
    TGameInfo Info;
    std::unique_ptr<TDrawClass> Draws;
};
// Reads a checked GetGameDraws answer for the game `id`; raises on any
// fault of the answer (a draw the game refuses, a count that differs).
TDownloadedGame ReadGameDraws(TXMLBrowse& xml, int32_t id);
TDownloadedGame RequestGameDraws(const TServiceEndpoint& endpoint, int32_t id);
// Writes the game into the draws folder under a new name (WriteNewGameFile);
// answers the path. Nothing stays behind on error.
std::string WriteDownloadedGame(TDownloadedGame& game, const std::string& drawsFolder);
// RequestGameDraws then WriteDownloadedGame.
std::string DownloadGame(const TServiceEndpoint& endpoint, int32_t id, const std::string& drawsFolder);
