#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "app/agent_state.h"
#include "download/flow.h"
#include "download/job.h"
#include "fake_range_source.h"
#include "fakes.h"
#include "net/text.h"

namespace orvane::test {
namespace {

const std::string kFolder = "C:\\dl\\OrvanePurchase\\tolstd\\";
const std::string kUrl = "http://localhost:47081/sendfile.php?id=f1";
const std::string kTarget = kFolder + "setup.exe";

class DownloadJobTest : public MirrorTest {
protected:
    void SetUp() override {
        MirrorTest::SetUp();
        makeStoreReady();
        mirror.file = std::string(100, 'x');
    }
    std::pair<bool, std::string> progress() {
        char buffer[kProgressBufferSize];
        bool running = GetDownloadProgress(buffer);
        return {running, buffer};
    }
};

TEST_F(DownloadJobTest, StartRunsTheEngineOnTheWorker) {
    mirror.hold();
    ASSERT_EQ(StartDownload(kFolder, kUrl, "setup.exe", 100), 1);
    EXPECT_EQ(progress(), std::make_pair(true, std::string(kPendingText)));
    mirror.release();
    waitForWorker();
    auto [running, text] = progress();
    EXPECT_FALSE(running);
    EXPECT_EQ(splitFields(text, '|').back(), "Completed");
    EXPECT_EQ(files.files[kTarget], mirror.file);
    EXPECT_EQ(mirror.urls, std::vector<std::string>{kUrl});
}

TEST_F(DownloadJobTest, SecondStartWhileRunningChangesNothing) {
    mirror.hold();
    ASSERT_EQ(StartDownload(kFolder, kUrl, "setup.exe", 100), 1);
    mirror.waitUntilHeld();  // the worker no longer touches the files until released
    files.files[kFolder + "other.zip"] = "keep";
    EXPECT_EQ(StartDownload(kFolder, "http://localhost:47082/sendfile.php?id=f2", "other.zip", 7), 0);
    EXPECT_EQ(progress(), std::make_pair(true, std::string(kPendingText)));
    EXPECT_EQ(job.jobUrl, kUrl);
    EXPECT_EQ(job.jobPath, kTarget);
    EXPECT_EQ(job.expectedSize, 100u);
    EXPECT_EQ(files.files[kFolder + "other.zip"], "keep");
    mirror.release();
    waitForWorker();
    EXPECT_EQ(mirror.urls, std::vector<std::string>{kUrl});
}

TEST_F(DownloadJobTest, FolderWithOrWithoutTrailingBackslashGivesTheSamePath) {
    for (const std::string& folder : {std::string("C:\\dl\\OrvanePurchase\\tolstd"), kFolder}) {
        SCOPED_TRACE(folder);
        ASSERT_EQ(StartDownload(folder, kUrl, "setup.exe", 100), 1);
        waitForWorker();
        EXPECT_EQ(job.jobPath, kTarget);
    }
}

TEST_F(DownloadJobTest, RefusedStartsLeaveEverythingAsItWas) {
    struct Case {
        const char* name;
        std::string folder, url, fileName;
        bool storeReady = true;
    } cases[] = {
        {"store not ready", kFolder, kUrl, "setup.exe", false},
        {"three-character file name", kFolder, kUrl, "a.b"},
        {"three-character URL", kFolder, "x:/", "setup.exe"},
        {"three-character folder", "C:\\", kUrl, "setup.exe"},
        {"URL longer than 255", kFolder, kUrl + std::string(250, 'x'), "setup.exe"},
        {"path longer than 255", kFolder + std::string(240, 'd'), kUrl, "setup.exe"},
        {"name climbing out of the folder", kFolder, kUrl, "..\\..\\evil.exe"},
        {"name with a drive", kFolder, kUrl, "C:evil.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state().storeReady = c.storeReady;
        files.files[kTarget] = "old";
        EXPECT_EQ(StartDownload(c.folder, c.url, c.fileName, 100), -1);
        EXPECT_FALSE(job.running);
        EXPECT_FALSE(job.worker.joinable());
        EXPECT_EQ(files.files[kTarget], "old");
    }
    EXPECT_TRUE(mirror.urls.empty());
}

TEST_F(DownloadJobTest, ExistingFileIsReplacedAndALockedOneRefused) {
    files.files[kTarget] = "an older copy, longer than the new one....................................................";
    ASSERT_EQ(StartDownload(kFolder, kUrl, "setup.exe", 100), 1);
    waitForWorker();
    EXPECT_EQ(mirror.offsets, std::vector<std::uint64_t>{0});
    EXPECT_EQ(files.files[kTarget], mirror.file);

    files.locked.insert(kTarget);
    EXPECT_EQ(StartDownload(kFolder, kUrl, "setup.exe", 100), -2);
    EXPECT_FALSE(job.running);
    EXPECT_FALSE(job.worker.joinable());
    EXPECT_EQ(mirror.urls.size(), 1u);
}

TEST_F(DownloadJobTest, CancelShowsAtOnceAndTheEngineEndsCanceled) {
    mirror.hold();
    ASSERT_EQ(StartDownload(kFolder, kUrl, "setup.exe", 100), 1);
    mirror.waitUntilHeld();
    cancelDownload();
    // Not running any more, while the text still shows the last line.
    EXPECT_EQ(progress(), std::make_pair(false, std::string(kPendingText)));
    mirror.release();
    waitForWorker();
    auto [running, text] = progress();
    EXPECT_FALSE(running);
    EXPECT_EQ(splitFields(text, '|').back(), "Canceled");
}

TEST_F(DownloadJobTest, NextStartWaitsForThePreviousWorker) {
    mirror.hold();
    ASSERT_EQ(StartDownload(kFolder, kUrl, "setup.exe", 100), 1);
    mirror.waitUntilHeld();
    cancelDownload();
    // The cancelled worker is still inside its request: the next start must
    // not touch the job until it is gone.
    auto next = std::async(std::launch::async, [] { return StartDownload(kFolder, kUrl + "2", "setup.exe", 100); });
    EXPECT_EQ(next.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    EXPECT_EQ(job.jobUrl, kUrl);
    mirror.release();
    EXPECT_EQ(next.get(), 1);
    waitForWorker();
    EXPECT_EQ(mirror.urls, (std::vector<std::string>{kUrl, kUrl + "2"}));
    EXPECT_EQ(splitFields(job.progress(), '|').back(), "Completed");
}

TEST_F(DownloadJobTest, ProgressCopyTakesAtMost99Characters) {
    job.publish(std::string(150, 'e'));
    auto [running, text] = progress();
    EXPECT_FALSE(running);
    EXPECT_EQ(text, std::string(99, 'e'));
}

}  // namespace
}  // namespace orvane::test
