// The games service client against canned answers and against the real
// games server on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "service/GamesServer.h"
#include "service/OnlineGames.h"
#include "service/XMLBrowse.h"
#include "support/CannedHttpServer.h"
#include "support/GameFixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kOk = "<Response><code>0</code><XMLData><GamesList>";
const std::string kEnd = "</GamesList></XMLData></Response>";

std::string GameXml(const std::string& id, const std::string& name, const std::string& code, const std::string& dpd,
                    const std::string& count = "10", const std::string& update = "2009-05-17 21:30:05")
{
    return "<Game><ID>" + id + "</ID><Description>" + name + "</Description><FieldDescription>" + code +
           "</FieldDescription><DPD>" + dpd + "</DPD><DrawsCount>" + count + "</DrawsCount><UpdateDate>" + update +
           "</UpdateDate></Game>";
}

struct TListResult {
    std::string error;
    std::vector<TDatabaseGameRec> games;
};

// Check and read a list answer as the manager does.
TListResult ReadList(const std::string& text)
{
    TListResult r;
    TDatabaseGames store;
    try {
        TXMLBrowse xml;
        xml.LoadText(text);
        CheckResponse(xml);
        ReadGamesList(xml, store);
    } catch (const std::exception& e) {
        r.error = e.what();
    }
    for (int i = 1; i <= store.Count(); ++i)
        r.games.push_back(*store.GetRecord(i));
    return r;
}

} // namespace

TEST(XMLBrowse, PathsStopsAndNesting)
{
    EXPECT_EQ(NormalizeXMLPath("/Response/code/"), "/RESPONSE/CODE/");
    EXPECT_EQ(NormalizeXMLPath("Response/code"), "/RESPONSE/CODE/");
    EXPECT_EQ(NormalizeXMLPath("//a//b//"), "/A/B/");

    TXMLBrowse xml;
    // An element named like its parent is read, not refused.
    xml.LoadText("<a><b>1</b><a>2</a><c> x </c></a>");
    ASSERT_TRUE(xml.FindFirst("/a/a/"));
    EXPECT_EQ(xml.Content(), "2");
    EXPECT_TRUE(xml.Inside("A"));
    ASSERT_TRUE(xml.FindNext("a/c"));
    EXPECT_EQ(xml.Content(), "x");
    EXPECT_FALSE(xml.Advance());
    ASSERT_TRUE(xml.FindFirst("/A/B/"));
    EXPECT_EQ(xml.Content(), "1");

    // Texts: white space, CDATA, entities, encodings, characters outside Windows-1252.
    const struct {
        std::string doc, text;
    } texts[] = {
        {"<r>\n  Lotto   6\t49 \n</r>", "Lotto 6 49"},
        {"<r><![CDATA[Lotto <6> & more]]></r>", "Lotto <6> & more"},
        {"<r>A &amp; B &lt;C&gt; &#233;&quot;</r>", "A & B <C> \xE9\""},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>Caf\xE9</r>", "Caf\xE9"},
        {"<r>\xC5\x81\xC3\xB3"
         "d\xC5\xBA \xE2\x82\xAC</r>",
         "\xBF\xF3"
         "d\xBF \x80"},
        {"<!DOCTYPE r><!-- c --><?pi x?><r>t</r>", "t"},
    };
    for (const auto& t : texts) {
        xml.LoadText(t.doc);
        ASSERT_TRUE(xml.FindFirst("/r/")) << t.doc;
        EXPECT_EQ(xml.Content(), t.text) << t.doc;
    }
}

TEST(XMLBrowse, MalformedDocumentsNameTheOpenElements)
{
    const struct {
        std::string doc, error;
    } cases[] = {
        {"<Response><code>0</Response>", "Error browsing XML at node RESPONSE\n\rCODE"},
        {"<Response><code>0</CODE></Response>", "Error browsing XML at node RESPONSE\n\rCODE"},
        {"<a><b><c>1</c></a>", "Error browsing XML at node A\n\rB"},
    };
    for (const auto& c : cases) {
        TXMLBrowse xml;
        xml.LoadText(c.doc);
        std::string error;
        try {
            while (xml.Advance()) {
            }
        } catch (const EXMLBrowseError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error) << c.doc;
    }
}

TEST(OnlineGames, CheckResponseErrors)
{
    const std::string longText(5000, 'm');
    const struct {
        std::string doc, error;
    } cases[] = {
        {"", kInvalidResultError},
        {"Service unavailable, try later", kInvalidResultError},
        {"<Other><code>0</code></Other>", kInvalidResultError},
        {"<html><head><title>500</title></head><body><p>Internal error<br></body></html>", kInvalidResultError},
        {"<Response><code>3</code><errorMsg>Maintenance</errorMsg></Response>", "Server response : Maintenance"},
        {"<Response><code>3</code></Response>", kSilentFailureError},
        {"<Response><code>3</code><errorMsg/></Response>", kSilentFailureError},
        {"<Response><code>x1</code></Response>", "'x1' is not a valid integer value"},
        {"<Response><code>3</code><errorMsg>" + longText + "</errorMsg></Response>",
         "Server response : " + longText.substr(0, kMaxServerMessageChars) + "..."},
        {"<Response><code>0<XMLData><GamesList>" + GameXml("1", "A", "0649", "1") + "</GamesList></XMLData></Response>",
         "Error browsing XML at node RESPONSE\n\rCODE"},
        {"<Response><code>0</code></Response>", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadList(c.doc).error, c.error) << c.doc;
}

TEST(OnlineGames, BadGamesAreSkippedAndTheFollowingRead)
{
    const std::string doc = kOk + GameXml("1", "Dpd zero", "0649", "0") + GameXml("2", "Dpd 100", "0649", "100") +
                            GameXml("3", "Dpd 99", "0649", "99") + GameXml("4", "Dpd 9", "0649", "9") +
                            "<Game><Description>No id</Description><FieldDescription>0649</FieldDescription>"
                            "<DPD>1</DPD><DrawsCount>1</DrawsCount></Game>" +
                            GameXml("5", "", "0649", "1") + GameXml("6", "Bad code", "abc", "1") +
                            GameXml("7", "Zero", "0000", "1") + GameXml("8", "Eight", "0899", "1") +
                            GameXml("x9", "Bad id", "0649", "1") + GameXml("10", "Negative", "0649", "1", "-1") +
                            GameXml("11", "Good", "0649|01BB", "1", "25", "2009-05-17") + kEnd;
    const TListResult r = ReadList(doc);
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.games.size(), 12u);
    const bool valid[] = {false, false, false, true, false, false, false, false, false, false, false, true};
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(r.games[i].Valid, valid[i]) << i;
    const TDatabaseGameRec& good = r.games[11];
    EXPECT_EQ(good.Identifier, 11);
    EXPECT_EQ(good.Description, "Good");
    EXPECT_EQ(good.DrawCount, 25);
    EXPECT_EQ(good.FieldCount, 2);
    EXPECT_EQ(good.Field2Kind, 2);
    EXPECT_EQ(good.FormationText, FormationText(good.Fields, good.Field2Kind));
    EXPECT_EQ(good.UpdateTime, EncodeDate(2009, 5, 17));

    // Lower-case names read the same; the last of a repeated element counts.
    const TListResult lower =
        ReadList("<response><code>0</code><xmldata><gameslist><game><id>4</id><id>5</id><description>x</description>"
                 "<fielddescription>0536</fielddescription><dpd>2</dpd><drawscount>0</drawscount></game></gameslist>"
                 "</xmldata></response>");
    ASSERT_EQ(lower.games.size(), 1u);
    EXPECT_TRUE(lower.games[0].Valid);
    EXPECT_EQ(lower.games[0].Identifier, 5);
    EXPECT_EQ(lower.games[0].DrawsPerDay, 2);
}

TEST(OnlineGames, UpdateDateForms)
{
    const struct {
        std::string text;
        TDateTime time;
        std::string shown;
    } cases[] = {
        {"2009-05-17", EncodeDate(2009, 5, 17), "2009-05-17 00:00:00"},
        {"2009-05-17 21:30:05", EncodeDateTime(2009, 5, 17, 21, 30, 5), "2009-05-17 21:30:05"},
        {"17/05/2009", 0, "Never"},
        {"Undefined", 0, "Never"},
        {"2009-13-40", 0, "Never"},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(DecodeUpdateDate(c.text), c.time) << c.text;
        EXPECT_EQ(UpdateDateText(DecodeUpdateDate(c.text)), c.shown) << c.text;
        const TListResult r = ReadList(kOk + GameXml("1", "A", "0649", "1", "1", c.text) + kEnd);
        ASSERT_EQ(r.games.size(), 1u);
        EXPECT_DOUBLE_EQ(r.games[0].UpdateTime, c.time);
    }
}

TEST(OnlineGames, HostileDocumentsEndWithinBounds)
{
    // A document cut off inside a game ends; the games before it stay.
    const TListResult cut = ReadList(kOk + GameXml("1", "A", "0649", "1") + "<Game><ID>2</ID><Descr");
    EXPECT_EQ(cut.error.rfind("Error browsing XML at node RESPONSE", 0), 0u) << cut.error;

    // An external entity naming a local file is never read.
    const std::string secret = fixtures::TmpDir() + "secret.txt";
    ASSERT_TRUE(fixtures::WriteFile(secret, {'S', 'E', 'C', 'R', 'E', 'T'}));
    const TListResult external = ReadList("<!DOCTYPE Response [<!ENTITY x SYSTEM \"file://" + secret + "\">]>" + kOk +
                                          GameXml("1", "A&x;", "0649", "1") + kEnd);
    for (const auto& g : external.games)
        EXPECT_EQ(g.Description.find("SECRET"), std::string::npos);
    EXPECT_EQ(external.error.find("SECRET"), std::string::npos);

    // Nested entity expansion: refused or left unexpanded, never blown up.
    std::string laughs = "<!DOCTYPE Response [<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 9; ++i)
        laughs += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
            std::string s;
            for (int k = 0; k < 10; ++k)
                s += "&l" + std::to_string(i - 1) + ";";
            return s;
        }() + "\">";
    laughs += "]>" + kOk + GameXml("1", "&l9;", "0649", "1") + kEnd;
    const TListResult bomb = ReadList(laughs);
    for (const auto& g : bomb.games)
        EXPECT_LT(g.Description.size(), 1000u);

    // One large entity referenced many times is not expanded either.
    std::string quadratic = "<!DOCTYPE Response [<!ENTITY a \"" + std::string(200000, 'x') + "\">]>" + kOk +
                            "<Game><ID>1</ID><Description>A";
    for (int i = 0; i < 10000; ++i)
        quadratic += "&a;";
    quadratic += "</Description><FieldDescription>0649</FieldDescription><DPD>1</DPD></Game>" + kEnd;
    const TListResult blown = ReadList(quadratic);
    EXPECT_EQ(blown.error, "");
    ASSERT_EQ(blown.games.size(), 1u);
    EXPECT_EQ(blown.games[0].Description, "A");

    // The list stops at its bound.
    std::string many = kOk;
    for (int i = 1; i <= kMaxDatabaseGames + 5; ++i)
        many += "<Game><ID>" + std::to_string(i) + "</ID></Game>";
    EXPECT_EQ(ReadList(many + kEnd).games.size(), size_t(kMaxDatabaseGames));
}

TEST(OnlineGames, TransportOverHttp)
{
    const std::string body = kOk + GameXml("7", "Lotto", "0649", "1") + kEnd;
    const struct {
        std::string name;
        TCannedHttpServer::TScript script;
        long timeout;
        std::string error; // of the list request, "" when the game is listed
    } cases[] = {
        {"status 500 with a valid body", {TCannedHttpServer::Http(body, 500)}, 5, ""},
        {"kept alive, read by its length", {TCannedHttpServer::Http(body), 0, false, true}, 5, ""},
        {"plain text", {TCannedHttpServer::Http("Down for maintenance")}, 5, kInvalidResultError},
        {"closed without an answer", {"", 0, true}, 5, kInvalidResultError},
        {"slower than the time-out", {TCannedHttpServer::Http(body), 2500}, 1, kInvalidResultError},
        {"100 MB without a length",
         {"HTTP/1.0 200 OK\r\n\r\n<Response>", 0, false, false, size_t(100) << 20},
         20,
         kInvalidResultError},
        {"100 MB announced",
         {"HTTP/1.0 200 OK\r\nContent-Length: 104857600\r\n\r\n<Response>", 0, false, true},
         20,
         kInvalidResultError},
    };
    for (const auto& c : cases) {
        TCannedHttpServer server(c.script);
        TServiceEndpoint endpoint{server.Address(), c.timeout};
        TDatabaseGames store;
        std::string error;
        try {
            RequestGamesList(endpoint, store);
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(store.Count(), c.error.empty() ? 1 : 0) << c.name;
        if (c.name == "status 500 with a valid body") {
            const std::string& request = server.LastRequest();
            EXPECT_EQ(request.rfind("POST / HTTP/1.0\r\n", 0), 0u) << request;
            for (const char* part : {"User-Agent: Mozilla/4.0 (compatible; Synapse)\r\n",
                                     "Content-Type: application/xml\r\n", "Connection: keep-alive\r\n",
                                     "<App>JUX</App><Name>GetGamesList</Name><IntArg>0</IntArg><TextArg></TextArg>"})
                EXPECT_NE(request.find(part), std::string::npos) << part;
        }
    }
}

TEST(OnlineGames, RequestTrimsAndEscapes)
{
    EXPECT_EQ(ComposeRequest("  GetGameDraws ", 12, " a<b&\xE9 "),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Request><App>JUX</App><Name>GetGameDraws</Name>"
              "<IntArg>12</IntArg><TextArg>a&lt;b&amp;\xC3\xA9</TextArg></Request>\n");
}

TEST(OnlineGames, ElementTextEscapesAndDropsControlCharacters)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"a<b>&\"c\"", "a&lt;b&gt;&amp;&quot;c&quot;"},
        {"tab\tline\r\nend", "tab\tline\r\nend"},
        {std::string("x\x01y\x1Fz\0", 7), "xyz"},
        {"\xE9\x80", "\xC3\xA9\xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XmlText(c.in), c.out) << c.in;
        // Whatever the text, the document stays well-formed.
        TXMLBrowse xml;
        xml.LoadText("<r>" + XmlText(c.in + "!") + "</r>");
        ASSERT_TRUE(xml.FindFirst("r")) << c.in;
    }
}

namespace {

// A game file with an online identifier and `draws` draws.
std::string WriteServedGame(const std::string& folder, const std::string& file, TGameInfo g, int32_t id, int draws,
                            unsigned seed)
{
    g.OnlineID = id;
    g.LastUpdate = id ? EncodeDateTime(2020, 3, 4, 5, 6, 7) : 0;
    TDrawClass model(g);
    fixtures::FillDraws(model, g, draws, seed);
    const std::string path = folder + file;
    EXPECT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(g, model)));
    return path;
}

std::string FreshFolder(const std::string& name)
{
    const std::string dir = fixtures::TmpDir() + name + "/";
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> FolderFiles(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(GamesServer, ListsAndDownloadsTheFolderGames)
{
    const std::string served = FreshFolder("served");
    const std::string lotto = WriteServedGame(served, "lotto.drw", fixtures::MakeGame(6, 49, 1, 2, 1), 7, 120, 3);
    TGameInfo power = fixtures::MakeGame(5, 50, 2, 1, 2, 10);
    power.Name = "Power\x01 & <Co> \xE9";
    WriteServedGame(served, "power.drw", power, 9, 40, 4);
    WriteServedGame(served, "private.drw", fixtures::MakeGame(5, 35), 0, 5, 5);
    // The server logs from its own thread.
    std::mutex logLock;
    std::vector<std::string> logLines;
    auto log = [&] {
        std::lock_guard<std::mutex> guard(logLock);
        return logLines;
    };
    TGamesServer server({served, "127.0.0.1", 0, [&](const std::string& l) {
                             std::lock_guard<std::mutex> guard(logLock);
                             logLines.push_back(l);
                         }});
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    ASSERT_GT(server.Port(), 0);
    EXPECT_EQ(server.GameCount(), 2);
    EXPECT_EQ(log(), std::vector<std::string>{"skipped private.drw: no online identifier"});
    const TServiceEndpoint endpoint{"127.0.0.1:" + std::to_string(server.Port()), 10};

    TDatabaseGames store;
    RequestGamesList(endpoint, store);
    ASSERT_EQ(store.Count(), 2);
    const TDatabaseGameRec* first = store.GetRecord(1);
    EXPECT_TRUE(first->Valid);
    EXPECT_EQ(first->Identifier, 7);
    EXPECT_EQ(first->DrawCount, 120);
    EXPECT_EQ(first->FormationText, FormationText(fixtures::MakeGame(6, 49, 1, 2, 1).Fields, 2));
    EXPECT_EQ(first->UpdateTime, EncodeDateTime(2020, 3, 4, 5, 6, 7));
    EXPECT_EQ(store.GetRecord(2)->DrawsPerDay, 2);
    EXPECT_EQ(store.GetRecord(2)->Description, "Power & <Co> \xE9");
    EXPECT_EQ(log().size(), 2u); // one line per request

    // A game downloaded is no longer offered.
    const std::string dataFolder = FreshFolder("client");
    const std::string drawsFolder = TLocalGamesClass::GamesFolder(dataFolder);
    fs::create_directories(drawsFolder);
    // The user's own files beside the games are never touched by a download.
    const fixtures::Bytes notes{'m', 'y', ' ', 'n', 'o', 't', 'e', 's'};
    ASSERT_TRUE(fixtures::WriteFile(drawsFolder + "Test Lotto.tmp", notes));
    const std::string path = DownloadGame(endpoint, 7, drawsFolder);
    EXPECT_EQ(path, drawsFolder + "Test Lotto.drw");
    EXPECT_EQ(DownloadGame(endpoint, 7, drawsFolder), drawsFolder + "Test Lotto0.drw");
    EXPECT_EQ(FolderFiles(drawsFolder),
              (std::vector<std::string>{"Test Lotto.drw", "Test Lotto.tmp", "Test Lotto0.drw"}));
    fixtures::Bytes kept;
    ASSERT_TRUE(fixtures::ReadFile(drawsFolder + "Test Lotto.tmp", kept));
    EXPECT_EQ(kept, notes);
    fs::remove(drawsFolder + "Test Lotto.tmp");
    TCurrentGame original, copy;
    ASSERT_EQ(OpenGameFile(lotto, original), gioValid);
    ASSERT_EQ(OpenGameFile(path, copy), gioValid);
    EXPECT_EQ(copy.Info.OnlineID, 7);
    EXPECT_EQ(copy.Info.LastUpdate, original.Info.LastUpdate);
    EXPECT_EQ(copy.Info.FieldNames, original.Info.FieldNames);
    ASSERT_EQ(copy.Draws->DrawCount(), 120);
    for (int i = 1; i <= 120; ++i)
        EXPECT_EQ(copy.Draws->DrawToText(i), original.Draws->DrawToText(i));
    TLocalGamesClass local(dataFolder);
    RemoveUnwantedGames(store, &local);
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.GetRecord(1)->Identifier, 9);

    // Requests it does not know, oversized bodies and a changed folder.
    auto answerTo = [&](const std::string& request) {
        TXMLBrowse xml;
        xml.LoadText(PostRequest(endpoint, request));
        try {
            CheckResponse(xml);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(answerTo(ComposeRequest("Foo", 0, "")), "Server response : Unknown request Foo");
    EXPECT_EQ(answerTo(ComposeRequest(kGetGameDraws, 99, "")), "Server response : Unknown game 99");
    EXPECT_EQ(answerTo("<Request><App>XYZ</App></Request>"), "Server response : Invalid request");
    EXPECT_EQ(answerTo(std::string(kMaxRequestBytes + 1, ' ')), "Server response : Request too large");
    {
        // A body without a length that outgrows the bound: the connection is dropped.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(server.Port());
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        timeval wait{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        std::string request = "POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n";
        const std::string chunk = "4000\r\n" + std::string(0x4000, ' ') + "\r\n";
        for (int i = 0; i < 6; ++i)
            request += chunk;
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        char byte;
        EXPECT_LE(::recv(fd, &byte, 1, 0), 0);
        ::close(fd);
        const auto lines = log();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("(request too large, connection closed)") != std::string::npos;
        }));
    }
    WriteServedGame(served, "later.drw", fixtures::MakeGame(5, 35), 11, 3, 6);
    TDatabaseGames again;
    RequestGamesList(endpoint, again);
    EXPECT_EQ(again.Count(), 3);
    server.Stop();
    EXPECT_EQ(answerTo(ComposeRequest(kGetGamesList, 0, "")), kInvalidResultError);
}

namespace {

// A connection from `from` (any 127.x.y.z address) that sent the start of a
// request and nothing more.
int SlowConnection(uint16_t port, const char* from)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    const std::string start = "POST / HTTP/1.0\r\nX-Slow: 1\r\n";
    ::send(fd, start.data(), start.size(), MSG_NOSIGNAL);
    return fd;
}

// Whether the server closes the connection within `seconds`.
bool ClosedWithin(int fd, int seconds)
{
    timeval wait{seconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char byte;
    const ssize_t got = ::recv(fd, &byte, 1, 0);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

} // namespace

// One machine trickling requests can hold only a few connections, and each
// for a few seconds; everybody else is served meanwhile.
TEST(GamesServer, SlowClientsAreCutOffAndOthersServed)
{
    const std::string served = FreshFolder("slow");
    WriteServedGame(served, "lotto.drw", fixtures::MakeGame(6, 49), 7, 50, 3);
    std::mutex logLock;
    std::vector<std::string> logLines;
    TGamesServer server({served, "127.0.0.1", 0, [&](const std::string& l) {
                             std::lock_guard<std::mutex> guard(logLock);
                             logLines.push_back(l);
                         }});
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    std::vector<int> slow;
    for (unsigned i = 0; i < kMaxConnectionsPerClient + 4; ++i)
        slow.push_back(SlowConnection(server.Port(), "127.0.0.2"));
    // The connections beyond the client's share are closed at once (which
    // ones depends on the order the server's threads took them in).
    std::this_thread::sleep_for(std::chrono::milliseconds(kRequestDeadlineMs / 4));
    std::vector<int> open;
    for (int fd : slow) {
        char byte;
        const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            open.push_back(fd);
    }
    EXPECT_EQ(open.size(), size_t(kMaxConnectionsPerClient));
    // Another client is answered while the slow ones are still open.
    TDatabaseGames store;
    RequestGamesList({"127.0.0.1:" + std::to_string(server.Port()), 5}, store);
    EXPECT_EQ(store.Count(), 1);
    // The slow ones are cut off once their time is up.
    int cut = 0;
    for (int fd : open)
        cut += ClosedWithin(fd, kRequestDeadlineMs / 1000 + 5);
    EXPECT_EQ(cut, int(kMaxConnectionsPerClient));
    for (int fd : slow)
        ::close(fd);
    server.Stop();
    std::lock_guard<std::mutex> guard(logLock);
    auto count = [&](const char* text) {
        return std::count_if(logLines.begin(), logLines.end(),
                             [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    EXPECT_EQ(count("127.0.0.2 (too many connections waiting for their request, connection refused)"), 4);
    EXPECT_EQ(count("127.0.0.2 (request not complete after 5 s, connection closed)"), long(kMaxConnectionsPerClient));
}

TEST(OnlineGames, FaultyDownloadsWriteNothing)
{
    auto draws = [](const std::string& count, const std::string& body) {
        return "<Response><code>0</code><XMLData><Game><ID>5</ID><Description>Five</Description>"
               "<FieldDescription>0536</FieldDescription><DPD>1</DPD><DrawsCount>" +
               count + "</DrawsCount><UpdateDate>Undefined</UpdateDate><Draws>" + body +
               "</Draws></Game></XMLData></Response>";
    };
    const std::string d1 = "<Draw><Date>2020-01-01</Date><Index>1</Index><Field1>1 2 3 4 5</Field1></Draw>";
    const std::string d2 = "<Draw><Date>2020-01-02</Date><Index>1</Index><Field1>5 4 3 2 36</Field1></Draw>";
    const struct {
        std::string name, doc, error;
    } cases[] = {
        {"ball out of range",
         draws("2", d1 + "<Draw><Date>2020-01-02</Date><Index>1</Index><Field1>1 2 3 4 37"
                         "</Field1></Draw>"),
         "Invalid draw 2 received from server"},
        {"repeated ball", draws("1", "<Draw><Date>2020-01-02</Date><Index>1</Index><Field1>1 1 3 4 5</Field1></Draw>"),
         "Invalid draw 1 received from server"},
        {"no date", draws("1", "<Draw><Index>1</Index><Field1>1 2 3 4 5</Field1></Draw>"),
         "Invalid draw 1 received from server"},
        {"same day twice", draws("2", d1 + d1), "Invalid draw 2 received from server"},
        {"too many balls",
         draws("2", d1 + "<Draw><Date>2020-01-02</Date><Index>1</Index><Field1>1 2 3 4 5 6"
                         "</Field1></Draw>"),
         "Invalid draw 2 received from server"},
        {"too few balls", draws("1", "<Draw><Date>2020-01-02</Date><Index>1</Index><Field1>1 2 3 4</Field1></Draw>"),
         "Invalid draw 1 received from server"},
        {"negative ball", draws("1", "<Draw><Date>2020-01-02</Date><Index>1</Index><Field1>-1 2 3 4 5</Field1></Draw>"),
         "Invalid draw 1 received from server"},
        {"text among the balls",
         draws("1", "<Draw><Date>2020-01-02</Date><Index>1</Index><Field1>1 2 3 4 x5</Field1></Draw>"),
         "Invalid draw 1 received from server"},
        {"fewer draws", draws("3", d1 + d2), "The server sent 2 draws for a game of 3 draws"},
        {"more draws", draws("1", d1 + d2), "The server sent 2 draws for a game of 1 draws"},
        {"another game", "<Response><code>0</code><XMLData><Game><ID>6</ID></Game></XMLData></Response>",
         "Invalid lottery game received from server"},
        {"cut off", draws("2", d1 + d2).substr(0, 300), "Error browsing XML at node RESPONSE"},
        {"well formed", draws("2", d1 + d2), ""},
    };
    for (const auto& c : cases) {
        const std::string folder = FreshFolder("faulty");
        TCannedHttpServer server({TCannedHttpServer::Http(c.doc)});
        std::string error;
        try {
            DownloadGame({server.Address(), 5}, 5, folder);
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.name;
        EXPECT_EQ(error.empty(), c.error.empty()) << c.name << ": " << error;
        EXPECT_EQ(FolderFiles(folder).size(), c.error.empty() ? 1u : 0u) << c.name;
    }
}
