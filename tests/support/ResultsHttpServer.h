// A small HTTP server on 127.0.0.1 (libmicrohttpd) that publishes results
// files the way lottery sites do: per path a status, a body, validators that
// answer 304, redirects, gzip when asked, and the faults a client must
// survive (a slow answer, a body cut short). Routes may change while it runs.
#pragma once

#include <microhttpd.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class TResultsHttpServer {
public:
    struct TRoute {
        TRoute(int status = 200, std::string body = "", std::string contentType = "text/csv", std::string etag = "",
               std::string lastModified = "")
            : Status(status), Body(std::move(body)), ContentType(std::move(contentType)), ETag(std::move(etag)),
              LastModified(std::move(lastModified))
        {}
        int Status = 200;
        std::string Body;
        std::string ContentType = "text/csv";
        std::string ETag;                    // answered 304 when the request's If-None-Match matches
        std::string LastModified;            // answered 304 when If-Modified-Since repeats it
        std::string Location;                // for redirects
        int DelayMs = 0;                     // before the answer
        size_t CutAfter = std::string::npos; // announce the whole body, send this many bytes, then drop
        bool Gzip = false;                   // compress when the client accepts gzip
    };
    static TRoute Redirect(int status, const std::string& location)
    {
        TRoute r(status, "", "text/html");
        r.Location = location;
        return r;
    }

    struct TRequest {
        std::string Path, IfNoneMatch, IfModifiedSince, AcceptEncoding, UserAgent;
    };

    TResultsHttpServer()
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        daemon_ = MHD_start_daemon(MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD, 0, nullptr, nullptr,
                                   &Handle, this, MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&a),
                                   MHD_OPTION_CONNECTION_TIMEOUT, 10u, MHD_OPTION_END);
        if (daemon_)
            if (const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT))
                port_ = info->port;
    }
    ~TResultsHttpServer()
    {
        stop_ = true;
        if (daemon_)
            MHD_stop_daemon(daemon_);
    }
    TResultsHttpServer(const TResultsHttpServer&) = delete;
    TResultsHttpServer& operator=(const TResultsHttpServer&) = delete;

    bool Running() const { return daemon_ != nullptr && port_ != 0; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    void Set(const std::string& path, TRoute route)
    {
        std::lock_guard<std::mutex> g(lock_);
        routes_[path] = std::move(route);
    }
    std::vector<TRequest> Requests()
    {
        std::lock_guard<std::mutex> g(lock_);
        return requests_;
    }
    void ClearRequests()
    {
        std::lock_guard<std::mutex> g(lock_);
        requests_.clear();
    }

    static std::string GzipOf(const std::string& text)
    {
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + 32, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        z.avail_in = static_cast<uInt>(text.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        return out;
    }

private:
    struct TCut {
        std::string Body;
        size_t Limit = 0;
    };

    static ssize_t ReadCut(void* cls, uint64_t pos, char* buf, size_t max)
    {
        auto* cut = static_cast<TCut*>(cls);
        if (pos >= cut->Limit)
            return MHD_CONTENT_READER_END_WITH_ERROR;
        const size_t n = std::min<size_t>(max, cut->Limit - static_cast<size_t>(pos));
        std::memcpy(buf, cut->Body.data() + pos, n);
        return static_cast<ssize_t>(n);
    }
    static void FreeCut(void* cls) { delete static_cast<TCut*>(cls); }

    static std::string Header(MHD_Connection* c, const char* name)
    {
        const char* v = MHD_lookup_connection_value(c, MHD_HEADER_KIND, name);
        return v ? v : "";
    }

    static MHD_Result Handle(void* cls, MHD_Connection* c, const char* url, const char*, const char*, const char*,
                             size_t*, void**)
    {
        auto* self = static_cast<TResultsHttpServer*>(cls);
        TRequest request{url, Header(c, "If-None-Match"), Header(c, "If-Modified-Since"), Header(c, "Accept-Encoding"),
                         Header(c, "User-Agent")};
        TRoute route;
        bool found = false;
        {
            std::lock_guard<std::mutex> g(self->lock_);
            self->requests_.push_back(request);
            if (auto it = self->routes_.find(url); it != self->routes_.end()) {
                route = it->second;
                found = true;
            }
        }
        if (!found)
            route = TRoute(404, "<html><body>Not Found</body></html>", "text/html");
        for (int waited = 0; waited < route.DelayMs && !self->stop_; waited += 20)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (self->stop_)
            return MHD_NO;

        unsigned status = static_cast<unsigned>(route.Status);
        std::string body = route.Body;
        const bool unchanged = (!route.ETag.empty() && request.IfNoneMatch == route.ETag) ||
                               (!route.LastModified.empty() && request.IfModifiedSince == route.LastModified);
        bool gzip = false;
        if (status == 200 && unchanged) {
            status = 304;
            body.clear();
        } else if (route.Gzip && request.AcceptEncoding.find("gzip") != std::string::npos) {
            body = GzipOf(body);
            gzip = true;
        }
        MHD_Response* response = nullptr;
        if (route.CutAfter != std::string::npos && status == 200) {
            auto* cut = new TCut{body, std::min(route.CutAfter, body.size())};
            response = MHD_create_response_from_callback(body.size(), 4096, &ReadCut, cut, &FreeCut);
        } else {
            response = MHD_create_response_from_buffer(body.size(), body.data(), MHD_RESPMEM_MUST_COPY);
        }
        if (!response)
            return MHD_NO;
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, route.ContentType.c_str());
        if (!route.ETag.empty())
            MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, route.ETag.c_str());
        if (!route.LastModified.empty())
            MHD_add_response_header(response, MHD_HTTP_HEADER_LAST_MODIFIED, route.LastModified.c_str());
        if (!route.Location.empty())
            MHD_add_response_header(response, MHD_HTTP_HEADER_LOCATION, route.Location.c_str());
        if (gzip)
            MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_ENCODING, "gzip");
        const MHD_Result result = MHD_queue_response(c, status, response);
        MHD_destroy_response(response);
        return result;
    }

    MHD_Daemon* daemon_ = nullptr;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::map<std::string, TRoute> routes_;
    std::vector<TRequest> requests_;
};
