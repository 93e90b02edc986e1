#include "download/engine.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/platform.h"
#include "download/download_state.h"
#include "net/text.h"

namespace orvane {

namespace {

constexpr std::size_t kMaxText = 255;

// What the speed and time fields show while nothing of this run has arrived
// (only a cancel that comes before the first byte publishes such a line).
constexpr const char* kNoSpeed = "0.00 Bytes/sec";
constexpr const char* kNoTime = "N/A";

// Plain decimal digits, without sign or blanks, that fit 64 bits.
bool parseDecimal(const std::string& text, std::uint64_t& value) {
    if (text.empty()) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        unsigned digit = static_cast<unsigned>(c - '0');
        if (v > (UINT64_MAX - digit) / 10) return false;
        v = v * 10 + digit;
    }
    value = v;
    return true;
}

std::string trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Content-Range: "bytes first-last/total", or "bytes */total" (the answer to
// a range that starts at or after the end).
struct ContentRange {
    bool positions = false;
    std::uint64_t first = 0, last = 0, total = 0;
    std::string totalText;  // as it stood in the header
};

bool parseContentRange(const std::string& header, ContentRange& range) {
    std::string text = trim(header);
    if (toLower(text.substr(0, 6)) != "bytes ") return false;
    text = trim(text.substr(6));
    std::size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    range.totalText = trim(text.substr(slash + 1));
    // The total is shown and read back as a decimal number, so only decimal
    // digits are taken ("*", an unknown total, cannot be downloaded).
    if (!parseDecimal(range.totalText, range.total)) return false;
    std::string span = trim(text.substr(0, slash));
    if (span == "*") return true;
    std::size_t dash = span.find('-');
    if (dash == std::string::npos) return false;
    if (!parseDecimal(trim(span.substr(0, dash)), range.first) ||
        !parseDecimal(trim(span.substr(dash + 1)), range.last))
        return false;
    range.positions = true;
    return true;
}

// The working values of one run and the progress line built from them.
struct Progress {
    char separator = '.';
    std::uint64_t offset = 0;   // length of the local file when opened
    std::uint64_t onDisk = 0;   // bytes on disk
    std::uint64_t thisRun = 0;  // bytes received by this run
    std::uint64_t total = 0;
    std::string totalText;
    std::uint64_t start = 0;
    std::string fields;  // percent|total|speed|time of the last chunk

    void update(std::uint64_t now) {
        // Two readings in the same millisecond count as one millisecond apart,
        // so the first chunk already gets a finite speed and time left.
        std::uint64_t elapsed = now > start ? now - start : 0;
        if (elapsed == 0) elapsed = 1;
        double speed = static_cast<double>(thisRun) * 1000.0 / static_cast<double>(elapsed);
        std::uint64_t left = total > onDisk ? total - onDisk : 0;
        double seconds = speed > 0 ? static_cast<double>(left) / speed : 0.0;
        if (!(seconds < 1e12)) seconds = 1e12;
        fields = formatPercent(onDisk, total, separator) + "|" + totalText + "|" + formatSpeed(speed) + "|" +
                 formatTimeLeft(static_cast<std::uint64_t>(seconds) + 1);
    }

    std::string line(const char* status) const {
        if (!fields.empty()) return fields + "|" + status;
        return formatPercent(onDisk, total, separator) + "|" + (totalText.empty() ? std::string("0") : totalText) +
               "|" + kNoSpeed + "|" + kNoTime + "|" + status;
    }

    std::string alreadyComplete() const { return "100|0 Sec|" + totalText + "|N/A|Completed"; }
};

// Everything of a run up to its final text; the caller closes, publishes and
// clears the running flag.
std::string transfer(DownloadState& job, const std::string& url, const std::string& path, Progress& p,
                     std::unique_ptr<OutFile>& out, std::unique_ptr<RangeReply>& reply) {
    Platform& pf = platform();
    if (!pf.files || !pf.ranges || !pf.clock) return kErrUnspecified;
    p.separator = pf.clock->decimalSeparator();

    if (path.empty() || path.size() > kMaxText) return kErrOpenLocal;
    out = pf.files->openForAppend(path);
    if (!out) return kErrOpenLocal;
    p.offset = out->length();
    job.bytesOnDisk = 0;

    if (url.size() > kMaxText) return kErrHostUrl;
    unsigned long error = 0;
    switch (pf.ranges->open(url, p.offset, reply, error)) {
    case 0:
        break;
    case 1:
        return kErrSetup;
    case 2:
        return uint64ToText(error) + kErrHostName;
    default:
        return kErrHostUrl;
    }
    if (!reply) return kErrHostUrl;

    std::string rangeText;
    const bool hasRange = reply->contentRange(rangeText);
    ContentRange range;
    const bool rangeOk = hasRange && parseContentRange(rangeText, range);

    // Only a 200 or 206 reply carries the file; anything else (an error page)
    // must not end up on disk. A range that starts exactly at the end of the
    // remote file is answered 416: the local file is already whole.
    const int status = reply->status();
    if (status == 0) return kErrHostUrl;  // no HTTP reply at all (the connection was reset)
    if (status == 416 && p.offset > 0 && rangeOk && !range.positions && range.total == p.offset) {
        p.onDisk = p.total = p.offset;
        p.totalText = range.totalText;
        job.bytesOnDisk = p.onDisk;
        return p.alreadyComplete();
    }
    if (status != 200 && status != 206) return std::string(kErrHttpStatus) + int64ToText(status);

    // Length gate.
    std::uint64_t length = 0;
    const bool hasLength = reply->contentLength(length) && length > 0;
    if (!hasLength) length = job.expectedSize;
    if (length == 0) return kErrLength;

    // The total. A 200 reply without Content-Range is the whole file from its
    // first byte (a mirror that ignores ranges): its length is the total.
    bool totalFromHost = true;
    if (hasRange) {
        if (!rangeOk) return kErrBadRange;
        p.total = range.total;
        p.totalText = range.totalText;
    } else if (status == 206) {
        return kErrBadRange;
    } else {
        if (p.offset > 0) return kErrIgnoredRange;
        p.total = length;
        p.totalText = uint64ToText(length);
        totalFromHost = hasLength;
    }
    p.onDisk = p.offset;
    p.thisRun = 0;
    job.bytesOnDisk = p.onDisk;
    p.start = pf.clock->ticksMs();

    if (p.onDisk >= p.total) {
        if (p.onDisk == 0) return kErrNoData;
        if (p.onDisk > p.total) return kErrBadRange;  // the local file is longer than the remote one
        return p.alreadyComplete();
    }
    // The data must continue the local file exactly and reach the total
    // (the request asked for everything from the offset on).
    if (hasRange) {
        if (!range.positions || range.first != p.offset || range.last < range.first || range.last + 1 != range.total)
            return kErrBadRange;
        if (hasLength && length != range.last - range.first + 1) return kErrBadRange;
    }

    // Transfer loop: read a block (what has arrived, or the paced size if
    // larger; at least one byte, at most kMaxReadBlock, never past the total),
    // write it, publish the progress line.
    std::vector<char> buffer(kMaxReadBlock);
    std::size_t block = 0;
    std::uint64_t turnStart = p.start;
    while (job.running.load() && p.onDisk < p.total) {
        // At full size there is nothing to gain from asking what is there
        // (and under Wine the question costs as much as a small read).
        std::size_t want = block < kMaxReadBlock ? std::max(block, reply->available()) : block;
        want = std::max<std::size_t>(want, 1);
        want = std::min<std::size_t>(want, kMaxReadBlock);
        want = static_cast<std::size_t>(std::min<std::uint64_t>(want, p.total - p.onDisk));
        long got = reply->read(buffer.data(), want);
        if (got <= 0) break;  // the end of the data, or a failed read: both end the loop
        std::size_t size = std::min(static_cast<std::size_t>(got), want);
        if (!out->write(buffer.data(), size)) return kErrWrite;
        p.onDisk += size;
        p.thisRun += size;
        job.bytesOnDisk = p.onDisk;
        const std::uint64_t now = pf.clock->ticksMs();
        block = nextReadBlock(size, now > turnStart ? now - turnStart : 0);
        turnStart = now;
        p.update(now);
        if (job.running.load()) job.publish(p.line("Downloading"));
    }

    if (p.onDisk == p.total) {
        // A total that the host did not state (only the expected size) is
        // checked against the end of the data.
        if (!totalFromHost && job.running.load()) {
            char probe = 0;
            if (reply->read(&probe, 1) > 0) return kErrTooLong;
        }
        return p.line("Completed");
    }
    if (!job.running.load()) return p.line("Canceled");
    // The data ended (or a read failed) short of the total.
    if (p.onDisk == 0) return kErrNoData;
    return kErrShort;
}

}  // namespace

std::size_t nextReadBlock(std::size_t lastBlock, std::uint64_t turnMs) {
    if (turnMs <= kTargetTurnMs / 2)
        return std::min<std::size_t>(std::max<std::size_t>(lastBlock, 1) * 2, kMaxReadBlock);
    if (turnMs > kTargetTurnMs * 2)
        return std::max<std::size_t>(static_cast<std::size_t>(lastBlock * kTargetTurnMs / turnMs), 1);
    return lastBlock;
}

std::string formatPercent(std::uint64_t onDisk, std::uint64_t total, char separator) {
    double percent = total ? static_cast<double>(onDisk) / static_cast<double>(total) * 100.0 : 0.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.8f", percent);
    std::string text = buffer;
    // The first character after the whole digits is the decimal point.
    std::size_t point = text.find_first_not_of("0123456789");
    if (point != std::string::npos) text[point] = separator;
    return text;
}

std::string formatSpeed(double bytesPerSecond) {
    char buffer[64];
    if (bytesPerSecond < 1024)
        std::snprintf(buffer, sizeof buffer, "%.2f Bytes/sec", bytesPerSecond);
    else if (bytesPerSecond < 1048576)
        std::snprintf(buffer, sizeof buffer, "%.2f KB/sec", bytesPerSecond / 1024);
    else
        std::snprintf(buffer, sizeof buffer, "%.2f MB/sec", bytesPerSecond / 1048576);
    return buffer;
}

std::string formatTimeLeft(std::uint64_t seconds) {
    std::uint64_t hours = seconds / 3600, minutes = seconds % 3600 / 60, rest = seconds % 60;
    std::string text;
    if (hours > 0) text += uint64ToText(hours) + " Hrs ";
    if (minutes > 0) text += uint64ToText(minutes) + " Min ";
    return text + uint64ToText(rest) + " Sec";
}

void RunDownload(DownloadState& job, const std::string& url, const std::string& path) {
    Progress p;
    std::unique_ptr<OutFile> out;
    std::unique_ptr<RangeReply> reply;
    std::string final;
    try {
        final = transfer(job, url, path, p, out, reply);
    } catch (...) {
        final = kErrUnspecified;
    }
    // The file and the reply are closed before the final text appears: the
    // window may delete or open the file as soon as it reads it.
    try {
        reply.reset();
        if (out) out->close();
        out.reset();
    } catch (...) {
    }
    // A cancelled run ends "Canceled" whatever stopped it, so the window
    // treats it as the user's cancel and not as a mirror failure to retry.
    if (!job.running.load()) {
        try {
            final = p.line("Canceled");
        } catch (...) {
            final = kErrUnspecified;
        }
    }
    std::lock_guard<std::mutex> lock(job.progressLock);
    job.progressText.swap(final);
    // Cleared last, together with the final text, so that a reader never sees
    // the final text while the flag still says running.
    job.running = false;
}

}  // namespace orvane
