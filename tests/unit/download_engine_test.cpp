#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "app/agent_state.h"
#include "download/engine.h"
#include "fake_range_source.h"
#include "fakes.h"
#include "net/text.h"

namespace orvane::test {
namespace {

const std::string kUrl = "http://localhost:47081/sendfile.php?id=f1";
const std::string kPath = "C:\\dl\\OrvanePurchase\\tolstd\\setup.exe";

std::string bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
}

std::size_t fieldCount(const std::string& text) { return splitFields(text, '|').size(); }

// A Files whose appended writes fail (a full disk).
class FullDiskFiles : public FakeFiles {
public:
    std::unique_ptr<OutFile> openForAppend(const std::string& path) override {
        files[path];
        class Full : public OutFile {
        public:
            std::uint64_t length() override { return 0; }
            bool write(const char*, std::size_t) override { return false; }
            void close() override {}
        };
        return std::make_unique<Full>();
    }
};

class DownloadEngineTest : public MirrorTest {
protected:
    // The progress text as it stood at every read: the line published after
    // the previous piece.
    std::vector<std::string> seen;

    void SetUp() override {
        MirrorTest::SetUp();
        job.running = true;
    }
    void recordLines() {
        mirror.afterRead = [this](std::uint64_t) { seen.push_back(job.progress()); };
    }
    std::string run(const std::string& url = kUrl) {
        RunDownload(job, url, kPath);
        return job.progress();
    }
};

TEST_F(DownloadEngineTest, WholeFileInOneReplyCompletesWithTheFileOnDisk) {
    mirror.file = bytes(100);
    // The clock does not move: the first chunk arrives in the same
    // millisecond, which counts as one millisecond.
    std::string text = run();
    EXPECT_EQ(text, "100.00000000|100|97.66 KB/sec|1 Sec|Completed");
    EXPECT_EQ(files.files[kPath], mirror.file);
    EXPECT_FALSE(job.running);
    EXPECT_EQ(job.bytesOnDisk, 100u);
    ASSERT_EQ(mirror.offsets.size(), 1u);
    EXPECT_EQ(mirror.offsets[0], 0u);
    EXPECT_EQ(mirror.urls[0], kUrl);
}

TEST_F(DownloadEngineTest, ProgressLineCarriesPercentTotalSpeedAndTimeLeft) {
    mirror.file = bytes(100000);
    mirror.pieces = {1000, 24000};
    clock.step = 10000;  // every reading is ten seconds after the last
    recordLines();
    std::string text = run();
    ASSERT_GE(seen.size(), 3u);
    // 1000 bytes in 10 s: 100 B/s, 99000 bytes left: 990 s + 1.
    EXPECT_EQ(seen[1], "1.00000000|100000|100.00 Bytes/sec|16 Min 31 Sec|Downloading");
    // 25000 bytes in 20 s: 1250 B/s = 1.22 KB/s, 75000 left: 60 s + 1.
    EXPECT_EQ(seen[2], "25.00000000|100000|1.22 KB/sec|1 Min 1 Sec|Downloading");
    // 100000 bytes in 30 s: 3333 B/s = 3.26 KB/s.
    EXPECT_EQ(text, "100.00000000|100000|3.26 KB/sec|1 Sec|Completed");
}

TEST_F(DownloadEngineTest, PercentUsesTheUsersDecimalSeparator) {
    mirror.file = bytes(800);
    mirror.pieces = {100};
    clock.separator = ',';
    recordLines();
    std::string text = run();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(splitFields(seen[1], '|')[0], "12,50000000");
    EXPECT_EQ(splitFields(text, '|')[0], "100,00000000");
}

TEST(DownloadTexts, TimeLeftSpeedAndPercent) {
    struct Time {
        std::uint64_t seconds;
        const char* text;
    } times[] = {{3725, "1 Hrs 2 Min 5 Sec"}, {60, "1 Min 0 Sec"}, {59, "59 Sec"},
                 {3600, "1 Hrs 0 Sec"},       {0, "0 Sec"},        {90061, "25 Hrs 1 Min 1 Sec"}};
    for (const Time& t : times) EXPECT_EQ(formatTimeLeft(t.seconds), t.text) << t.seconds;

    struct Speed {
        double value;
        const char* text;
    } speeds[] = {{0, "0.00 Bytes/sec"},      {512, "512.00 Bytes/sec"}, {1023.5, "1023.50 Bytes/sec"},
                  {1024, "1.00 KB/sec"},      {1536, "1.50 KB/sec"},      {1048575, "1024.00 KB/sec"},
                  {1048576, "1.00 MB/sec"},   {5.5 * 1048576, "5.50 MB/sec"}};
    for (const Speed& s : speeds) EXPECT_EQ(formatSpeed(s.value), s.text) << s.value;

    EXPECT_EQ(formatPercent(1, 8, ','), "12,50000000");
    EXPECT_EQ(formatPercent(427, 1000, '.'), "42.70000000");
    EXPECT_EQ(formatPercent(1, 3, '.'), "33.33333333");
}

TEST_F(DownloadEngineTest, AlreadyCompleteFileIsNotReadInto) {
    struct Case {
        const char* name;
        int status;
        const char* range;
    } cases[] = {
        // What a web server answers to a range that starts at the end.
        {"416 with the total", 416, "bytes */100"},
        {"206 with the whole range", 206, "bytes 0-99/100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mirror = FakeRangeSource();
        mirror.file = bytes(100);
        mirror.status = c.status;
        mirror.range = c.range;
        mirror.sendLength = false;
        job.expectedSize = 100;
        job.running = true;
        files.files[kPath] = mirror.file;
        EXPECT_EQ(run(), "100|0 Sec|100|N/A|Completed");
        EXPECT_EQ(mirror.offsets.at(0), 100u);
        EXPECT_TRUE(mirror.readRequests.empty());
        EXPECT_EQ(files.files[kPath], mirror.file);
        EXPECT_FALSE(job.running);
    }
}

TEST_F(DownloadEngineTest, MissingContentLengthFallsBackToTheExpectedSize) {
    mirror.file = bytes(100);
    mirror.sendLength = false;
    job.expectedSize = 100;
    EXPECT_EQ(splitFields(run(), '|').back(), "Completed");
    EXPECT_EQ(files.files[kPath], mirror.file);
}

TEST_F(DownloadEngineTest, MirrorIgnoringTheRangeFromTheStartStillDelivers) {
    mirror.file = bytes(300);
    mirror.ignoreRange = true;  // 200, whole file, no Content-Range
    std::vector<std::string> f = splitFields(run(), '|');
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[1], "300");
    EXPECT_EQ(f[4], "Completed");
    EXPECT_EQ(files.files[kPath], mirror.file);
}

TEST_F(DownloadEngineTest, CancelMidTransferKeepsTheBytesAndStopsWithinOneRead) {
    mirror.file = bytes(1000);
    mirror.pieces = {100, 100, 100, 100, 100};
    mirror.afterRead = [this](std::uint64_t delivered) {
        if (delivered == 300) job.running = false;  // the Cancel button
    };
    std::string text = run();
    EXPECT_EQ(mirror.readRequests.size(), 3u);
    std::vector<std::string> f = splitFields(text, '|');
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[0], "30.00000000");
    EXPECT_EQ(f[4], "Canceled");
    EXPECT_EQ(files.files[kPath], mirror.file.substr(0, 300));
    EXPECT_FALSE(job.running);
}

TEST_F(DownloadEngineTest, CancelBeforeAnyDataEndsCanceledNotFailed) {
    // A cancel is the user's, whatever else went wrong meanwhile: the window
    // must not take it for a mirror failure and retry.
    struct Case {
        const char* name;
        int openResult;
        const char* text;
    } cases[] = {
        {"reply open", 0, "0.00000000|100|0.00 Bytes/sec|N/A|Canceled"},
        {"URL failed meanwhile", 3, "0.00000000|0|0.00 Bytes/sec|N/A|Canceled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mirror = FakeRangeSource();
        mirror.file = bytes(100);
        mirror.openResult = c.openResult;
        job.running = false;
        EXPECT_EQ(run(), c.text);
        EXPECT_TRUE(mirror.readRequests.empty());
    }
}

TEST_F(DownloadEngineTest, EveryFailureIsOneFieldAndClearsTheFlag) {
    const std::string file = bytes(100);
    const std::string longUrl = kUrl + std::string(256, 'x');
    struct Case {
        const char* name;
        std::function<void(FakeRangeSource&, FakeFiles&)> setup;
        std::string text;
        std::size_t leftOnDisk;
        std::string url = kUrl;
    } cases[] = {
        {"local file cannot be opened", [](FakeRangeSource&, FakeFiles& f) { f.locked.insert(kPath); }, kErrOpenLocal,
         0},
        {"no root handle", [](FakeRangeSource& m, FakeFiles&) { m.openResult = 1; }, kErrSetup, 0},
        {"no connection",
         [](FakeRangeSource& m, FakeFiles&) {
             m.openResult = 2;
             m.openError = 12029;
         },
         "12029 Error: Could not connect to host name", 0},
        {"URL cannot be opened", [](FakeRangeSource& m, FakeFiles&) { m.openResult = 3; }, kErrHostUrl, 0},
        {"no length at all", [](FakeRangeSource& m, FakeFiles&) { m.sendLength = false; }, kErrLength, 0},
        {"zero length, no expected size", [](FakeRangeSource& m, FakeFiles&) { m.length = 0; }, kErrLength, 0},
        {"nothing arrives", [](FakeRangeSource& m, FakeFiles&) { m.cutAfter = 0; }, kErrNoData, 0},
        {"unexpected failure",
         [](FakeRangeSource& m, FakeFiles&) { m.afterRead = [](std::uint64_t) { throw std::bad_alloc(); }; },
         kErrUnspecified, 0},
        {"URL longer than 255", [](FakeRangeSource&, FakeFiles&) {}, kErrHostUrl, 0, longUrl},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        mirror = FakeRangeSource();
        mirror.file = file;
        files.files.clear();
        files.locked.clear();
        job.expectedSize = 0;
        job.running = true;
        c.setup(mirror, files);
        std::string text = run(c.url);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(fieldCount(text), 1u);
        EXPECT_FALSE(job.running);
        EXPECT_EQ(files.files[kPath].size(), c.leftOnDisk);
    }
}

TEST_F(DownloadEngineTest, MirrorFaultsAreFailuresAndNeverCompleted) {
    // Each of these used to end "Completed": an error page saved as the
    // product, a file cut short, data that does not continue the file.
    const std::string file = bytes(100);
    struct Case {
        const char* name;
        std::function<void(FakeRangeSource&)> setup;
        std::string text;
        std::size_t leftOnDisk;
    } cases[] = {
        {"404 error page",
         [](FakeRangeSource& m) {
             m.status = 404;
             m.body = "<html>Not Found</html>";
             m.sendRange = false;
         },
         std::string(kErrHttpStatus) + "404", 0},
        {"500 error page",
         [](FakeRangeSource& m) {
             m.status = 500;
             m.body = "<html>Internal Server Error</html>";
             m.sendRange = false;
         },
         std::string(kErrHttpStatus) + "500", 0},
        {"416 that is not the end of a local file", [](FakeRangeSource& m) { m.status = 416; },
         std::string(kErrHttpStatus) + "416", 0},
        {"connection cut", [](FakeRangeSource& m) { m.cutAfter = 40; }, kErrShort, 40},
        {"failed read mid-file",
         [](FakeRangeSource& m) {
             m.cutAfter = 40;
             m.cutWithError = true;
         },
         kErrShort, 40},
        {"range whose last position passes the total", [](FakeRangeSource& m) { m.range = "bytes 0-99/50"; },
         kErrBadRange, 0},
        {"range that stops short of the total", [](FakeRangeSource& m) { m.range = "bytes 0-99/1100"; },
         kErrBadRange, 0},
        {"no status line", [](FakeRangeSource& m) { m.status = 0; }, kErrHostUrl, 0},
        {"range that does not start at the offset", [](FakeRangeSource& m) { m.range = "bytes 10-99/100"; },
         kErrBadRange, 0},
        {"range length differs from Content-Length", [](FakeRangeSource& m) { m.range = "bytes 0-49/100"; },
         kErrBadRange, 0},
        {"total not a decimal number", [](FakeRangeSource& m) { m.range = "bytes 0-99/0x64"; }, kErrBadRange, 0},
        {"unknown total", [](FakeRangeSource& m) { m.range = "bytes 0-99/*"; }, kErrBadRange, 0},
        {"not a range", [](FakeRangeSource& m) { m.range = "garbage"; }, kErrBadRange, 0},
        {"206 without Content-Range", [](FakeRangeSource& m) { m.sendRange = false; }, kErrBadRange, 0},
        {"more data than the expected size",
         [](FakeRangeSource& m) {
             m.ignoreRange = true;
             m.sendLength = false;
         },
         kErrTooLong, 60},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        mirror = FakeRangeSource();
        mirror.file = file;
        files.files.clear();
        job.expectedSize = 60;
        job.running = true;
        c.setup(mirror);
        std::string text = run();
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(fieldCount(text), 1u);
        EXPECT_FALSE(job.running);
        EXPECT_EQ(files.files[kPath].size(), c.leftOnDisk);
    }
}

TEST_F(DownloadEngineTest, ResumedFileOnAMirrorThatIgnoresRangesIsRefused) {
    mirror.file = bytes(100);
    mirror.ignoreRange = true;
    files.files[kPath] = mirror.file.substr(0, 10);
    EXPECT_EQ(run(), kErrIgnoredRange);
    EXPECT_EQ(files.files[kPath].size(), 10u);  // nothing appended
}

TEST_F(DownloadEngineTest, ResumedFileContinuesFromItsLength) {
    mirror.file = bytes(100);
    files.files[kPath] = mirror.file.substr(0, 30);
    EXPECT_EQ(splitFields(run(), '|').back(), "Completed");
    EXPECT_EQ(mirror.offsets.at(0), 30u);
    EXPECT_EQ(files.files[kPath], mirror.file);
}

TEST_F(DownloadEngineTest, FailedWriteEndsTheRun) {
    FullDiskFiles full;
    platform().files = &full;
    mirror.file = bytes(100);
    std::string text = run();
    EXPECT_EQ(text, kErrWrite);
    EXPECT_EQ(mirror.readRequests.size(), 1u);
    EXPECT_FALSE(job.running);
}

TEST_F(DownloadEngineTest, ReadBlocksFollowTheLink) {
    // A read waits for its whole block, as WinINet's does; available() knows
    // at most 8192 bytes, as Wine's does.
    struct Case {
        const char* name;
        double bytesPerSecond;
    } cases[] = {{"loopback", 1e9}, {"fast line", 50e6}, {"slow line", 40000}, {"very slow line", 1500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mirror = FakeRangeSource();
        mirror.file = bytes(c.bytesPerSecond > 1e6 ? 16 * kMaxReadBlock : 8192 * 3);
        mirror.availableCap = 8192;
        mirror.linkClock = &clock;
        mirror.linkBytesPerSecond = c.bytesPerSecond;
        std::vector<std::uint64_t> published;  // when each line appeared
        mirror.afterRead = [&](std::uint64_t) { published.push_back(clock.now); };
        files.files.clear();
        job.running = true;
        const std::uint64_t started = clock.now;
        EXPECT_EQ(splitFields(run(), '|').back(), "Completed");
        EXPECT_EQ(files.files[kPath], mirror.file);
        std::size_t largest = 0;
        for (std::size_t r : mirror.readRequests) largest = std::max(largest, r);
        EXPECT_LE(largest, kMaxReadBlock);
        if (c.bytesPerSecond > 1e6) {
            // Large blocks soon: the whole file in few reads.
            EXPECT_EQ(largest, kMaxReadBlock);
            EXPECT_LT(mirror.readRequests.size(), 40u);
        } else {
            // Every poll of the window (500 ms) finds a newer line.
            std::uint64_t previous = started;
            for (std::uint64_t t : published) {
                EXPECT_LE(t - previous, 500u);
                previous = t;
            }
        }
    }
}

TEST(DownloadPacing, BlockDoublesOnQuickTurnsAndShrinksToTheLinkOnSlowOnes) {
    EXPECT_EQ(nextReadBlock(8192, 0), 16384u);
    EXPECT_EQ(nextReadBlock(8192, 50), 16384u);
    EXPECT_EQ(nextReadBlock(kMaxReadBlock, 1), kMaxReadBlock);
    EXPECT_EQ(nextReadBlock(8192, 120), 8192u);  // about right: kept
    EXPECT_EQ(nextReadBlock(8192, 200), 8192u);
    EXPECT_EQ(nextReadBlock(8192, 400), 2048u);  // a quarter of the target pace
    EXPECT_EQ(nextReadBlock(kMaxReadBlock, 26000), 4032u);
    EXPECT_EQ(nextReadBlock(1, 30000), 1u);  // never below one byte
}

}  // namespace
}  // namespace orvane::test
