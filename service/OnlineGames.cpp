// The service's texts travel as UTF-8 XML; the program keeps Windows-1252.
#include "service/OnlineGames.h"

#include <mutex>

#include <curl/curl.h>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "data/Stream.h"
#include "data/TextCodec.h"
#include "data/Utils.h"
#include "platform/Paths.h"
#include "service/XMLBrowse.h"

namespace {

void InitCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TBodySink {
    std::string body;
    size_t limit = 0;
    bool overflow = false;
};

size_t CollectBody(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<TBodySink*>(user);
    const size_t n = size * count;
    if (n > sink->limit - sink->body.size()) {
        sink->overflow = true;
        return 0; // aborts the transfer
    }
    sink->body.append(data, n);
    return n;
}

std::string CutMessage(const std::string& text)
{
    if (text.size() <= kMaxServerMessageChars)
        return text;
    return text.substr(0, kMaxServerMessageChars) + "...";
}

} // namespace

std::string ComposeRequest(const std::string& name, int32_t intArg, const std::string& textArg)
{
    return Format("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<Request><App>%s</App><Name>%s</Name><IntArg>%d</IntArg><TextArg>%s</TextArg></Request>\n",
                  kServiceAppId, XmlText(Trim(name)).c_str(), intArg, XmlText(Trim(textArg)).c_str());
}

std::string PostRequest(const TServiceEndpoint& endpoint, const std::string& request)
{
    InitCurl();
    std::string url = Trim(endpoint.Address);
    if (url.empty())
        return {};
    if (url.find("://") == std::string::npos)
        url = "http://" + url;

    CURL* curl = curl_easy_init();
    if (!curl)
        return {};
    TBodySink sink;
    sink.limit = endpoint.MaxResponseBytes;
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Content-Type: application/xml");
    headers = curl_slist_append(headers, "Connection: keep-alive");
    headers = curl_slist_append(headers, "Expect:");

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; Synapse)");
    // No proxy, whatever the environment says.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, endpoint.TimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(endpoint.MaxResponseBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CollectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

    const CURLcode result = curl_easy_perform(curl);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK || sink.overflow)
        return {};
    return std::move(sink.body);
}

void PostAndLoad(TXMLBrowse& xml, const TServiceEndpoint& endpoint, const std::string& request)
{
    xml.LoadText(PostRequest(endpoint, request));
}

void CheckResponse(TXMLBrowse& xml)
{
    bool found = false;
    try {
        found = xml.FindFirst("/Response/code/");
    } catch (const EXMLBrowseError&) {
        // A broken page of another kind (an HTML error page) is no answer.
        if (xml.RootName() != "RESPONSE")
            throw EOnlineServiceError(kInvalidResultError);
        throw;
    }
    if (!found)
        throw EOnlineServiceError(kInvalidResultError);
    const int32_t code = StrToInt(xml.Content());
    if (code != 0) {
        if (!xml.FindFirst("/Response/errorMsg/"))
            throw EOnlineServiceError(kSilentFailureError);
        throw EOnlineServiceError(Format(kServerResponseError, CutMessage(xml.Content()).c_str()));
    }
    xml.FindFirst("/Response/");
}

TDateTime DecodeUpdateDate(const std::string& text) { return ParseDateTime(text); }

std::string UpdateDateText(TDateTime time)
{
    if (time == 0)
        return "Never";
    return DateTimeText(2, time);
}

void ValidateGameEntry(TDatabaseGameRec& e)
{
    e.Valid = false;
    if (e.Identifier <= 0 || e.DrawsPerDay < 1 || e.DrawsPerDay > 99 || e.Description.empty() || e.DrawCount < 0 ||
        e.FormationCode.empty())
        return;
    TGameInfo g;
    try {
        ParseFormationCode(e.FormationCode, g.Fields, g.Field2Kind);
    } catch (const std::exception&) {
        return;
    }
    g.Name = e.Description;
    g.FieldCount = g.Field2Kind != 0 ? 2 : 1;
    g.DrawsPerDay = e.DrawsPerDay;
    // Only a definition a game file can hold is offered for download.
    if (!IsStorableGameInfo(g))
        return;
    e.Fields = g.Fields;
    e.Field2Kind = g.Field2Kind;
    e.FieldCount = g.FieldCount;
    e.FormationText = FormationText(g.Fields, g.Field2Kind);
    e.Valid = true;
}

namespace {

// One stop inside a Game element: the element it belongs to.
bool ReadGameElement(TXMLBrowse& xml, TDatabaseGameRec& e)
{
    if (xml.Inside("ID"))
        e.Identifier = StrToInt(xml.Content());
    else if (xml.Inside("Description"))
        e.Description = Trim(xml.Content());
    else if (xml.Inside("FieldDescription"))
        e.FormationCode = Trim(xml.Content());
    else if (xml.Inside("DPD"))
        e.DrawsPerDay = StrToInt(xml.Content());
    else if (xml.Inside("DrawsCount"))
        e.DrawCount = StrToInt(xml.Content());
    else if (xml.Inside("UpdateDate"))
        e.UpdateTime = DecodeUpdateDate(xml.Content());
    else
        return false;
    return true;
}

} // namespace

void ReadGamesList(TXMLBrowse& xml, TDatabaseGames& store)
{
    while (store.Count() < kMaxDatabaseGames && xml.FindNext("/Response/XMLData/GamesList/Game/")) {
        auto owned = std::make_unique<TDatabaseGameRec>();
        TDatabaseGameRec* e = owned.get();
        store.AddRecord(owned);
        try {
            do
                ReadGameElement(xml, *e);
            while (xml.Advance() && xml.Inside("Game"));
            ValidateGameEntry(*e);
        } catch (const EXMLBrowseError&) {
            e->Valid = false;
            throw;
        } catch (const std::exception&) {
            e->Valid = false;
        }
        xml.Leave("Game");
    }
}

void RequestGamesList(const TServiceEndpoint& endpoint, TDatabaseGames& store)
{
    TXMLBrowse xml;
    PostAndLoad(xml, endpoint, ComposeRequest(kGetGamesList, 0, ""));
    CheckResponse(xml);
    ReadGamesList(xml, store);
}

void RemoveUnwantedGames(TDatabaseGames& store, const TLocalGamesClass* localGames)
{
    for (int i = store.Count(); i >= 1; --i) {
        const TDatabaseGameRec* e = store.GetRecord(i);
        bool drop = !e || !e->Valid;
        for (int j = 1; !drop && localGames && j <= localGames->Count(); ++j)
            if (const TLocalGameRec* local = localGames->Get(j))
                drop = local->Info.Game.OnlineID == e->Identifier;
        if (drop)
            store.DeleteRecord(i);
    }
}

// --- Download ------------------------------------------------------------------

namespace {

struct TDrawText {
    std::string Date, Index, Field1, Field2;
};

void ReadDrawElement(TXMLBrowse& xml, TDrawText& d)
{
    if (xml.Inside("Date"))
        d.Date = xml.Content();
    else if (xml.Inside("Index"))
        d.Index = xml.Content();
    else if (xml.Inside("Field1"))
        d.Field1 = xml.Content();
    else if (xml.Inside("Field2"))
        d.Field2 = xml.Content();
}

// One field's balls as the service writes them: whole numbers between blanks
// or commas, exactly as many as the field draws. A sign or any other text
// makes the draw invalid rather than being skipped as a separator.
bool ReadFieldBalls(const std::string& text, const TGameField& field, TShortIntArray& balls)
{
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n'))
            return false;
    balls = TextToBalls(text);
    return static_cast<int>(balls.size()) == field.Picked;
}

void AddDrawText(const TDrawText& d, int number, const TGameInfo& info, TDrawClass& model)
{
    const std::string bad = Format("Invalid draw %d received from server", number);
    try {
        const TDateTime date = ParseDateTime(d.Date);
        const int32_t index = StrToInt(d.Index);
        TArrayOfShortIntArray numbers(static_cast<size_t>(info.FieldCount));
        for (int f = 0; f < info.FieldCount; ++f)
            if (!ReadFieldBalls(f == 0 ? d.Field1 : d.Field2, info.Fields[static_cast<size_t>(f)],
                                numbers[static_cast<size_t>(f)]))
                throw EOnlineServiceError(bad);
        if (date == 0 || index < 1 || index > info.DrawsPerDay ||
            !CheckNumbersFor(numbers, info.FieldCount, info.Fields, info.Field2Kind))
            throw EOnlineServiceError(bad);
        if (model.AddDraw(index, 0, numbers, date) == 0)
            throw EOnlineServiceError(bad);
    } catch (const EOnlineServiceError&) {
        throw;
    } catch (const std::exception&) {
        throw EOnlineServiceError(bad);
    }
}

} // namespace

TDownloadedGame ReadGameDraws(TXMLBrowse& xml, int32_t id)
{
    const std::string badGame = "Invalid lottery game received from server";
    if (!xml.FindFirst("/Response/XMLData/Game/"))
        throw EOnlineServiceError(kInvalidResultError);
    TDatabaseGameRec head;
    std::array<std::string, 2> fieldNames;
    bool more = true;
    try {
        while (more && xml.Inside("Game") && !xml.Inside("Draws")) {
            if (!ReadGameElement(xml, head)) {
                if (xml.Inside("Field1Name"))
                    fieldNames[0] = Trim(xml.Content());
                else if (xml.Inside("Field2Name"))
                    fieldNames[1] = Trim(xml.Content());
            }
            more = xml.Advance();
        }
    } catch (const EXMLBrowseError&) {
        throw;
    } catch (const std::exception&) {
        throw EOnlineServiceError(badGame);
    }
    ValidateGameEntry(head);
    if (!head.Valid || head.Identifier != id)
        throw EOnlineServiceError(badGame);

    TDownloadedGame game;
    TGameInfo& info = game.Info;
    info.OnlineID = head.Identifier;
    info.LastUpdate = head.UpdateTime;
    info.Name = head.Description;
    info.FieldCount = head.FieldCount;
    info.Fields = head.Fields;
    info.Field2Kind = head.Field2Kind;
    info.DrawsPerDay = head.DrawsPerDay;
    info.FieldNames[0] = fieldNames[0].empty() ? DefaultFieldName(info, 1) : fieldNames[0];
    if (info.FieldCount == 2)
        info.FieldNames[1] = fieldNames[1].empty() ? DefaultFieldName(info, 2) : fieldNames[1];
    game.Draws = std::make_unique<TDrawClass>(info);

    int received = 0;
    auto readDraw = [&] {
        TDrawText d;
        do
            ReadDrawElement(xml, d);
        while (xml.Advance() && xml.Inside("Draw"));
        AddDrawText(d, ++received, info, *game.Draws);
    };
    if (more && xml.Inside("Draw"))
        readDraw();
    while (xml.FindNext("/Response/XMLData/Game/Draws/Draw/"))
        readDraw();
    if (received != head.DrawCount || game.Draws->DrawCount() != head.DrawCount)
        throw EOnlineServiceError(Format("The server sent %d draws for a game of %d draws", received, head.DrawCount));
    return game;
}

TDownloadedGame RequestGameDraws(const TServiceEndpoint& endpoint, int32_t id)
{
    TXMLBrowse xml;
    PostAndLoad(xml, endpoint, ComposeRequest(kGetGameDraws, id, ""));
    CheckResponse(xml);
    return ReadGameDraws(xml, id);
}

std::string WriteDownloadedGame(TDownloadedGame& game, const std::string& drawsFolder)
{
    std::string path;
    try {
        path = NewGameFilePath(game.Info.Name, drawsFolder);
    } catch (const std::exception&) {
        throw EOnlineServiceError("Unable to write lottery game file in " + PathToText(drawsFolder));
    }
    const std::string failure = "Unable to write lottery game file " + PathToText(path);
    TMemoryStream image;
    if (!game.Draws || !WriteGameHeader(image, game.Info) || !WriteDraws(image, game.Info, *game.Draws))
        throw EOnlineServiceError(failure);
    // A name taken meanwhile (another download, the wizard) is kept.
    std::string error;
    if (!WriteNewGameFile(path, image.Bytes(), error))
        throw EOnlineServiceError(failure);
    return path;
}

std::string DownloadGame(const TServiceEndpoint& endpoint, int32_t id, const std::string& drawsFolder)
{
    TDownloadedGame game = RequestGameDraws(endpoint, id);
    return WriteDownloadedGame(game, drawsFolder);
}
