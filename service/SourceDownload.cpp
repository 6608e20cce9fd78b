// Redirects, the size cap and the time-outs are libcurl's; what the user is
// told is worked out here from its result, naming the HTTP status.
#include "service/SourceDownload.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <system_error>

#include <sys/stat.h>

#include <curl/curl.h>

#include "data/Stream.h"
#include "data/TextCodec.h"
#include "data/Types.h"

namespace {

bool StartsNoCase(const std::string& text, const char* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != prefix[i])
            return false;
    }
    return true;
}

// A header value may not add a line to the request.
bool SafeHeaderValue(const std::string& value)
{
    if (value.empty() || value.size() > 1024)
        return false;
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

std::string SizeText(size_t bytes)
{
    if (bytes >= (size_t(1) << 20) && bytes % (size_t(1) << 20) == 0)
        return Format("%zu MB", bytes >> 20);
    return Format("%zu bytes", bytes);
}

std::string SecondsText(long seconds) { return Format("%ld second%s", seconds, seconds == 1 ? "" : "s"); }

struct TTransfer {
    const TDownloadRequest* request = nullptr;
    CURL* curl = nullptr;
    std::string body;
    bool overflow = false;
    bool cancelled = false;
    bool refusedBody = false; // an error page, not kept
};

size_t ReceiveBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<TTransfer*>(user);
    const size_t n = size * count;
    long status = 0;
    curl_easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        // The page of an error answer is of no use: stop reading it.
        t->refusedBody = true;
        return 0;
    }
    // Counted after decompression, so a small compressed bomb stops here too.
    if (n > t->request->MaxBytes - t->body.size()) {
        t->overflow = true;
        return 0;
    }
    t->body.append(data, n);
    return n;
}

int TransferProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t)
{
    auto* t = static_cast<TTransfer*>(user);
    if (t->request->Progress &&
        !t->request->Progress(static_cast<uint64_t>(now < 0 ? 0 : now), static_cast<uint64_t>(total < 0 ? 0 : total))) {
        t->cancelled = true;
        return 1;
    }
    return 0;
}

std::string LastHeader(CURL* curl, const char* name)
{
    curl_header* h = nullptr;
    if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &h) == CURLHE_OK && h && h->value)
        return h->value;
    return {};
}

// Loopback addresses never go through a proxy; the environment's choices stay.
std::string NoProxyList()
{
    std::string list;
    for (const char* name : {"no_proxy", "NO_PROXY"})
        if (const char* v = std::getenv(name); v && *v) {
            list = v;
            break;
        }
    if (!list.empty())
        list += ',';
    return list + "localhost,127.0.0.1,::1";
}

TDownloadResult ReadLocalFile(const TDownloadRequest& request)
{
    TDownloadResult r;
    const std::string path = SourceFilePath(request.Address);
    const std::string shown = PathToText(path);
    struct stat st {};
    // Checked before opening: opening a FIFO would wait for a writer.
    if (::stat(path.c_str(), &st) != 0) {
        r.Error = "Cannot read the results file " + shown + ": it does not exist.";
        return r;
    }
    if (!S_ISREG(st.st_mode)) {
        r.Error = "Cannot read the results file " + shown + ": it is not a regular file.";
        return r;
    }
    if (static_cast<uint64_t>(st.st_size) > request.MaxBytes) {
        r.Error = "The results file " + shown + " is larger than " + SizeText(request.MaxBytes) + ".";
        return r;
    }
    if (request.Progress && !request.Progress(0, static_cast<uint64_t>(st.st_size))) {
        r.Status = TDownloadStatus::Cancelled;
        r.Error = "The update was cancelled.";
        return r;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error, request.MaxBytes)) {
        r.Error = "Cannot read the results file: " + error;
        return r;
    }
    r.Body.assign(bytes.begin(), bytes.end());
    r.Status = TDownloadStatus::Ok;
    if (request.Progress)
        request.Progress(r.Body.size(), r.Body.size());
    return r;
}

std::string HostOf(const std::string& url)
{
    size_t from = url.find("://");
    from = from == std::string::npos ? 0 : from + 3;
    size_t to = url.find_first_of("/?#", from);
    std::string host = url.substr(from, to == std::string::npos ? std::string::npos : to - from);
    if (const size_t at = host.rfind('@'); at != std::string::npos)
        host = host.substr(at + 1);
    return host;
}

std::string CurlFailure(CURLcode code, CURL* curl, const TDownloadRequest& request, const char* detail)
{
    const std::string host = PathToText(HostOf(request.Address));
    const std::string why = *detail ? std::string(detail) : std::string(curl_easy_strerror(code));
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST: return "Cannot find the server " + host + ".";
    case CURLE_COULDNT_CONNECT: return "Cannot connect to the server " + host + ".";
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t connected = 0;
        curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
        if (connected == 0)
            return "No connection to the server " + host + " within " +
                   SecondsText(std::min(request.ConnectTimeoutSeconds, request.TimeoutSeconds)) + ".";
        return "The download did not finish within " + SecondsText(request.TimeoutSeconds) + ".";
    }
    case CURLE_TOO_MANY_REDIRECTS:
        return Format("The address was redirected more than %ld times.", kMaxSourceRedirects);
    case CURLE_UNSUPPORTED_PROTOCOL: return "The address was redirected to one that is neither http:// nor https://.";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: return "The server's certificate could not be verified (" + why + ").";
    case CURLE_SSL_CONNECT_ERROR: return "The secure connection to " + host + " failed (" + why + ").";
    case CURLE_FILESIZE_EXCEEDED: return "The results file is larger than " + SizeText(request.MaxBytes) + ".";
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_BAD_CONTENT_ENCODING: {
        curl_off_t got = 0, expected = -1;
        curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &got);
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
        if (expected > 0 && got < expected)
            return Format("The download was cut short: %lld of %lld bytes arrived.", static_cast<long long>(got),
                          static_cast<long long>(expected));
        return "The download was cut short (" + why + ").";
    }
    default: break;
    }
    return "The download failed (" + why + ").";
}

TDownloadResult Fetch(const TDownloadRequest& request)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    TDownloadResult r;
    CURL* curl = curl_easy_init();
    if (!curl) {
        r.Error = "The download could not start.";
        return r;
    }
    TTransfer t;
    t.request = &request;
    t.curl = curl;
    char detail[CURL_ERROR_SIZE] = {0};
    curl_slist* headers = nullptr;
    if (SafeHeaderValue(request.ETag))
        headers = curl_slist_append(headers, ("If-None-Match: " + request.ETag).c_str());
    if (SafeHeaderValue(request.LastModified))
        headers = curl_slist_append(headers, ("If-Modified-Since: " + request.LastModified).c_str());
    const std::string noProxy = NoProxyList();

    curl_easy_setopt(curl, CURLOPT_URL, request.Address.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxSourceRedirects);
    // The system's certificate store, verified in full.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.c_str());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, ""); // every encoding libcurl decodes
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "jux/" JUX_VERSION " (draws update)");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, request.ConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, request.TimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.MaxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &ReceiveBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &TransferProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.HttpStatus);
    if (char* type = nullptr; curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
        r.ContentType = type;
    r.ETag = LastHeader(curl, "ETag");
    r.LastModified = LastHeader(curl, "Last-Modified");

    if (t.cancelled || code == CURLE_ABORTED_BY_CALLBACK) {
        r.Status = TDownloadStatus::Cancelled;
        r.Error = "The update was cancelled.";
    } else if (t.overflow) {
        r.Error = "The results file is larger than " + SizeText(request.MaxBytes) + ".";
    } else if (r.HttpStatus == 304) {
        r.Status = TDownloadStatus::NotModified;
    } else if (r.HttpStatus != 0 && (r.HttpStatus < 200 || r.HttpStatus > 299) && (code == CURLE_OK || t.refusedBody)) {
        r.Error = "The server answered HTTP " + HttpStatusText(r.HttpStatus) + ".";
    } else if (code != CURLE_OK) {
        r.Error = CurlFailure(code, curl, request, detail);
    } else {
        r.Status = TDownloadStatus::Ok;
        r.Body = std::move(t.body);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    if (r.Status != TDownloadStatus::Ok)
        r.Body.clear();
    return r;
}

} // namespace

TSourceKind SourceKind(const std::string& address)
{
    const std::string a = Trim(address);
    if (a.empty())
        return TSourceKind::None;
    if (StartsNoCase(a, "http://") || StartsNoCase(a, "https://"))
        return TSourceKind::Web;
    if (StartsNoCase(a, "file://"))
        return TSourceKind::File;
    // A scheme is letters, digits, '+', '-' or '.', then "://".
    const size_t colon = a.find("://");
    if (colon != std::string::npos && colon > 0 &&
        a.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.") >= colon)
        return TSourceKind::Unsupported;
    return TSourceKind::File;
}

std::string SourceFilePath(const std::string& address)
{
    const std::string a = Trim(address);
    if (!StartsNoCase(a, "file://"))
        return a;
    std::string rest = a.substr(7);
    if (StartsNoCase(rest, "localhost/"))
        rest = rest.substr(9);
    // Percent escapes of a file URL are the path's bytes.
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        if (rest[i] == '%' && i + 2 < rest.size() && hex(rest[i + 1]) >= 0 && hex(rest[i + 2]) >= 0) {
            path += static_cast<char>(hex(rest[i + 1]) * 16 + hex(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

TDownloadResult DownloadSource(const TDownloadRequest& request)
{
    switch (SourceKind(request.Address)) {
    case TSourceKind::None: {
        TDownloadResult r;
        r.Error = "The game has no source address.";
        return r;
    }
    case TSourceKind::Unsupported: {
        TDownloadResult r;
        r.Error = "The source address must start with http:// or https://, or name a local file.";
        return r;
    }
    case TSourceKind::File: return ReadLocalFile(request);
    case TSourceKind::Web: break;
    }
    TDownloadRequest trimmed = request;
    trimmed.Address = Trim(request.Address);
    try {
        return Fetch(trimmed);
    } catch (const std::exception&) {
        // Only memory can run out here.
        TDownloadResult r;
        r.Error = "The download failed (out of memory).";
        return r;
    }
}

std::string HttpStatusText(long status)
{
    static const struct {
        long code;
        const char* name;
    } names[] = {
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {307, "Temporary Redirect"},
        {308, "Permanent Redirect"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {406, "Not Acceptable"},
        {408, "Request Timeout"},
        {410, "Gone"},
        {429, "Too Many Requests"},
        {451, "Unavailable For Legal Reasons"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {504, "Gateway Timeout"},
    };
    for (const auto& n : names)
        if (n.code == status)
            return Format("%ld %s", status, n.name);
    return Format("%ld", status);
}

bool LooksLikeWebPage(const std::string& body, const std::string& contentType)
{
    size_t i = 0;
    if (body.compare(0, 3, "\xEF\xBB\xBF") == 0)
        i = 3;
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n'))
        ++i;
    const std::string start = body.substr(i, 64);
    if (StartsNoCase(start, "<!doctype html") || StartsNoCase(start, "<html") || StartsNoCase(start, "<head") ||
        StartsNoCase(start, "<body"))
        return true;
    // A results file served as a web page type still starts with text, not a tag.
    return (StartsNoCase(contentType, "text/html") || StartsNoCase(contentType, "application/xhtml")) &&
           StartsNoCase(start, "<");
}
