// The download engine: fetches one file from a download mirror into one local
// file over plain HTTP and reports percent, total, speed and time left through
// the job's progress text. Runs on the download worker thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

struct DownloadState;

// Failure texts: each is a whole progress text of one field.
inline constexpr const char* kErrOpenLocal = "Error: Could not open local file";
inline constexpr const char* kErrSetup = "Error: Could not setup Internet connection";
inline constexpr const char* kErrHostName = " Error: Could not connect to host name";  // after the error code
inline constexpr const char* kErrHostUrl = "Error: Could not connect to host URL";
inline constexpr const char* kErrLength =
    "Error: Invalid content length received from host or there is no data to download";
inline constexpr const char* kErrNoData =
    "Error: No data has been received due to a connection error or an expired or invalid link";
inline constexpr const char* kErrUnspecified = "Error: There was an unspecified error";
// Faults of the mirror that would otherwise leave a wrong file behind.
inline constexpr const char* kErrHttpStatus = "Error: The host refused the download with HTTP status ";  // + code
inline constexpr const char* kErrBadRange = "Error: Invalid content range received from host";
inline constexpr const char* kErrIgnoredRange = "Error: The host ignored the requested byte range";
inline constexpr const char* kErrShort = "Error: The connection ended before the whole file was received";
inline constexpr const char* kErrTooLong = "Error: The host sent more data than the file length";
inline constexpr const char* kErrWrite = "Error: Could not write to local file";

// Reads are paced: a read blocks until its whole block has arrived (WinINet
// in synchronous mode), so the block follows the link. It doubles after a turn
// of the loop that took at most half of kTargetTurnMs, up to kMaxReadBlock
// (a fast link moves large blocks), and shrinks to what the link delivers in
// kTargetTurnMs after a turn that took more than twice that (a slow link
// still publishes a new line several times between two polls of the window,
// and a cancel takes effect within one such read). What is already available
// is read even when it is more than the paced size. A link that slows down
// abruptly while the blocks are large makes one read wait for its block
// before the pace adapts.
inline constexpr std::size_t kMaxReadBlock = 1u << 20;
inline constexpr std::uint64_t kTargetTurnMs = 100;
// The block for the next read after a turn that moved lastBlock bytes in turnMs.
std::size_t nextReadBlock(std::size_t lastBlock, std::uint64_t turnMs);

// Runs one transfer of url into the file at path (both at most 255
// characters) through platform().ranges, .files and .clock, with the job's
// expected size as the fallback length. Leaves the outcome in the job's
// progress text and the local file; the running flag is false on return,
// cleared together with the final text.
void RunDownload(DownloadState& job, const std::string& url, const std::string& path);

// The text pieces of a progress line, for the engine and its tests.
// Percent of onDisk in total with eight decimals and the given separator.
std::string formatPercent(std::uint64_t onDisk, std::uint64_t total, char separator);
// "512.00 Bytes/sec", "1.50 KB/sec", "2.00 MB/sec".
std::string formatSpeed(double bytesPerSecond);
// "1 Hrs 2 Min 5 Sec", "1 Min 0 Sec", "59 Sec".
std::string formatTimeLeft(std::uint64_t seconds);

}  // namespace orvane
