// The one download job: started here, run by the engine on a worker thread,
// followed by the window through the progress text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

inline constexpr const char* kPendingText = "0|0|0|0|Pending";
inline constexpr const char* kErrThread = "Error: Could not initialize download thread.";
inline constexpr std::size_t kProgressBufferSize = 100;

// Starts a download of url into folder + "\" (unless the folder ends with
// one) + fileName, with expectedSize as the fallback length. Returns 1 when
// the worker runs; 0 when a download is already running (nothing changed);
// -1 when refused (store not ready, a text of 3 characters or fewer, a URL or
// path longer than 255 characters, a file name that is not a plain name) or
// when the worker cannot be created; -2 when an existing file at the target
// cannot be deleted. Waits for the previous worker before anything else.
int StartDownload(const std::string& folder, const std::string& url, const std::string& fileName,
                  std::uint64_t expectedSize);

// Copies the progress text (at most 99 characters and a terminating zero)
// into buffer and returns whether the download is running. Text and flag are
// read together, so the final text is never seen with the flag still set.
bool GetDownloadProgress(char (&buffer)[kProgressBufferSize]);

// The worker thread's procedure: runs the engine on its own copies of the job
// URL and path. Returns 1.
int downloadWorker();

}  // namespace orvane
