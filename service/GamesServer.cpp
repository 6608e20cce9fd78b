// A small pool of libmicrohttpd threads answers the connections; the games
// are shared among them for reading and replaced whole when the folder
// changes. A watcher thread cuts off connections that do not deliver their
// request in time, since the library's own time-out counts only idle time and
// a client trickling a header line now and then would keep its connection.
#include "service/GamesServer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "data/GameFile.h"
#include "data/TextCodec.h"
#include "data/Utils.h"
#include "platform/Paths.h"
#include "service/OnlineGames.h"
#include "service/XMLBrowse.h"

namespace fs = std::filesystem;

namespace {

std::string Element(const char* name, const std::string& text)
{
    return Format("<%s>%s</%s>", name, XmlText(text).c_str(), name);
}

std::string Head() { return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response><code>0</code><XMLData>"; }

std::string DayText(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    if (!DecodeDate(date, y, m, d))
        return "Undefined";
    return Format("%4.4d-%2.2d-%2.2d", y, m, d);
}

std::string BallsText(const TShortIntArray& balls)
{
    std::string s;
    for (size_t i = 0; i < balls.size(); ++i)
        s += (i ? " " : "") + std::to_string(balls[i]);
    return s;
}

std::vector<fs::path> GameFiles(const std::string& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (it->is_regular_file(fileEc) && SameText(it->path().extension().string(), ".drw"))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// --- libmicrohttpd ------------------------------------------------------------

struct TRequestState {
    std::string body;
    bool tooLarge = false;
};

std::string AddressText(const sockaddr* a)
{
    if (!a)
        return "?";
    char text[INET6_ADDRSTRLEN] = {};
    if (a->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, text, sizeof text);
    else if (a->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr, text, sizeof text);
    return text[0] ? text : "?";
}

std::string ClientAddress(MHD_Connection* connection)
{
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    return AddressText(info ? info->client_addr : nullptr);
}

MHD_Result Reply(MHD_Connection* connection, unsigned status, const std::string& body)
{
    MHD_Response* response =
        MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "application/xml; charset=UTF-8");
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result HandleRequest(void* cls, MHD_Connection* connection, const char*, const char* method, const char*,
                         const char* uploadData, size_t* uploadSize, void** requestState)
{
    auto* server = static_cast<TGamesServer*>(cls);
    auto* state = static_cast<TRequestState*>(*requestState);
    if (!state) {
        state = new TRequestState;
        *requestState = state;
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
        if (length && std::strtoull(length, nullptr, 10) > kMaxRequestBytes)
            state->tooLarge = true;
        if (!state->tooLarge)
            return MHD_YES;
    }
    if (!state->tooLarge && *uploadSize != 0) {
        if (*uploadSize > kMaxRequestBytes - state->body.size()) {
            // A body without a length that grows too large: no answer can be
            // queued while it arrives, so the connection is dropped.
            server->LogLine(ClientAddress(connection) + " (request too large, connection closed)");
            return MHD_NO;
        } else {
            state->body.append(uploadData, *uploadSize);
        }
        *uploadSize = 0;
        return MHD_YES;
    }
    const std::string client = ClientAddress(connection);
    unsigned status = MHD_HTTP_OK;
    std::string summary;
    std::string answer;
    if (state->tooLarge) {
        status = MHD_HTTP_CONTENT_TOO_LARGE;
        summary = "(request too large)";
        answer = TGamesServer::ErrorAnswer(1, "Request too large");
    } else if (std::strcmp(method, MHD_HTTP_METHOD_POST) != 0) {
        status = MHD_HTTP_METHOD_NOT_ALLOWED;
        summary = std::string("(") + method + ")";
        answer = TGamesServer::ErrorAnswer(1, "Only POST requests are answered");
    } else {
        answer = server->Answer(state->body, &summary);
    }
    server->LogLine(Format("%s %s -> %u, %zu bytes", client.c_str(), summary.c_str(), status, answer.size()));
    server->RequestReceived(connection, true);
    return Reply(connection, status, answer);
}

void DaemonLog(void* cls, const char* format, va_list args)
{
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    static_cast<TGamesServer*>(cls)->LogLine("libmicrohttpd: " + text);
}

void RequestCompleted(void* cls, MHD_Connection* connection, void** requestState, MHD_RequestTerminationCode)
{
    delete static_cast<TRequestState*>(*requestState);
    *requestState = nullptr;
    // A kept-alive connection gets the same time for its next request.
    static_cast<TGamesServer*>(cls)->RequestReceived(connection, false);
}

MHD_Result AcceptClient(void* cls, const sockaddr* address, socklen_t)
{
    return static_cast<TGamesServer*>(cls)->MayAccept(AddressText(address)) ? MHD_YES : MHD_NO;
}

void ConnectionChanged(void* cls, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code)
{
    auto* server = static_cast<TGamesServer*>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        server->ConnectionOpened(connection, info ? info->connect_fd : -1, ClientAddress(connection));
    } else {
        server->ConnectionClosed(connection);
    }
}

} // namespace

std::string FormationCodeOf(const std::array<TGameField, 2>& fields, uint8_t field2Kind)
{
    auto field = [](const TGameField& f) {
        return Format("%2.2d%2.2d", f.Picked, f.Total) + (f.Lowest == 0 ? "L" : "") + (f.Ordered ? "S" : "");
    };
    std::string code = field(fields[0]);
    if (field2Kind == 1)
        code += "|" + field(fields[1]);
    else if (field2Kind == 2)
        code += Format("|%2.2dBB", fields[1].Picked);
    return code;
}

TGamesServer::TGamesServer(TOptions options) : options_(std::move(options)) {}

TGamesServer::~TGamesServer() { Stop(); }

void TGamesServer::LogLine(const std::string& line)
{
    if (options_.Log)
        options_.Log(line);
}

std::string TGamesServer::Signature() const
{
    std::string s;
    for (const fs::path& p : GameFiles(options_.Folder)) {
        std::error_code ec;
        const auto size = fs::file_size(p, ec);
        const auto time = fs::last_write_time(p, ec);
        s += p.filename().string() + "|" + std::to_string(ec ? 0 : size) + "|" +
             std::to_string(time.time_since_epoch().count()) + "\n";
    }
    return s;
}

void TGamesServer::Refresh()
{
    const std::string signature = Signature();
    {
        std::shared_lock<std::shared_mutex> reading(lock_);
        if (loaded_ && signature == signature_)
            return;
    }
    std::unique_lock<std::shared_mutex> guard(lock_);
    if (loaded_ && signature == signature_)
        return;
    const bool first = !loaded_;
    loaded_ = true;
    signature_ = signature;
    games_.clear();
    for (const fs::path& p : GameFiles(options_.Folder)) {
        const std::string name = p.filename().string();
        std::string why;
        try {
            TGameIOInfo info = ReadGameInfo(p.string());
            if (info.Status != gioValid)
                why = GameIOStatusText(info.Status);
            else if (info.Game.OnlineID <= 0)
                why = "no online identifier";
            else if (std::any_of(games_.begin(), games_.end(),
                                 [&](const TServedGame& g) { return g.Info.OnlineID == info.Game.OnlineID; }))
                why = Format("online identifier %d already served", info.Game.OnlineID);
            else {
                TServedGame game;
                game.FileName = name;
                game.Draws = std::make_unique<TDrawClass>(info.Game);
                LoadDraws(p.string(), info, *game.Draws);
                game.Info = info.Game;
                games_.push_back(std::move(game));
            }
        } catch (const std::exception& e) {
            why = e.what();
        }
        if (!why.empty() && reported_.insert(name + "\n" + why).second)
            LogLine("skipped " + name + ": " + why);
    }
    if (!first)
        LogLine(Format("folder changed: %zu games served", games_.size()));
}

int TGamesServer::GameCount()
{
    std::shared_lock<std::shared_mutex> guard(lock_);
    return static_cast<int>(games_.size());
}

bool TGamesServer::Start(std::string& error)
{
    if (!DirectoryExists(options_.Folder)) {
        error = "Cannot find the folder " + options_.Folder;
        return false;
    }
    Refresh();

    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr* address = nullptr;
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ERROR_LOG;
    if (inet_pton(AF_INET, options_.Bind.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(options_.Port);
        address = reinterpret_cast<const sockaddr*>(&v4);
    } else if (inet_pton(AF_INET6, options_.Bind.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(options_.Port);
        address = reinterpret_cast<const sockaddr*>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        error = "Invalid bind address " + options_.Bind;
        return false;
    }
    MHD_Daemon* daemon = MHD_start_daemon(flags, options_.Port, &AcceptClient, this, &HandleRequest, this,
                                          MHD_OPTION_EXTERNAL_LOGGER, &DaemonLog, this,           //
                                          MHD_OPTION_SOCK_ADDR, address,                          //
                                          MHD_OPTION_CONNECTION_TIMEOUT, 10u,                     //
                                          MHD_OPTION_CONNECTION_LIMIT, kMaxConnections,           //
                                          MHD_OPTION_THREAD_POOL_SIZE, kServerThreads,            //
                                          MHD_OPTION_NOTIFY_COMPLETED, &RequestCompleted, this,   //
                                          MHD_OPTION_NOTIFY_CONNECTION, &ConnectionChanged, this, //
                                          MHD_OPTION_END);
    if (!daemon) {
        error = Format("Cannot listen on %s port %u", options_.Bind.c_str(), unsigned(options_.Port));
        return false;
    }
    daemon_ = daemon;
    {
        std::lock_guard<std::mutex> guard(watchLock_);
        stopping_ = false;
    }
    watcher_ = std::thread([this] { Watch(); });
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info ? info->port : options_.Port;
    return true;
}

void TGamesServer::Stop()
{
    {
        std::lock_guard<std::mutex> guard(watchLock_);
        stopping_ = true;
    }
    watchWake_.notify_all();
    if (watcher_.joinable())
        watcher_.join();
    if (daemon_)
        MHD_stop_daemon(static_cast<MHD_Daemon*>(daemon_));
    daemon_ = nullptr;
}

bool TGamesServer::MayAccept(const std::string& client)
{
    bool ok = true;
    {
        // The pool's threads accept at the same time: a place is taken here
        // and handed to the connection when it starts. A place whose
        // connection never started (the library gave up on it) lapses.
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> guard(connectionsLock_);
        std::deque<std::chrono::steady_clock::time_point>& taken = accepting_[client];
        while (!taken.empty() && now - taken.front() > std::chrono::milliseconds(kRequestDeadlineMs))
            taken.pop_front();
        const auto it = fresh_.find(client);
        ok = (it == fresh_.end() ? 0 : it->second) + taken.size() < kMaxConnectionsPerClient;
        if (ok)
            taken.push_back(now);
        else if (taken.empty())
            accepting_.erase(client);
    }
    if (!ok)
        LogLine(client + " (too many connections waiting for their request, connection refused)");
    return ok;
}

void TGamesServer::ConnectionOpened(void* connection, int fd, const std::string& client)
{
    TConnection c;
    c.Fd = fd;
    c.Client = client;
    c.Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestDeadlineMs);
    std::lock_guard<std::mutex> guard(connectionsLock_);
    connections_[connection] = c;
    ++fresh_[client];
    const auto taken = accepting_.find(client);
    if (taken != accepting_.end()) {
        taken->second.pop_front();
        if (taken->second.empty())
            accepting_.erase(taken);
    }
}

void TGamesServer::Delivered(TConnection& c)
{
    if (!c.Fresh)
        return;
    c.Fresh = false;
    const auto it = fresh_.find(c.Client);
    if (it != fresh_.end() && --it->second == 0)
        fresh_.erase(it);
}

void TGamesServer::ConnectionClosed(void* connection)
{
    // Called before the library closes the socket, so the watcher never
    // touches a descriptor that may already belong to another connection.
    std::lock_guard<std::mutex> guard(connectionsLock_);
    const auto it = connections_.find(connection);
    if (it == connections_.end())
        return;
    Delivered(it->second);
    connections_.erase(it);
}

void TGamesServer::RequestReceived(void* connection, bool answered)
{
    std::lock_guard<std::mutex> guard(connectionsLock_);
    const auto it = connections_.find(connection);
    if (it == connections_.end())
        return;
    if (answered)
        Delivered(it->second);
    it->second.Waiting = !answered;
    if (!answered)
        it->second.Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestDeadlineMs);
}

void TGamesServer::Watch()
{
    std::unique_lock<std::mutex> wait(watchLock_);
    while (!watchWake_.wait_for(wait, std::chrono::milliseconds(100), [this] { return stopping_; })) {
        std::vector<std::string> cut;
        {
            const auto now = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> guard(connectionsLock_);
            for (auto& [connection, c] : connections_)
                if (c.Waiting && !c.CutOff && c.Fd >= 0 && now >= c.Deadline) {
                    // The library sees the end of the stream and closes the
                    // connection in its own thread.
                    ::shutdown(c.Fd, SHUT_RDWR);
                    c.CutOff = true;
                    cut.push_back(c.Client);
                }
        }
        for (const std::string& client : cut)
            LogLine(Format("%s (request not complete after %d s, connection closed)", client.c_str(),
                           kRequestDeadlineMs / 1000));
    }
}

std::string TGamesServer::ErrorAnswer(int code, const std::string& message)
{
    return Format("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response><code>%d</code>%s</Response>\n", code,
                  Element("errorMsg", message).c_str());
}

std::string TGamesServer::Answer(const std::string& body, std::string* summary)
{
    std::string app, name, argument;
    try {
        TXMLBrowse xml;
        xml.LoadText(body);
        if (xml.FindFirst("/Request/"))
            do {
                if (xml.Inside("App"))
                    app = xml.Content();
                else if (xml.Inside("Name"))
                    name = xml.Content();
                else if (xml.Inside("IntArg"))
                    argument = xml.Content();
            } while (xml.Advance());
    } catch (const std::exception&) {
        app.clear();
    }
    if (summary)
        *summary = name.empty() ? "(invalid request)" : name + " " + argument;
    if (app != kServiceAppId)
        return ErrorAnswer(1, "Invalid request");
    Refresh();
    if (SameText(name, kGetGamesList))
        return GamesListAnswer();
    if (SameText(name, kGetGameDraws)) {
        const int32_t id = StrToIntDef(argument, 0);
        return GameDrawsAnswer(id);
    }
    return ErrorAnswer(2, "Unknown request " + name);
}

std::string TGamesServer::GamesListAnswer()
{
    std::shared_lock<std::shared_mutex> guard(lock_);
    std::string out = Head() + "<GamesList>\n";
    for (const TServedGame& g : games_) {
        const TGameInfo& i = g.Info;
        out += "<Game>" + Element("ID", std::to_string(i.OnlineID)) + Element("Description", i.Name) +
               Element("FieldDescription", FormationCodeOf(i.Fields, i.Field2Kind)) +
               Element("DPD", std::to_string(i.DrawsPerDay)) +
               Element("DrawsCount", std::to_string(g.Draws->DrawCount())) +
               Element("UpdateDate", i.LastUpdate == 0 ? "Undefined" : DateTimeText(2, i.LastUpdate)) + "</Game>\n";
    }
    return out + "</GamesList></XMLData></Response>\n";
}

std::string TGamesServer::GameDrawsAnswer(int32_t id)
{
    std::shared_lock<std::shared_mutex> guard(lock_);
    const auto it =
        std::find_if(games_.begin(), games_.end(), [&](const TServedGame& g) { return g.Info.OnlineID == id; });
    if (it == games_.end())
        return ErrorAnswer(3, Format("Unknown game %d", id));
    const TGameInfo& i = it->Info;
    const TDrawClass& draws = *it->Draws;
    std::string out = Head() + "<Game>" + Element("ID", std::to_string(i.OnlineID)) + Element("Description", i.Name) +
                      Element("FieldDescription", FormationCodeOf(i.Fields, i.Field2Kind)) +
                      Element("DPD", std::to_string(i.DrawsPerDay)) +
                      Element("DrawsCount", std::to_string(draws.DrawCount())) +
                      Element("UpdateDate", i.LastUpdate == 0 ? "Undefined" : DateTimeText(2, i.LastUpdate)) +
                      Element("Field1Name", i.FieldNames[0]);
    if (i.FieldCount == 2)
        out += Element("Field2Name", i.FieldNames[1]);
    out += "\n<Draws>\n";
    for (int p = 1; p <= draws.DrawCount(); ++p) {
        const TDraw* d = draws.GetDraw(p);
        out += "<Draw>" + Element("Date", DayText(d->Date)) + Element("Index", std::to_string(d->Index)) +
               Element("Field1", d->Numbers.empty() ? "" : BallsText(d->Numbers[0]));
        if (i.FieldCount == 2)
            out += Element("Field2", d->Numbers.size() < 2 ? "" : BallsText(d->Numbers[1]));
        out += "</Draw>\n";
    }
    return out + "</Draws></Game></XMLData></Response>\n";
}
