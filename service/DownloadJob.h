// One download on a thread of its own, so a window stays responsive while a
// results file arrives. The hand-over between the two threads is this type
// alone: the owner starts the job, reads its progress, may cancel it, and
// takes the result once Finished(); the worker touches nothing else.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "service/SourceDownload.h"

class TDownloadJob {
public:
    // Starts at once. The request's own Progress callback is replaced.
    explicit TDownloadJob(TDownloadRequest request);
    // Cancels a download still running and waits for its thread.
    ~TDownloadJob();
    TDownloadJob(const TDownloadJob&) = delete;
    TDownloadJob& operator=(const TDownloadJob&) = delete;

    // The download stops at its next callback (within a second of a stalled transfer).
    void Cancel() { cancel_.store(true); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    uint64_t Received() const { return received_.load(); }
    uint64_t Expected() const { return expected_.load(); }

    // The result; waits for the thread when it has not finished. Once only.
    TDownloadResult Take();

private:
    TDownloadRequest request_;
    TDownloadResult result_; // written by the worker before finished_, read by the owner after
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<uint64_t> received_{0};
    std::atomic<uint64_t> expected_{0};
    std::thread thread_;
};
