// A games database for a group of users: the game files of a folder that
// carry an online identifier, answered over HTTP (libmicrohttpd) in the
// service's XML. The folder is read again when its files change.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/GameModel.h"

// Request bodies above this size are refused.
constexpr size_t kMaxRequestBytes = size_t(64) << 10;
// A client address may hold this many new connections that have not yet
// delivered their first request; more are closed on arrival, so one machine
// cannot take every connection. (Connections that delivered theirs are not
// counted: the library closes them a moment after the client has its
// answer, and a quick client must not be refused meanwhile.)
constexpr unsigned kMaxConnectionsPerClient = 8;
constexpr unsigned kMaxConnections = 512;
// The time a connection has to send its whole request (headers and body);
// a client that trickles its request is cut off then.
constexpr int kRequestDeadlineMs = 5000;
// Threads answering requests: a large answer being built does not hold up
// the others.
constexpr unsigned kServerThreads = 4;

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
    bool MayAccept(const std::string& client);
    void ConnectionOpened(void* connection, int fd, const std::string& client);
    void ConnectionClosed(void* connection);
    // The request has arrived whole (answered) or a new one may start on the
    // same connection (!answered): the deadline stops or starts again.
    void RequestReceived(void* connection, bool answered);

private:
    struct TServedGame {
        std::string FileName;
        TGameInfo Info;
        std::unique_ptr<TDrawClass> Draws;
    };

    struct TConnection {
        int Fd = -1;
        std::string Client;
        std::chrono::steady_clock::time_point Deadline;
        bool Waiting = true; // for its request
        bool Fresh = true;   // no request delivered yet
        bool CutOff = false;
    };
    // The connection delivered its first request: it no longer counts
    // against its client's limit. Called with connectionsLock_ held.
    void Delivered(TConnection& c);

    // Reads the folder again when its listing (names, sizes, times) changed.
    void Refresh();
    // Closes the connections whose request did not arrive in time.
    void Watch();
    std::string Signature() const;
    std::string GamesListAnswer();
    std::string GameDrawsAnswer(int32_t id);

    TOptions options_;
    void* daemon_ = nullptr; // MHD_Daemon*
    uint16_t port_ = 0;
    std::shared_mutex lock_; // the games: shared while answering
    std::vector<TServedGame> games_;
    std::string signature_;
    bool loaded_ = false;
    std::set<std::string> reported_;
    std::mutex connectionsLock_;
    std::map<void*, TConnection> connections_;
    std::map<std::string, unsigned> fresh_; // per client address
    // Per client address: when each accepted connection not yet started was let in.
    std::map<std::string, std::deque<std::chrono::steady_clock::time_point>> accepting_;
    std::mutex watchLock_;
    std::condition_variable watchWake_;
    bool stopping_ = false;
    std::thread watcher_;
};
