#include "service/DownloadJob.h"

#include <utility>

TDownloadJob::TDownloadJob(TDownloadRequest request) : request_(std::move(request))
{
    request_.Progress = [this](uint64_t received, uint64_t expected) {
        received_.store(received);
        expected_.store(expected);
        return !cancel_.load();
    };
    thread_ = std::thread([this] {
        result_ = DownloadSource(request_);
        finished_.store(true, std::memory_order_release);
    });
}

TDownloadJob::~TDownloadJob()
{
    Cancel();
    if (thread_.joinable())
        thread_.join();
}

TDownloadResult TDownloadJob::Take()
{
    if (thread_.joinable())
        thread_.join();
    return std::move(result_);
}
