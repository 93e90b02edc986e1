#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/agent_state.h"
#include "app/control_ids.h"
#include "download/engine.h"
#include "download/flow.h"
#include "download/job.h"
#include "fake_range_source.h"
#include "fakes.h"
#include "net/store_request.h"
#include "net/text.h"
#include "orvane_config.h"

namespace orvane::test {
namespace {

constexpr Window kMain = FakeUi::kMain;
const std::string kFolder = "C:\\Users\\demo\\Downloads\\OrvanePurchase\\tolstd\\";
const std::string kTarget = kFolder + "ember.zip";
const std::string kMirror1 = std::string("http://") + config::mirror1 + "/sendfile.php?id=";
const std::string kMirror2 = std::string("http://") + config::mirror2 + "/sendfile.php?id=";
const std::string kInitError =
    "There was an error initializing the download. Please try again shortly or contact support if you keep "
    "getting this error.";
const std::string kStartError = "Error downloading file. Please contact support if you keep getting this message.";
const std::string kFailedError =
    "Error downloading file. Please try again soon or contact support if you keep getting this error.";

class DownloadFlowTest : public MirrorTest {
protected:
    void SetUp() override {
        MirrorTest::SetUp();
        makeStoreReady();
        AgentState& s = state();
        s.email = "ada@example.test";
        s.password = "lovelace1";
        s.downloadFolder = "C:\\Users\\demo\\Downloads";
        s.selected.productId = "tolstd-ember";
        s.selected.name = "Ember";
        s.selected.files = "ember.zip";
        s.selected.fileSize = "1000";
        s.selected.fileSizeText = shellByteSize(1000);
        s.selected.availableVersion = "2.1";
        s.downloadedFilePath = kTarget;  // as the file status refresh leaves it
        transport.reply("/orvanegetfile.asp", "ok|tolstd-ember|ember.zip|1000|F123");
        mirror.file = std::string(1000, 'z');
        clock.time = {2024, 3, 5, 2, 14, 7, 9};
    }
    void download() {
        state().downloadMode = 0;  // the Download File button
        startDownloadFlow();
    }
    // One timer tick after the worker has ended.
    void tickAfterWorker() {
        waitForWorker();
        pollDownload();
    }
    bool timerRunning() { return ui.timers.count(IDT_DOWNLOAD_POLL) > 0; }
};

TEST_F(DownloadFlowTest, RequestFileIdPostsTheExactBody) {
    transport.reply("/orvanegetfile.asp", "ok|p|f|1|" + std::string(150, 'i'));
    EXPECT_EQ(requestFileId("tolstd-ember:1"), 159);
    ASSERT_EQ(transport.count("/orvanegetfile.asp"), 1);
    const FakeTransport::Request r = transport.to("/orvanegetfile.asp")[0];
    EXPECT_TRUE(r.secure);
    EXPECT_EQ(r.url, storeUrl("/orvanegetfile.asp"));
    EXPECT_EQ(r.body,
              "vid=tolstd&vpwd=m2qd8v61&login=ada@example.test&password=lovelace1&pid=tolstd-ember:1"
              "&version=2.11&tamo=2");
    EXPECT_EQ(state().fileReply, ("ok|p|f|1|" + std::string(150, 'i')).substr(0, 99));
}

TEST_F(DownloadFlowTest, RequestFileIdRefusals) {
    state().fileReply = "stale";
    EXPECT_EQ(requestFileId("abc"), -1);
    EXPECT_EQ(state().fileReply, "");

    state().storeReady = false;
    EXPECT_EQ(requestFileId("tolstd-ember"), -1);
    state().storeReady = true;

    // No usable login: the login dialog is offered, and its cancel ends it.
    state().dialogParent = 777;
    state().password = "short";
    state().fileReply = "stale";
    EXPECT_EQ(requestFileId("tolstd-ember"), -2);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].templateId, IDD_LOGIN);
    EXPECT_EQ(ui.dialogs[0].owner, 777u);
    EXPECT_EQ(state().fileReply, "");
    EXPECT_EQ(transport.count("/orvanegetfile.asp"), 0);

    // A login made in the dialog is used at once.
    ui.dialogScripts[IDD_LOGIN] = [](Window, DialogLogic&) {
        state().password = "lovelace1";
        return 1;
    };
    EXPECT_GT(requestFileId("tolstd-ember"), 0);
    EXPECT_EQ(transport.count("/orvanegetfile.asp"), 1);
    EXPECT_EQ(state().loginDialogOpen, 0);
}

TEST_F(DownloadFlowTest, CompletedDownloadGetsItsRecordAndOpensOnTheNextTick) {
    download();
    // Started: controls and timer.
    EXPECT_TRUE(timerRunning());
    EXPECT_EQ(ui.timers[IDT_DOWNLOAD_POLL], 500u);
    EXPECT_EQ(ui.text(kMain, IDC_FILE_STATUS), "File: ember.zip\r\nFile Size: " + shellByteSize(1000));
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS));
    EXPECT_TRUE(ui.enabled(kMain, IDC_PROGRESS_BAR));
    EXPECT_EQ(ui.at(kMain, IDC_PROGRESS_BAR).progressHigh, 100);
    EXPECT_TRUE(ui.enabled(kMain, IDC_CANCEL_DOWNLOAD));
    EXPECT_FALSE(ui.enabled(kMain, IDC_DOWNLOAD));
    EXPECT_FALSE(ui.enabled(kMain, IDC_OPEN_FILE));
    EXPECT_FALSE(ui.enabled(kMain, IDC_PRODUCT_LIST));
    EXPECT_FALSE(ui.enabled(kMain, IDC_FILE_BOX));
    EXPECT_TRUE(files.folders.count("C:\\Users\\demo\\Downloads\\OrvanePurchase"));
    EXPECT_TRUE(files.folders.count("C:\\Users\\demo\\Downloads\\OrvanePurchase\\tolstd"));

    tickAfterWorker();  // records it
    EXPECT_EQ(mirror.urls, std::vector<std::string>{kMirror1 + "F123"});
    EXPECT_EQ(ui.text(kMain, IDC_PROGRESS_TEXT), "Download Completed");
    EXPECT_EQ(ui.at(kMain, IDC_PROGRESS_BAR).progressPos, 100);
    ASSERT_TRUE(files.exists(kTarget + ".cfg"));
    EXPECT_NE(files.files[kTarget + ".cfg"].find("version=2.1\r\n"), std::string::npos);
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_TRUE(timerRunning());

    tickAfterWorker();  // finishes it
    EXPECT_FALSE(timerRunning());
    EXPECT_EQ(ui.opened, (std::vector<std::pair<Window, std::string>>{{kMain, kTarget}}));
    EXPECT_EQ(files.files[kTarget], mirror.file);
    EXPECT_EQ(ui.at(kMain, IDC_PROGRESS_BAR).progressPos, 0);
    EXPECT_FALSE(ui.enabled(kMain, IDC_PROGRESS_BAR));
    EXPECT_FALSE(ui.enabled(kMain, IDC_DOWNLOAD));
    EXPECT_FALSE(ui.enabled(kMain, IDC_CANCEL_DOWNLOAD));
    EXPECT_TRUE(ui.enabled(kMain, IDC_OPEN_FOLDER));
    EXPECT_TRUE(ui.enabled(kMain, IDC_OPEN_FILE));
    EXPECT_TRUE(ui.enabled(kMain, IDC_PRODUCT_LIST));
    EXPECT_TRUE(ui.enabled(kMain, IDC_FILE_BOX));
    EXPECT_NE(ui.text(kMain, IDC_FILE_STATUS).find("Downloaded on: Tue Mar 05 14:07:09 2024"), std::string::npos);
    EXPECT_EQ(state().downloadMode, 0);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DownloadFlowTest, ExistingFileIsReplacedOnlyAfterYes) {
    files.files[kTarget] = "old";
    files.files[kTarget + ".cfg"] = "orvaneproduct=Ember\r\n";

    ui.boxAnswers = {7};  // No
    download();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "The selected file already exists. Do you wish to delete the existing file and re-download?");
    EXPECT_EQ(ui.boxes[0].caption, "File Already Exists");
    EXPECT_EQ(ui.boxes[0].style, 4u);
    EXPECT_EQ(ui.boxes[0].owner, kMain);
    EXPECT_EQ(files.files[kTarget], "old");
    EXPECT_TRUE(files.exists(kTarget + ".cfg"));
    EXPECT_EQ(transport.count("/orvanegetfile.asp"), 0);
    EXPECT_FALSE(timerRunning());

    ui.boxAnswers = {6};  // Yes
    download();
    EXPECT_FALSE(files.exists(kTarget + ".cfg"));  // the old record goes at once
    tickAfterWorker();
    tickAfterWorker();
    EXPECT_EQ(files.files[kTarget], mirror.file);
}

TEST_F(DownloadFlowTest, FailureOnMirror1RetriesOnMirror2WithoutAskingAgain) {
    // Mirror 1 answers with an error page, which must not be saved or
    // reported complete.
    mirror.beforeOpen = [](FakeRangeSource& m, const std::string& url) {
        bool first = startsWith(url, kMirror1);
        m.status = first ? 404 : 206;
        m.body = first ? std::optional<std::string>("<html>Not Found</html>") : std::nullopt;
        m.sendRange = !first;
    };
    download();
    tickAfterWorker();  // the failure: the retry starts at once
    EXPECT_EQ(state().downloadMode, 1);
    EXPECT_TRUE(timerRunning());
    tickAfterWorker();  // completed on mirror 2
    tickAfterWorker();  // opened
    EXPECT_EQ(mirror.urls, (std::vector<std::string>{kMirror1 + "F123", kMirror2 + "F123"}));
    EXPECT_EQ(transport.count("/orvanegetfile.asp"), 1);
    EXPECT_TRUE(ui.boxes.empty());  // neither question (the partial file existed) nor error
    EXPECT_EQ(files.files[kTarget], mirror.file);
    EXPECT_TRUE(files.exists(kTarget + ".cfg"));
    EXPECT_EQ(ui.opened.size(), 1u);
    EXPECT_EQ(state().downloadMode, 0);
}

TEST_F(DownloadFlowTest, FailureOnBothMirrorsLeavesNoFileRecordOrOpen) {
    struct Case {
        const char* name;
        std::function<void(FakeRangeSource&)> fault;
    } cases[] = {
        {"connection cut", [](FakeRangeSource& m) { m.cutAfter = 400; }},
        {"mirrors down", [](FakeRangeSource& m) { m.openResult = 3; }},
        {"error page", [](FakeRangeSource& m) {
             m.status = 500;
             m.body = "<html>oops</html>";
         }},
        {"wrong Content-Range", [](FakeRangeSource& m) { m.range = "bytes 0-999/400"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mirror = FakeRangeSource();
        mirror.file = std::string(1000, 'z');
        c.fault(mirror);
        ui.boxes.clear();
        ui.opened.clear();
        download();
        tickAfterWorker();
        tickAfterWorker();
        EXPECT_EQ(mirror.urls, (std::vector<std::string>{kMirror1 + "F123", kMirror2 + "F123"}));
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text, kFailedError);
        EXPECT_EQ(ui.boxes[0].caption, "<null>");
        EXPECT_EQ(ui.boxes[0].style, 0x30u);
        EXPECT_EQ(ui.boxes[0].owner, kMain);
        EXPECT_EQ(state().downloadMode, 2);
        EXPECT_FALSE(timerRunning());
        EXPECT_TRUE(ui.enabled(kMain, IDC_PRODUCT_LIST));
        EXPECT_TRUE(ui.enabled(kMain, IDC_DOWNLOAD));
        EXPECT_FALSE(ui.enabled(kMain, IDC_CANCEL_DOWNLOAD));
        EXPECT_FALSE(files.exists(kTarget));
        EXPECT_FALSE(files.exists(kTarget + ".cfg"));
        EXPECT_TRUE(ui.opened.empty());
        EXPECT_NE(ui.text(kMain, IDC_FILE_STATUS).find("Status: Not Downloaded"), std::string::npos);
    }
}

TEST_F(DownloadFlowTest, CategoryBoxIsLockedWhileTheDownloadRuns) {
    // Completed.
    download();
    EXPECT_FALSE(ui.enabled(kMain, IDC_CATEGORY_BOX));
    tickAfterWorker();  // records it
    EXPECT_FALSE(ui.enabled(kMain, IDC_CATEGORY_BOX));
    tickAfterWorker();  // finishes it
    EXPECT_TRUE(ui.enabled(kMain, IDC_CATEGORY_BOX));

    // Cancelled.
    files.files.clear();
    mirror.hold();
    download();
    mirror.waitUntilHeld();
    EXPECT_FALSE(ui.enabled(kMain, IDC_CATEGORY_BOX));
    cancelDownload();
    mirror.release();
    tickAfterWorker();
    EXPECT_EQ(ui.text(kMain, IDC_PROGRESS_TEXT), "Download Canceled");
    EXPECT_TRUE(ui.enabled(kMain, IDC_CATEGORY_BOX));

    // Failed on both mirrors.
    mirror.openResult = 3;
    download();
    tickAfterWorker();  // the retry on mirror 2
    EXPECT_FALSE(ui.enabled(kMain, IDC_CATEGORY_BOX));
    tickAfterWorker();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kFailedError);
    EXPECT_TRUE(ui.enabled(kMain, IDC_CATEGORY_BOX));
}

// What a logout or a refilled list puts into the panel while a download runs.
void showAnotherProduct(bool owned) {
    SelectedProduct other;
    other.productId = "tolstd-other";
    other.name = "Other Game";
    if (owned) {
        other.files = "other.exe";
        other.availableVersion = "9.0";
        other.fileSize = "5";
        other.fileSizeText = "5 bytes";
    }
    state().selected = other;
}

TEST_F(DownloadFlowTest, RecordDescribesTheDownloadedFileWhateverThePanelShowsAtTheEnd) {
    const std::string record =
        "orvaneproduct=Ember\r\norvaneproductid=tolstd-ember\r\nfilename=ember.zip\r\n"
        "date=Tue Mar 05 14:07:09 2024\r\nversion=2.1\r\n";
    const SelectedProduct ember = state().selected;
    for (bool owned : {true, false}) {
        SCOPED_TRACE(owned ? "another owned product" : "a product for sale");
        files.files.clear();
        ui.opened.clear();
        state().selected = ember;
        mirror.hold();
        download();
        mirror.waitUntilHeld();
        showAnotherProduct(owned);
        mirror.release();
        tickAfterWorker();  // records it
        tickAfterWorker();  // finishes it
        EXPECT_EQ(files.files[kTarget], mirror.file);
        EXPECT_EQ(files.files[kTarget + ".cfg"], record);
        EXPECT_FALSE(files.exists(kFolder + "other.exe.cfg"));
        EXPECT_FALSE(files.exists(kFolder + ".cfg"));
        EXPECT_EQ(ui.opened, (std::vector<std::pair<Window, std::string>>{{kMain, kTarget}}));
        EXPECT_TRUE(ui.boxes.empty());
    }
}

TEST_F(DownloadFlowTest, RetryOnMirror2FetchesTheFileTheFirstAttemptStartedWith) {
    mirror.beforeOpen = [](FakeRangeSource& m, const std::string& url) {
        bool first = startsWith(url, kMirror1);
        m.status = first ? 500 : 206;
        m.body = first ? std::optional<std::string>("<html>oops</html>") : std::nullopt;
        m.sendRange = !first;
    };
    download();
    showAnotherProduct(true);
    tickAfterWorker();  // the failure: the retry starts at once
    EXPECT_EQ(state().downloadMode, 1);
    tickAfterWorker();  // completed on mirror 2
    tickAfterWorker();  // opened
    EXPECT_EQ(mirror.urls, (std::vector<std::string>{kMirror1 + "F123", kMirror2 + "F123"}));
    EXPECT_EQ(transport.count("/orvanegetfile.asp"), 1);
    EXPECT_EQ(files.files[kTarget], mirror.file);
    EXPECT_NE(files.files[kTarget + ".cfg"].find("filename=ember.zip\r\n"), std::string::npos);
    EXPECT_FALSE(files.exists(kFolder + "other.exe"));
    EXPECT_FALSE(files.exists(kFolder + "other.exe.cfg"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DownloadFlowTest, CancelDeletesThePartialFileAndDoesNotRetry) {
    mirror.pieces = {100, 100, 100, 100};
    mirror.afterRead = [](std::uint64_t delivered) {
        if (delivered == 200) cancelDownload();
    };
    download();
    tickAfterWorker();
    EXPECT_EQ(mirror.urls.size(), 1u);
    EXPECT_FALSE(timerRunning());
    EXPECT_EQ(ui.text(kMain, IDC_PROGRESS_TEXT), "Download Canceled");
    EXPECT_EQ(ui.at(kMain, IDC_PROGRESS_BAR).progressPos, 0);
    EXPECT_TRUE(ui.enabled(kMain, IDC_DOWNLOAD));
    EXPECT_FALSE(ui.enabled(kMain, IDC_CANCEL_DOWNLOAD));
    EXPECT_FALSE(ui.enabled(kMain, IDC_OPEN_FOLDER));
    EXPECT_TRUE(ui.enabled(kMain, IDC_PRODUCT_LIST));
    EXPECT_FALSE(files.exists(kTarget));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.opened.empty());
}

TEST_F(DownloadFlowTest, TickWhileTheCancelledWorkerFinishesWaits) {
    mirror.hold();
    download();
    mirror.waitUntilHeld();
    cancelDownload();
    pollDownload();  // the worker has not ended yet: nothing happens
    EXPECT_TRUE(timerRunning());
    EXPECT_FALSE(ui.enabled(kMain, IDC_DOWNLOAD));
    mirror.release();
    tickAfterWorker();
    EXPECT_FALSE(timerRunning());
    EXPECT_EQ(ui.text(kMain, IDC_PROGRESS_TEXT), "Download Canceled");
    EXPECT_EQ(mirror.urls.size(), 1u);  // a cancel is not a failure to retry
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DownloadFlowTest, CancelAfterAnotherFileWasChosenDeletesOnlyTheDownloadedOne) {
    const std::string other = kFolder + "manual.pdf";
    files.files[other] = "an earlier, complete download";
    mirror.hold();
    download();
    mirror.waitUntilHeld();
    // The file box stays usable during a download; choosing another file
    // points the file status at that file.
    state().selected.files = "manual.pdf";
    state().downloadedFilePath = other;
    cancelDownload();
    mirror.release();
    tickAfterWorker();
    EXPECT_EQ(ui.text(kMain, IDC_PROGRESS_TEXT), "Download Canceled");
    EXPECT_FALSE(files.exists(kTarget));
    EXPECT_EQ(files.files[other], "an earlier, complete download");
}

TEST_F(DownloadFlowTest, LeftoverCompletionIsNotTakenForTheNextDownload) {
    state().completedSeen = true;  // a finish that an earlier download left behind
    mirror.hold();
    download();
    mirror.waitUntilHeld();
    cancelDownload();
    mirror.release();
    tickAfterWorker();
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_EQ(ui.text(kMain, IDC_PROGRESS_TEXT), "Download Canceled");
}

TEST_F(DownloadFlowTest, UnsafeFileNamesAreRefusedBeforeAnythingIsTouched) {
    const std::vector<std::string> names = {"..\\..\\evil.exe", "sub/evil.exe",     "C:evil.exe", "D:\\evil.exe",
                                            "..",               "a..b.zip",         "evil\x01.zip", "CON.txt",
                                            "ember.zip.",       "ember.zip:stream"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ui.boxes.clear();
        state().selected.files = name;
        files.files[kFolder + name] = "keep";
        files.files[kTarget + ".cfg"] = "record";
        download();
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text, kInitError);
        EXPECT_EQ(ui.boxes[0].style, 0x30u);
        EXPECT_EQ(files.files[kFolder + name], "keep");
        EXPECT_TRUE(files.folders.empty());
        EXPECT_EQ(transport.count("/orvanegetfile.asp"), 0);
        EXPECT_TRUE(mirror.urls.empty());
    }
}

TEST_F(DownloadFlowTest, ThreeCharacterFileNameCannotStart) {
    state().selected.files = "a.b";
    download();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kStartError);
    EXPECT_EQ(ui.boxes[0].caption, "<null>");
    EXPECT_FALSE(timerRunning());
    EXPECT_TRUE(ui.enabled(kMain, IDC_PRODUCT_LIST));
    EXPECT_TRUE(mirror.urls.empty());
}

TEST_F(DownloadFlowTest, LockedOldFileCannotStart) {
    files.files[kTarget] = "old";
    files.locked.insert(kTarget);
    ui.boxAnswers = {6};
    download();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, kStartError);
    EXPECT_FALSE(timerRunning());
    // The controls stay as the start left them.
    EXPECT_TRUE(ui.enabled(kMain, IDC_CANCEL_DOWNLOAD));
    EXPECT_FALSE(ui.enabled(kMain, IDC_DOWNLOAD));
}

TEST_F(DownloadFlowTest, RetryThatCannotStartGivesTheProductListBack) {
    mirror.status = 500;
    mirror.body = std::string("<html>Server Error</html>");
    mirror.sendRange = false;
    download();
    waitForWorker();
    files.locked.insert(kTarget);  // what the first attempt left cannot be replaced
    pollDownload();                // the failure: the retry cannot start
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kStartError);
    EXPECT_FALSE(timerRunning());
    EXPECT_TRUE(ui.enabled(kMain, IDC_PRODUCT_LIST));
    EXPECT_TRUE(ui.enabled(kMain, IDC_FILE_BOX));
}

TEST_F(DownloadFlowTest, ReplyMustHaveExactlyFiveFields) {
    struct Case {
        std::string reply;
        bool starts;
    } cases[] = {
        {"ok|tolstd-ember|ember.zip|F123", false},
        {"ok|tolstd-ember|ember.zip|1000|F123|x", false},
        {"Error: not owned", false},
        {"", false},
        {"ok|tolstd-ember|ember.zip|1000|", true},  // no id: still tried, and fails like any transfer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        transport.reply("/orvanegetfile.asp", c.reply);
        ui.boxes.clear();
        mirror.urls.clear();
        download();
        if (c.starts) {
            EXPECT_TRUE(ui.boxes.empty());
            if (job.worker.joinable()) job.worker.join();
            EXPECT_EQ(mirror.urls, std::vector<std::string>{kMirror1});
        } else {
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].text, kInitError);
            EXPECT_EQ(ui.boxes[0].caption, "<null>");
            EXPECT_EQ(ui.boxes[0].style, 0x30u);
            EXPECT_FALSE(timerRunning());
            EXPECT_TRUE(mirror.urls.empty());
        }
    }
}

TEST_F(DownloadFlowTest, ProductWithSeveralFilesAsksForTheChosenEntry) {
    AgentState& s = state();
    s.multiFile = true;
    for (const char* item : {"Select File...", "a-manual.pdf", "b-tools.zip", "ember.zip"})
        ui.comboAdd(kMain, IDC_FILE_BOX, item);
    ui.comboSelect(kMain, IDC_FILE_BOX, 3);
    download();
    ASSERT_EQ(transport.count("/orvanegetfile.asp"), 1);
    const std::string body = transport.to("/orvanegetfile.asp")[0].body;
    EXPECT_NE(body.find("&pid=tolstd-ember:2&"), std::string::npos) << body;
    EXPECT_EQ(ui.text(kMain, IDC_FILE_STATUS_MULTI), "ember.zip\r\nFile Size: " + shellByteSize(1000));
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_STATUS));
}

TEST_F(DownloadFlowTest, ProgressLabelShowsTimeAmountOfTotalAndSpeed) {
    state().selected.fileSizeText = shellByteSize(1000000);
    state().completedSeen = true;
    job.publish("42.70000000|1000000|1.50 MB/sec|1 Min 5 Sec|Downloading");
    job.running = true;
    pollDownload();
    job.running = false;
    EXPECT_EQ(ui.text(kMain, IDC_PROGRESS_TEXT),
              "Remaining: 1 Min 5 Sec (" + shellByteSize(420000) + " of " + shellByteSize(1000000) + ") 1.50 MB/sec");
    EXPECT_EQ(ui.at(kMain, IDC_PROGRESS_BAR).progressPos, 42);
    EXPECT_FALSE(state().completedSeen);

    // A decimal comma reads the same whole percent.
    job.publish("7,99000000|1000000|1.50 MB/sec|9 Sec|Downloading");
    job.running = true;
    pollDownload();
    job.running = false;
    EXPECT_EQ(ui.at(kMain, IDC_PROGRESS_BAR).progressPos, 7);
}

TEST_F(DownloadFlowTest, ExpectedSizeComesFromTheSelectedSize) {
    struct Case {
        std::string size;
        std::uint64_t expected;
    } cases[] = {{"1000", 1000}, {"18446744073709551615", 18446744073709551615ull}, {"n/a", 0}, {"", 0},
                 {"-5", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        state().selected.fileSize = c.size;
        mirror.hold();
        download();
        EXPECT_EQ(job.expectedSize, c.expected);
        cancelDownload();
        mirror.release();
        tickAfterWorker();
    }
}

}  // namespace
}  // namespace orvane::test
