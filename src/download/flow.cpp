#include "download/flow.h"

#include <cstdint>
#include <vector>

#include "account/login.h"
#include "app/agent_state.h"
#include "app/control_ids.h"
#include "download/file_name.h"
#include "download/job.h"
#include "download/records.h"
#include "net/store_request.h"
#include "net/text.h"
#include "orvane_config.h"

namespace orvane {

namespace {

constexpr unsigned kIconExclamation = 0x30;  // MB_ICONEXCLAMATION
constexpr unsigned kYesNo = 4;               // MB_YESNO
constexpr int kIdYes = 6;                    // IDYES
constexpr unsigned kPollMs = 500;

constexpr const char* kAskReplace =
    "The selected file already exists. Do you wish to delete the existing file and re-download?";
constexpr const char* kReplaceCaption = "File Already Exists";
constexpr const char* kInitError =
    "There was an error initializing the download. Please try again shortly or contact support if you keep "
    "getting this error.";
constexpr const char* kStartError = "Error downloading file. Please contact support if you keep getting this message.";
constexpr const char* kFailedError =
    "Error downloading file. Please try again soon or contact support if you keep getting this error.";

Ui& ui() { return *platform().ui; }
Window mainWin() { return state().mainWindow; }

void showError(const char* text) { ui().messageBox(mainWin(), text, nullptr, kIconExclamation, nullptr); }

// The leading decimal digits of a text (a size or a total); 0 when it does
// not begin with one, or when the number does not fit 64 bits.
std::uint64_t leadingDecimal(const std::string& text) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    return value;
}

// While a download runs the product and its file cannot be changed: the
// category box would refill the list and show another product, whose Download
// File button would then be usable during this download.
void lockProductChoice(bool locked) {
    ui().enable(mainWin(), IDC_PRODUCT_LIST, !locked);
    ui().enable(mainWin(), IDC_FILE_BOX, !locked);
    ui().enable(mainWin(), IDC_CATEGORY_BOX, !locked);
}

// The window's controls when the download has ended without a file to open.
void stopAfterCancel() {
    ui().killTimer(mainWin(), IDT_DOWNLOAD_POLL);
    ui().setText(mainWin(), IDC_PROGRESS_TEXT, "Download Canceled");
    ui().progressPos(mainWin(), IDC_PROGRESS_BAR, 0);
    ui().enable(mainWin(), IDC_DOWNLOAD, true);
    ui().enable(mainWin(), IDC_CANCEL_DOWNLOAD, false);
    ui().enable(mainWin(), IDC_OPEN_FOLDER, false);
}

// The file that the job wrote. It is the chosen file's path (downloadedFilePath)
// unless the file box was changed during the download; then it is still the
// file that this download wrote, and not the newly chosen one.
const std::string& jobFile() { return state().download.jobPath; }

void removeJobFile() {
    const std::string& path = jobFile();
    if (!path.empty() && platform().files->exists(path)) platform().files->remove(path);
}

}  // namespace

int requestFileId(const std::string& pid) {
    AgentState& s = state();
    try {
        if (pid.size() <= 3 || !s.storeReady) {
            s.fileReply.clear();
            return -1;
        }
        if (s.email.size() < 6 || s.password.size() < 8) {
            // One login dialog at a time: while it is open, Login and Edit
            // Account do not open another, and neither does this.
            if (s.loginDialogOpen == 0) {
                s.loginDialogOpen = 1;
                try {
                    openLoginDialog(s.dialogParent);
                } catch (...) {
                    s.loginDialogOpen = 0;
                    throw;
                }
                s.loginDialogOpen = 0;
            }
            if (s.email.size() < 6 || s.password.size() < 8) {
                s.fileReply.clear();
                return -2;
            }
        }
        s.requestBody = "vid=" + s.identity.vendorId + "&vpwd=" + s.identity.vendorPassword + "&login=" + s.email +
                        "&password=" + s.password + "&pid=" + pid + s.versionSuffix;
        StoreRequest request;
        request.setSecure(true);
        request.setUrl(storeUrl("/orvanegetfile.asp"));
        request.setBody(s.requestBody);
        request.perform();
        s.fileReply = cutTo(request.reply, 99);
        return request.replyLength;
    } catch (...) {
        s.fileReply.clear();
        return 0;
    }
}

void startDownloadFlow() {
    AgentState& s = state();
    Files& files = *platform().files;
    // The retry fetches the file that the first attempt was started for, even
    // when the panel shows another product by now (a logout refreshes it).
    const SelectedProduct chosen = s.downloadMode == 0 ? s.selected : s.download.product;

    // The name comes from the store and becomes part of a path: anything but
    // a plain name of the product folder is refused before a thing is
    // written or deleted.
    if (!isSafeFileName(chosen.files)) {
        showError(kInitError);
        return;
    }

    const std::string purchaseFolder = s.downloadFolder + "\\OrvanePurchase";
    files.createFolder(purchaseFolder);
    files.createFolder(purchaseFolder + "\\" + s.identity.vendorId);
    const std::string folder = productFolder();
    const std::string target = folder + chosen.files;

    if (s.downloadMode == 0 && files.exists(target)) {
        if (ui().messageBox(mainWin(), kAskReplace, kReplaceCaption, kYesNo, nullptr) != kIdYes) return;
    }

    const std::string record = target + ".cfg";
    if (files.exists(record) && files.size(record) > 0) files.remove(record);

    if (s.downloadMode == 0) {
        s.fileReply.clear();
        std::string pid = chosen.productId;
        if (s.multiFile) {
            pid += ':';
            pid += int64ToText(ui().comboSelected(mainWin(), IDC_FILE_BOX) - 1);
        }
        requestFileId(pid);
    }

    std::vector<std::string> fields = splitFields(s.fileReply, '|');
    if (fields.size() != 5) {
        showError(kInitError);
        return;
    }

    if (s.multiFile) {
        ui().setText(mainWin(), IDC_FILE_STATUS_MULTI, chosen.files + "\r\nFile Size: " + chosen.fileSizeText);
    } else {
        ui().setText(mainWin(), IDC_FILE_STATUS,
                     "File: " + chosen.files + "\r\nFile Size: " + chosen.fileSizeText);
    }
    showStatusLine();

    const std::string url = std::string("http://") + (s.downloadMode != 0 ? config::mirror2 : config::mirror1) +
                            "/sendfile.php?id=" + fields[4];

    ui().enable(mainWin(), IDC_PROGRESS_BAR, true);
    ui().progressRange(mainWin(), IDC_PROGRESS_BAR, 0, 100, 1);
    ui().progressPos(mainWin(), IDC_PROGRESS_BAR, 0);
    ui().enable(mainWin(), IDC_CANCEL_DOWNLOAD, true);
    ui().enable(mainWin(), IDC_DOWNLOAD, false);
    ui().enable(mainWin(), IDC_OPEN_FILE, false);

    // A size that is not a decimal number leaves the expected size unknown
    // (0): the mirror's own length then decides.
    const std::uint64_t expected = leadingDecimal(chosen.fileSize);

    if (StartDownload(folder, url, chosen.files, expected) == 1) {
        // A finish left over from an earlier download must not be taken for
        // this one's.
        s.completedSeen = false;
        s.download.product = chosen;
        lockProductChoice(true);
        ui().setTimer(mainWin(), IDT_DOWNLOAD_POLL, kPollMs);
    } else {
        // On the retry the list was locked by the first start; left so, the
        // user could never choose anything again.
        lockProductChoice(false);
        showError(kStartError);
    }
}

void pollDownload() {
    AgentState& s = state();
    char buffer[kProgressBufferSize];
    const bool running = GetDownloadProgress(buffer);
    const std::vector<std::string> fields = splitFields(buffer, '|');

    if (fields.size() == 1) {
        ui().killTimer(mainWin(), IDT_DOWNLOAD_POLL);
        if (s.downloadMode == 0) {
            s.downloadMode = 1;
            startDownloadFlow();
            return;
        }
        s.downloadMode = 2;
        // What a failed transfer left is not the product file; without its
        // record it would show as downloaded and could be opened.
        removeJobFile();
        showError(kFailedError);
        lockProductChoice(false);
        ui().enable(mainWin(), IDC_DOWNLOAD, true);
        ui().enable(mainWin(), IDC_CANCEL_DOWNLOAD, false);
        refreshFileStatus();
        return;
    }

    const std::string status = fields.size() > 4 ? fields[4] : std::string();
    if (running) {
        if (status == "Downloading") {
            const std::uint64_t percent = leadingDecimal(fields[0]);
            ui().progressPos(mainWin(), IDC_PROGRESS_BAR, static_cast<int>(percent > 100 ? 100 : percent));
            // total x percent / 100 without overflowing for large totals.
            const std::uint64_t total = leadingDecimal(fields[1]);
            const std::uint64_t amount = total / 100 * percent + total % 100 * percent / 100;
            ui().setText(mainWin(), IDC_PROGRESS_TEXT,
                         "Remaining: " + fields[3] + " (" + formatByteSize(uint64ToText(amount)) + " of " +
                             s.selected.fileSizeText + ") " + fields[2]);
            s.completedSeen = false;
        } else if (status == "Canceled") {
            stopAfterCancel();
            refreshFileStatus();
        }
        return;
    }

    if (s.completedSeen) {
        s.completedSeen = false;
        ui().killTimer(mainWin(), IDT_DOWNLOAD_POLL);
        ui().progressPos(mainWin(), IDC_PROGRESS_BAR, 0);
        ui().enable(mainWin(), IDC_DOWNLOAD, false);
        ui().enable(mainWin(), IDC_CANCEL_DOWNLOAD, false);
        ui().enable(mainWin(), IDC_OPEN_FOLDER, true);
        ui().enable(mainWin(), IDC_PROGRESS_BAR, false);
        refreshFileStatus();
        ui().shellOpen(mainWin(), jobFile());
        lockProductChoice(false);
    } else if (status == "Canceled") {
        stopAfterCancel();
        removeJobFile();
        refreshFileStatus();
        lockProductChoice(false);
    } else if (status == "Completed") {
        ui().progressPos(mainWin(), IDC_PROGRESS_BAR, 100);
        ui().setText(mainWin(), IDC_PROGRESS_TEXT, "Download Completed");
        // The record belongs to the file this job wrote (its path is the
        // product folder and the file name chosen at the start), whatever a
        // logout or a list refresh has put into the panel since.
        writeDownloadRecord(s.download.product);
        s.completedSeen = true;
        s.downloadMode = 0;
    }
}

void cancelDownload() { state().download.running = false; }

}  // namespace orvane
