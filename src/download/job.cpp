#include "download/job.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "app/agent_state.h"
#include "download/engine.h"
#include "download/file_name.h"
#include "net/text.h"

namespace orvane {

namespace {
constexpr std::size_t kMaxText = 255;
}

int StartDownload(const std::string& folder, const std::string& url, const std::string& fileName,
                  std::uint64_t expectedSize) {
    AgentState& s = state();
    DownloadState& job = s.download;
    if (job.running.load()) return 0;
    // The previous worker may still be closing a cancelled transfer.
    if (job.worker.joinable()) job.worker.join();

    if (!s.storeReady || url.size() < 4 || folder.size() < 4 || fileName.size() < 4) {
        job.running = false;
        return -1;
    }
    std::string path = folder;
    if (path.back() != '\\') path += '\\';
    path += fileName;
    if (url.size() > kMaxText || path.size() > kMaxText || !isSafeFileName(fileName)) return -1;
    Files* files = platform().files;
    if (!files) return -1;

    job.jobUrl = url;
    job.jobPath = path;
    // Every download starts with an empty local file.
    if (files->exists(path) && !files->remove(path)) return -2;
    job.expectedSize = expectedSize;
    job.bytesOnDisk = 0;
    job.publish(kPendingText);

    // Set before the worker exists, so that it never sees a stale false.
    job.running = true;
    try {
        job.worker = std::thread(downloadWorker);
    } catch (...) {
        job.publish(kErrThread);
        job.running = false;
        return -1;
    }
    return 1;
}

bool GetDownloadProgress(char (&buffer)[kProgressBufferSize]) {
    DownloadState& job = state().download;
    std::lock_guard<std::mutex> lock(job.progressLock);
    std::size_t n = std::min(job.progressText.size(), kProgressBufferSize - 1);
    std::memcpy(buffer, job.progressText.data(), n);
    buffer[n] = '\0';
    return job.running.load();
}

int downloadWorker() {
    DownloadState& job = state().download;
    // The engine's own copies, taken at the start: StartDownload writes the
    // job texts only while no worker runs.
    const std::string url = cutTo(job.jobUrl, kMaxText);
    const std::string path = cutTo(job.jobPath, kMaxText);
    RunDownload(job, url, path);
    return 1;
}

}  // namespace orvane
