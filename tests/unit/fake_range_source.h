// A download mirror for the engine's tests: serves one file with proper
// ranges by default, and can be told to fail, misreport, cut off, deliver in
// chunks or hold a request until the test lets it go.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/agent_state.h"
#include "app/platform.h"
#include "fakes.h"

namespace orvane::test {

class FakeRangeSource : public RangeSource {
public:
    // The remote file.
    std::string file;

    // open() result: 0 a reply, 1 no root handle, 2 no connection (with
    // openError), 3 the URL cannot be opened.
    int openResult = 0;
    unsigned long openError = 0;

    // Shape of the reply. By default: 206, Content-Length of the rest and
    // Content-Range "bytes offset-last/size" for the requested offset.
    int status = 206;
    bool ignoreRange = false;                  // 200, the whole file, no Content-Range
    bool sendLength = true;                    // send a Content-Length header
    std::optional<std::uint64_t> length;       // Content-Length instead of the computed one
    bool sendRange = true;                     // send a Content-Range header
    std::optional<std::string> range;          // Content-Range text instead of the computed one
    std::optional<std::string> body;           // the body instead of the file's bytes (an error page)
    std::optional<std::size_t> cutAfter;       // the body ends after this many bytes
    bool cutWithError = false;                 // ...with a failed read instead of the end of data

    // Sizes of the pieces in which the body arrives (what available() reports,
    // and the most that one read returns); after them the rest in one piece.
    std::vector<std::size_t> pieces;
    // A link of a given speed, read like WinINet reads it: the body arrives at
    // linkBytesPerSecond from the moment the reply is opened (on linkClock);
    // available() waits for the next byte when none is there and reports at
    // most availableCap bytes (its buffer); a read waits until its whole
    // block has arrived. Waiting moves linkClock on.
    std::optional<std::size_t> availableCap;
    FakeClock* linkClock = nullptr;
    double linkBytesPerSecond = 0;
    // Called after every read that delivered data, with the bytes delivered
    // so far (a test can cancel here).
    std::function<void(std::uint64_t delivered)> afterRead;
    // Called at every open() before the reply is made, to serve each URL its
    // own way (one mirror down, the other up).
    std::function<void(FakeRangeSource&, const std::string& url)> beforeOpen;

    // What was asked.
    std::vector<std::string> urls;
    std::vector<std::uint64_t> offsets;
    std::vector<std::size_t> readRequests;

    // open() waits while held.
    void hold() {
        std::lock_guard<std::mutex> lock(gate_.mutex);
        gate_.held = true;
    }
    void release() {
        {
            std::lock_guard<std::mutex> lock(gate_.mutex);
            gate_.held = false;
        }
        gate_.cv.notify_all();
    }
    // Waits until an open() is waiting at the hold.
    void waitUntilHeld() {
        std::unique_lock<std::mutex> lock(gate_.mutex);
        gate_.cv.wait(lock, [this] { return gate_.waiting; });
    }

    int open(const std::string& url, std::uint64_t offset, std::unique_ptr<RangeReply>& reply,
             unsigned long& error) override {
        {
            std::unique_lock<std::mutex> lock(gate_.mutex);
            gate_.waiting = true;
            gate_.cv.notify_all();
            gate_.cv.wait(lock, [this] { return !gate_.held; });
            gate_.waiting = false;
        }
        urls.push_back(url);
        offsets.push_back(offset);
        if (beforeOpen) beforeOpen(*this, url);
        if (openResult != 0) {
            error = openError;
            return openResult;
        }
        reply = std::make_unique<Reply>(*this, offset);
        return 0;
    }

private:
    class Reply : public RangeReply {
    public:
        Reply(FakeRangeSource& source, std::uint64_t offset) : source_(source), offset_(offset) {
            if (source.body) {
                data_ = *source.body;
            } else if (source.ignoreRange || offset >= source.file.size()) {
                data_ = source.ignoreRange ? source.file : std::string();
            } else {
                data_ = source.file.substr(static_cast<std::size_t>(offset));
            }
            if (source.cutAfter && *source.cutAfter < data_.size()) {
                data_.resize(*source.cutAfter);
                cut_ = true;
            }
        }
        int status() override { return source_.ignoreRange && source_.status == 206 ? 200 : source_.status; }
        bool contentLength(std::uint64_t& value) override {
            if (!source_.sendLength) return false;
            value = source_.length ? *source_.length
                                   : (source_.body ? source_.body->size()
                                                   : (source_.ignoreRange ? source_.file.size()
                                                                          : source_.file.size() - offset_));
            return true;
        }
        bool contentRange(std::string& text) override {
            if (source_.range) {
                text = *source_.range;
                return true;
            }
            if (!source_.sendRange || source_.ignoreRange) return false;
            std::uint64_t size = source_.file.size();
            text = "bytes " + std::to_string(offset_) + "-" + std::to_string(size ? size - 1 : 0) + "/" +
                   std::to_string(size);
            return true;
        }
        std::size_t available() override {
            if (next_ >= data_.size()) return 0;
            std::size_t rest = data_.size() - next_;
            if (onLink()) {
                waitFor(next_ + 1);
                std::size_t there = arrived() - next_;
                return std::min(there, source_.availableCap ? *source_.availableCap : there);
            }
            if (source_.availableCap) return std::min(rest, *source_.availableCap);
            if (piece_ < source_.pieces.size()) return std::min(rest, source_.pieces[piece_] - inPiece_);
            return rest;
        }
        long read(char* buffer, std::size_t max) override {
            source_.readRequests.push_back(max);
            if (next_ >= data_.size()) return cut_ && source_.cutWithError ? -1 : 0;
            std::size_t n = source_.availableCap || onLink() ? std::min(max, data_.size() - next_)
                                                            : std::min(max, available());
            if (onLink()) waitFor(next_ + n);
            std::memcpy(buffer, data_.data() + next_, n);
            next_ += n;
            if (piece_ < source_.pieces.size()) {
                inPiece_ += n;
                if (inPiece_ == source_.pieces[piece_]) {
                    ++piece_;
                    inPiece_ = 0;
                }
            }
            if (source_.afterRead) source_.afterRead(next_);
            return static_cast<long>(n);
        }

    private:
        bool onLink() const { return source_.linkClock && source_.linkBytesPerSecond > 0; }
        // Bytes of the body that have arrived by now.
        std::size_t arrived() const {
            double ms = static_cast<double>(source_.linkClock->now - linkStart_);
            double n = ms * source_.linkBytesPerSecond / 1000.0;
            return n >= static_cast<double>(data_.size()) ? data_.size() : static_cast<std::size_t>(n);
        }
        // Moves the clock on until the first count bytes have arrived.
        void waitFor(std::size_t count) {
            while (arrived() < count) {
                double ms = static_cast<double>(count) * 1000.0 / source_.linkBytesPerSecond;
                std::uint64_t at = linkStart_ + static_cast<std::uint64_t>(ms);
                source_.linkClock->now = at > source_.linkClock->now ? at : source_.linkClock->now + 1;
            }
        }

        FakeRangeSource& source_;
        std::uint64_t offset_;
        std::uint64_t linkStart_ = source_.linkClock ? source_.linkClock->now : 0;
        std::string data_;
        bool cut_ = false;
        std::size_t next_ = 0;
        std::size_t piece_ = 0, inPiece_ = 0;
    };

    // The hold; a fresh one for every copy, so a test can reset the fake
    // with "mirror = FakeRangeSource()".
    struct Gate {
        std::mutex mutex;
        std::condition_variable cv;
        bool held = false;
        bool waiting = false;
        Gate() = default;
        Gate(const Gate&) {}
        Gate& operator=(const Gate&) { return *this; }
    };
    Gate gate_;
};

// A fixture with the fake mirror installed as the range source; the mirror is
// released at the end so no worker stays held.
class MirrorTest : public AgentTest {
protected:
    FakeRangeSource mirror;
    DownloadState& job = state().download;

    void SetUp() override {
        AgentTest::SetUp();
        platform().ranges = &mirror;
    }
    void TearDown() override {
        mirror.release();
        AgentTest::TearDown();
    }
    void waitForWorker() {
        if (job.worker.joinable()) job.worker.join();
    }
};

}  // namespace orvane::test
