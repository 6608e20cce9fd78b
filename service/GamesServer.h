// A games database for a group of users: the game files of a folder that
// carry an online identifier, answered over HTTP (libmicrohttpd) in the
// service's XML. The folder is read again when its files change.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "data/GameModel.h"

// Request bodies above this size are refused.
constexpr size_t kMaxRequestBytes = size_t(64) << 10;

// The compact formation code of a definition, as ParseFormationCode reads it.
std::string FormationCodeOf(const std::array<TGameField, 2>& fields, uint8_t field2Kind);

class TGamesServer {
public:
    struct TOptions {
        std::string Folder;
        std::string Bind = "127.0.0.1";
        uint16_t Port = 0; // 0 picks a free port
        std::function<void(const std::string& line)> Log;
    };

    explicit TGamesServer(TOptions options);
    ~TGamesServer();
    TGamesServer(const TGamesServer&) = delete;
    TGamesServer& operator=(const TGamesServer&) = delete;

    // Reads the folder and listens; false with the reason.
    bool Start(std::string& error);
    void Stop();
    uint16_t Port() const { return port_; }
    int GameCount();

    // The answer to one request body; `summary` gets the request's name
    // and argument for the log.
    std::string Answer(const std::string& body, std::string* summary = nullptr);
    // A document with a non-zero code and its message.
    static std::string ErrorAnswer(int code, const std::string& message);

    // libmicrohttpd's callbacks reach the server through these.
    void LogLine(const std::string& line);

private:
    struct TServedGame {
        std::string FileName;
        TGameInfo Info;
        std::unique_ptr<TDrawClass> Draws;
    };

    // Reads the folder again when its listing (names, sizes, times) changed.
    void Refresh();
    std::string Signature() const;
    std::string GamesListAnswer();
    std::string GameDrawsAnswer(int32_t id);

    TOptions options_;
    void* daemon_ = nullptr; // MHD_Daemon*
    uint16_t port_ = 0;
    std::mutex lock_;
    std::vector<TServedGame> games_;
    std::string signature_;
    bool loaded_ = false;
    std::set<std::string> reported_;
};
