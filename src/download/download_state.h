// The one download job, shared between the user-interface thread and the
// worker: the progress text under a lock, the running flag atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "catalog/selected.h"

namespace orvane {

struct DownloadState {
    std::string jobUrl;   // at most 255
    std::string jobPath;  // at most 255
    std::uint64_t expectedSize = 0;
    std::atomic<bool> running{false};
    std::atomic<std::uint64_t> bytesOnDisk{0};
    std::thread worker;
    // The product and file (files holds the chosen file name) that the running
    // download fetches, as chosen when it started: its record describes them
    // even if the window shows another product by the time it completes.
    // User-interface thread only.
    SelectedProduct product;

    DownloadState() = default;
    DownloadState(const DownloadState&) = delete;
    DownloadState& operator=(const DownloadState&) = delete;
    // The program may end while a worker runs, or before a finished one was
    // joined (that happens at the next start); neither is waited for, and a
    // joinable std::thread must not be destroyed (it would abort the process).
    ~DownloadState() {
        if (worker.joinable()) worker.detach();
    }

    mutable std::mutex progressLock;
    std::string progressText;  // replaced whole under progressLock

    void publish(const std::string& text) {
        std::lock_guard<std::mutex> lock(progressLock);
        progressText = text;
    }
    std::string progress() const {
        std::lock_guard<std::mutex> lock(progressLock);
        return progressText;
    }
};

}  // namespace orvane
