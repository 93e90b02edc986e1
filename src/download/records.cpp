#include "download/records.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/agent_state.h"
#include "app/control_ids.h"

namespace orvane {

namespace {

std::string recordPath(const std::string& filePath) { return filePath + ".cfg"; }

// The record's date: "Wed Jan 02 02:03:55 1980", English whatever the locale.
std::string recordDate(const LocalTime& t) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* day = t.weekday >= 0 && t.weekday < 7 ? kDays[t.weekday] : "???";
    const char* month = t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : "???";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %s %02d %02d:%02d:%02d %04d", day, month, t.day, t.hour, t.minute,
                  t.second, t.year);
    return buffer;
}

// The record's lines without their line ends (CR LF, or LF alone).
std::vector<std::string> recordLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// The value of record line n (from 1): the text after its first "="; empty
// for a missing line or a line without "=".
std::string recordValue(const std::vector<std::string>& lines, std::size_t n) {
    if (n == 0 || n > lines.size()) return {};
    const std::string& line = lines[n - 1];
    const std::size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

}  // namespace

std::string productFolder() {
    const AgentState& s = state();
    return s.downloadFolder + "\\OrvanePurchase\\" + s.identity.vendorId + "\\";
}

std::string formatByteSize(const std::string& bytes) {
    // Read like strtoll with base 0. A text without a number has no size to
    // show, which is not the same as "0 bytes".
    const char* start = bytes.c_str();
    char* end = nullptr;
    const long long count = std::strtoll(start, &end, 0);
    if (end == start) return {};
    return platform().ui->formatByteSize(static_cast<std::int64_t>(count));
}

void writeDownloadRecord() { writeDownloadRecord(state().selected); }

void writeDownloadRecord(const SelectedProduct& p) {
    const std::string text = "orvaneproduct=" + p.name + "\r\n" + "orvaneproductid=" + p.productId + "\r\n" +
                             "filename=" + p.files + "\r\n" + "date=" + recordDate(platform().clock->localTime()) +
                             "\r\n" + "version=" + p.availableVersion + "\r\n";
    // A record that cannot be written is simply missing; nothing is shown.
    platform().files->writeText(recordPath(productFolder() + p.files), text);
}

void showStatusLine() {
    const AgentState& s = state();
    Ui& ui = *platform().ui;
    ui.show(s.mainWindow, s.multiFile ? IDC_FILE_STATUS : IDC_FILE_STATUS_MULTI, false);
    ui.show(s.mainWindow, s.multiFile ? IDC_FILE_STATUS_MULTI : IDC_FILE_STATUS, true);
}

void refreshFileStatus() {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    Files& files = *platform().files;
    const Window w = s.mainWindow;
    SelectedProduct& p = s.selected;

    if (s.multiFile && ui.comboSelected(w, IDC_FILE_BOX) == 0) {
        // Several files and none chosen yet: the prompt goes into the line
        // that is shown for such a product.
        ui.setText(w, IDC_FILE_STATUS_MULTI, "File Status: Select a File...");
        showStatusLine();
        return;
    }

    s.downloadedFilePath = productFolder() + p.files;
    if (s.multiFile) {
        for (const FileEntry& entry : s.fileEntries) {
            if (entry.name == p.files) {
                p.fileSize = entry.size;
                p.fileSizeText = formatByteSize(entry.size);
                break;
            }
        }
    }

    const bool present = files.exists(s.downloadedFilePath);
    std::string record;
    const bool haveRecord = files.readText(recordPath(s.downloadedFilePath), record);

    std::string text;
    if (!haveRecord && !present) {
        if (!s.multiFile) text = "File: " + p.files + "\r\n";
        text += "File Size: " + p.fileSizeText + "\r\n" + "Available Version: " + p.availableVersion + "\r\n" +
                "Status: Not Downloaded";
        ui.enable(w, IDC_OPEN_FILE, false);
    } else {
        const std::vector<std::string> lines = recordLines(record);
        if (!s.multiFile) text = "File: " + recordValue(lines, 3) + "\r\n";
        text += "Downloaded on: " + recordValue(lines, 4) + "\r\n" + "Version Downloaded: " + recordValue(lines, 5) +
                "\r\n" + "Available Version: " + p.availableVersion;
        ui.enable(w, IDC_OPEN_FILE, true);
    }
    ui.setText(w, s.multiFile ? IDC_FILE_STATUS_MULTI : IDC_FILE_STATUS, text);
    showStatusLine();

    if (s.panelRow != s.lastShownRow) ui.setText(w, IDC_PROGRESS_TEXT, "Download Progress");
}

}  // namespace orvane
