// A tiny HTTP server on 127.0.0.1 for client tests: every connection gets the
// same scripted behaviour (an answer, a delay, a silent close, a stream of
// bytes). Loops are bounded by poll time-outs so a test always ends.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

class TCannedHttpServer {
public:
    struct TScript {
        std::string Raw; // bytes sent as they are (status line included)
        int DelayMs = 0; // before answering
        bool CloseSilently = false;
        bool KeepOpen = false;  // hold the connection after answering
        size_t StreamBytes = 0; // then send this many filler bytes
    };

    explicit TCannedHttpServer(TScript script) : script_(std::move(script))
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 8);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~TCannedHttpServer()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }

    // Plain HTTP answer with a Content-Length.
    static std::string Http(const std::string& body, int status = 200)
    {
        return "HTTP/1.0 " + std::to_string(status) +
               " X\r\nContent-Type: application/xml\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: keep-alive\r\n\r\n" + body;
    }

    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    const std::string& LastRequest() const { return lastRequest_; }
    int Connections() const { return connections_; }

private:
    bool Wait(int fd, short events, int ms)
    {
        pollfd p{fd, events, 0};
        return ::poll(&p, 1, ms) > 0;
    }
    void Run()
    {
        while (!stop_) {
            if (!Wait(fd_, POLLIN, 50))
                continue;
            const int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0)
                continue;
            ++connections_;
            Serve(c);
            ::close(c);
        }
    }
    void Serve(int c)
    {
        std::string request;
        char buf[4096];
        // Headers, then the body by its Content-Length (bounded by a 2 s wait).
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        size_t wanted = std::string::npos;
        while (!stop_ && std::chrono::steady_clock::now() < until && request.size() < wanted) {
            if (!Wait(c, POLLIN, 50))
                continue;
            const ssize_t n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.append(buf, static_cast<size_t>(n));
            const size_t end = request.find("\r\n\r\n");
            if (end != std::string::npos && wanted == std::string::npos) {
                size_t length = 0;
                const size_t at = request.find("Content-Length:");
                if (at != std::string::npos && at < end)
                    length = std::stoul(request.substr(at + 15));
                wanted = end + 4 + length;
            }
        }
        lastRequest_ = request;
        if (script_.CloseSilently)
            return;
        for (int waited = 0; waited < script_.DelayMs && !stop_; waited += 20)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Send(c, script_.Raw);
        std::string filler(65536, 'x');
        for (size_t sent = 0; sent < script_.StreamBytes && !stop_;) {
            const size_t n = std::min(filler.size(), script_.StreamBytes - sent);
            if (!Send(c, filler.substr(0, n)))
                break;
            sent += n;
        }
        while (script_.KeepOpen && !stop_) {
            if (Wait(c, POLLIN, 50) && ::recv(c, buf, sizeof buf, 0) <= 0)
                break;
        }
    }
    bool Send(int c, const std::string& bytes)
    {
        size_t off = 0;
        while (off < bytes.size() && !stop_) {
            if (!Wait(c, POLLOUT, 50))
                continue;
            const ssize_t n = ::send(c, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            off += static_cast<size_t>(n);
        }
        return true;
    }

    TScript script_;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::string lastRequest_;
};
