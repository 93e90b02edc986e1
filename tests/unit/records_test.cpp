#include <string>

#include "app/control_ids.h"
#include "download/records.h"
#include "fakes.h"

namespace orvane::test {
namespace {

constexpr Window kMain = FakeUi::kMain;
const std::string kFolder = "C:\\Data\\OrvanePurchase\\tolstd\\";

class RecordsTest : public AgentTest {
protected:
    void SetUp() override {
        AgentTest::SetUp();
        makeStoreReady();
        AgentState& s = state();
        s.downloadFolder = "C:\\Data";
        s.selected.productId = "p1";
        s.selected.name = "Sky Pack";
        s.selected.files = "setup.exe";
        s.selected.availableVersion = "2.1";
        s.selected.fileSize = "1572864";
        s.selected.fileSizeText = "1.50 MB";
        // Wednesday, 2 January 1980, 02:03:55.
        clock.time = LocalTime{1980, 1, 2, 3, 2, 3, 55};
    }
    const std::string& text(int id) { return ui.text(kMain, id); }
    // Several files: A (100 bytes) and B (2048 bytes), with entry `chosen` selected.
    void severalFiles(int chosen) {
        AgentState& s = state();
        s.multiFile = true;
        s.fileEntries = {{"A", "100"}, {"B", "2048"}};
        ui.at(kMain, IDC_FILE_BOX).items = {"Select File...", "A", "B"};
        ui.comboSelect(kMain, IDC_FILE_BOX, chosen);
        if (chosen > 0) s.selected.files = chosen == 1 ? "A" : "B";
    }
};

TEST_F(RecordsTest, ProductFolderIsPerVendor) { EXPECT_EQ(productFolder(), kFolder); }

TEST_F(RecordsTest, RecordHasFiveLinesEndingInCrLf) {
    files.files[kFolder + "setup.exe.cfg"] = "an older and much longer record that must go entirely\r\n";
    writeDownloadRecord();
    EXPECT_EQ(files.files[kFolder + "setup.exe.cfg"],
              "orvaneproduct=Sky Pack\r\n"
              "orvaneproductid=p1\r\n"
              "filename=setup.exe\r\n"
              "date=Wed Jan 02 02:03:55 1980\r\n"
              "version=2.1\r\n");
}

TEST_F(RecordsTest, RecordDateUsesEnglishNamesAndFixedWidths) {
    struct Case {
        LocalTime time;
        const char* date;
    } cases[] = {
        {{1980, 1, 2, 3, 2, 3, 55}, "Wed Jan 02 02:03:55 1980"},
        {{2024, 12, 31, 2, 23, 59, 9}, "Tue Dec 31 23:59:09 2024"},
        {{2023, 10, 1, 0, 0, 0, 0}, "Sun Oct 01 00:00:00 2023"},
        {{2025, 6, 14, 6, 12, 30, 45}, "Sat Jun 14 12:30:45 2025"},
    };
    for (const Case& c : cases) {
        clock.time = c.time;
        writeDownloadRecord();
        const std::string& record = files.files[kFolder + "setup.exe.cfg"];
        EXPECT_NE(record.find(std::string("\r\ndate=") + c.date + "\r\n"), std::string::npos) << c.date;
    }
}

TEST_F(RecordsTest, RecordThatCannotBeWrittenIsSilentlyMissing) {
    files.locked.insert(kFolder + "setup.exe.cfg");
    writeDownloadRecord();
    EXPECT_EQ(files.files.count(kFolder + "setup.exe.cfg"), 0u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RecordsTest, StatusOfASingleFile) {
    const std::string record21 =
        "orvaneproduct=Sky Pack\r\norvaneproductid=p1\r\nfilename=setup.exe\r\n"
        "date=Wed Jan 02 02:03:55 1980\r\nversion=2.1\r\n";
    struct Case {
        const char* what;
        const char* record;  // nullptr: no record
        bool file;
        const char* available;
        std::string status;
        bool openEnabled;
    } cases[] = {
        {"never downloaded", nullptr, false, "2.1",
         "File: setup.exe\r\nFile Size: 1.50 MB\r\nAvailable Version: 2.1\r\nStatus: Not Downloaded", false},
        {"downloaded", record21.c_str(), true, "2.1",
         "File: setup.exe\r\nDownloaded on: Wed Jan 02 02:03:55 1980\r\nVersion Downloaded: 2.1\r\n"
         "Available Version: 2.1",
         true},
        {"newer version available", record21.c_str(), true, "2.2",
         "File: setup.exe\r\nDownloaded on: Wed Jan 02 02:03:55 1980\r\nVersion Downloaded: 2.1\r\n"
         "Available Version: 2.2",
         true},
        {"record without file", record21.c_str(), false, "2.1",
         "File: setup.exe\r\nDownloaded on: Wed Jan 02 02:03:55 1980\r\nVersion Downloaded: 2.1\r\n"
         "Available Version: 2.1",
         true},
        {"file without record", nullptr, true, "2.1",
         "File: \r\nDownloaded on: \r\nVersion Downloaded: \r\nAvailable Version: 2.1", true},
        {"values holding '='", "a=1\r\nb=2\r\nfilename=set=up.exe\r\ndate=d=e\r\nversion=v=2\r\n", true, "2.1",
         "File: set=up.exe\r\nDownloaded on: d=e\r\nVersion Downloaded: v=2\r\nAvailable Version: 2.1", true},
        {"short record, plain line ends, a line without '='", "a=1\nb=2\nno equals sign\n", true, "2.1",
         "File: \r\nDownloaded on: \r\nVersion Downloaded: \r\nAvailable Version: 2.1", true},
    };
    for (const Case& c : cases) {
        restart();
        state().selected.availableVersion = c.available;
        if (c.record) files.files[kFolder + "setup.exe.cfg"] = c.record;
        if (c.file) files.files[kFolder + "setup.exe"] = "data";
        ui.at(kMain, IDC_OPEN_FILE).enabled = !c.openEnabled;
        refreshFileStatus();
        EXPECT_EQ(text(IDC_FILE_STATUS), c.status) << c.what;
        EXPECT_EQ(ui.enabled(kMain, IDC_OPEN_FILE), c.openEnabled) << c.what;
        EXPECT_EQ(state().downloadedFilePath, kFolder + "setup.exe");
        EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS));
        EXPECT_FALSE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    }
}

TEST_F(RecordsTest, WrittenRecordShowsAsDownloaded) {
    writeDownloadRecord();
    files.files[kFolder + "setup.exe"] = "data";
    state().selected.availableVersion = "2.2";
    refreshFileStatus();
    EXPECT_EQ(text(IDC_FILE_STATUS),
              "File: setup.exe\r\nDownloaded on: Wed Jan 02 02:03:55 1980\r\nVersion Downloaded: 2.1\r\n"
              "Available Version: 2.2");
}

TEST_F(RecordsTest, StatusOfAFileOfSeveral) {
    severalFiles(2);
    ui.at(kMain, IDC_FILE_STATUS).text = "single line untouched";
    refreshFileStatus();
    EXPECT_EQ(state().selected.fileSize, "2048");
    EXPECT_EQ(state().selected.fileSizeText, "2.00 KB");
    EXPECT_EQ(state().downloadedFilePath, kFolder + "B");
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "File Size: 2.00 KB\r\nAvailable Version: 2.1\r\nStatus: Not Downloaded");
    EXPECT_EQ(text(IDC_FILE_STATUS), "single line untouched");
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_STATUS));

    files.files[kFolder + "B.cfg"] = "orvaneproduct=x\r\norvaneproductid=p1\r\nfilename=B\r\ndate=D\r\nversion=1.0\r\n";
    refreshFileStatus();
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "Downloaded on: D\r\nVersion Downloaded: 1.0\r\nAvailable Version: 2.1");
    EXPECT_TRUE(ui.enabled(kMain, IDC_OPEN_FILE));
}

TEST_F(RecordsTest, PromptEntryAsksForAFile) {
    severalFiles(0);
    state().downloadedFilePath = "kept";
    ui.at(kMain, IDC_FILE_STATUS_MULTI).text = "an older status";
    refreshFileStatus();
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "File Status: Select a File...");
    EXPECT_EQ(state().downloadedFilePath, "kept");
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_STATUS));
}

TEST_F(RecordsTest, ProgressLabelResetsWhenThePanelMovedOn) {
    struct Case {
        int panelRow, lastShownRow;
        const char* label;
    } cases[] = {{3, 3, "Download Completed"}, {3, -1, "Download Progress"}, {2, 0, "Download Progress"}};
    for (const Case& c : cases) {
        ui.at(kMain, IDC_PROGRESS_TEXT).text = "Download Completed";
        state().panelRow = c.panelRow;
        state().lastShownRow = c.lastShownRow;
        refreshFileStatus();
        EXPECT_EQ(text(IDC_PROGRESS_TEXT), c.label) << c.panelRow << " " << c.lastShownRow;
    }
}

TEST_F(RecordsTest, ByteSizeTextReadsTheCountWithAutomaticBase) {
    struct Case {
        const char* bytes;
        const char* text;
    } cases[] = {
        {"1572864", "1.50 MB"}, {"100", "100 bytes"}, {"0", "0 bytes"},
        {"0x400", "1.00 KB"},   {"010", "8 bytes"},   {" 2048 bytes", "2.00 KB"},
        {"", ""},               {"abc", ""},          {"size", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(formatByteSize(c.bytes), c.text) << '"' << c.bytes << '"';
}

TEST_F(RecordsTest, StatusLineFollowsTheFileCount) {
    for (bool several : {true, false}) {
        state().multiFile = several;
        showStatusLine();
        EXPECT_EQ(ui.visible(kMain, IDC_FILE_STATUS_MULTI), several);
        EXPECT_EQ(ui.visible(kMain, IDC_FILE_STATUS), !several);
    }
}

}  // namespace
}  // namespace orvane::test
