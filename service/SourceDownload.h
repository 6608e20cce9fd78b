// The results file a lottery publishes: fetched from an http(s) address with
// libcurl, or read from a local file, always within one size cap. A stored
// ETag / Last-Modified makes the request conditional, so an unchanged file
// costs one short answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A whole history of daily draws is a few MB; anything beyond this is no results file.
constexpr size_t kMaxSourceBytes = size_t(64) << 20;
constexpr long kDefaultSourceTimeoutSeconds = 120;
constexpr long kSourceConnectTimeoutSeconds = 20;
constexpr long kMaxSourceRedirects = 5;

enum class TSourceKind {
    None,        // empty address
    Web,         // http:// or https://
    File,        // a local path (or file:// address)
    Unsupported, // another scheme (ftp://, ...)
};
TSourceKind SourceKind(const std::string& address);
// The local path of a File address ("file:///x" gives "/x").
std::string SourceFilePath(const std::string& address);

struct TDownloadRequest {
    std::string Address;
    // Validators of the copy the game already holds; empty sends none.
    std::string ETag;
    std::string LastModified;
    long TimeoutSeconds = kDefaultSourceTimeoutSeconds;
    long ConnectTimeoutSeconds = kSourceConnectTimeoutSeconds;
    size_t MaxBytes = kMaxSourceBytes;
    // Called as data arrives with the bytes received and expected (0 when
    // unknown); answering false cancels. Runs on the downloading thread.
    std::function<bool(uint64_t received, uint64_t expected)> Progress;
};

enum class TDownloadStatus { Ok, NotModified, Failed, Cancelled };

struct TDownloadResult {
    TDownloadStatus Status = TDownloadStatus::Failed;
    long HttpStatus = 0; // of the last answer; 0 for a local file or no answer
    std::string Body;
    std::string ETag;
    std::string LastModified;
    std::string ContentType;
    std::string Error; // what failed, for the user (Windows-1252)
};

// Never raises; every failure is a Failed result with its message.
TDownloadResult DownloadSource(const TDownloadRequest& request);

// "404 Not Found" for a status, the number alone when it has no common name.
std::string HttpStatusText(long status);

// Whether a body is a web page rather than a results file.
bool LooksLikeWebPage(const std::string& body, const std::string& contentType);
