#include "app/main_window.h"

#include "account/login.h"
#include "app/agent_state.h"
#include "app/control_ids.h"
#include "app/panel_mode.h"
#include "app/settings.h"
#include "catalog/detail_panel.h"
#include "catalog/product_list.h"
#include "catalog/store_startup.h"
#include "commerce/cart.h"
#include "download/flow.h"
#include "net/store_request.h"
#include "net/text.h"

namespace orvane {

namespace {

constexpr unsigned kOk = 0;
constexpr unsigned kYesNo = 4;
constexpr unsigned kExclamation = 0x30;
constexpr int kYes = 6;

Ui& ui() { return *platform().ui; }
Window mainWin() { return state().mainWindow; }

void login() {
    if (refreshLogin()) {
        state().lastShownRow = -1;
        runStoreStartup();
    } else {
        ui().messageBox(mainWin(), "Error: Could not login with the information entered.", nullptr, kExclamation,
                        nullptr);
    }
}

void logout() {
    AgentState& s = state();
    const Window w = mainWin();
    if (ui().messageBox(w,
                        "Are you sure you want to log out? Any products in your cart or discounts applied will be "
                        "lost.",
                        "Logout Confirmation", kYesNo, nullptr) != kYes)
        return;
    ui().setText(w, IDC_LOGIN_HEADER, "You are not logged in. Please select the Login button.");
    setPanelMode(PanelMode::Store);
    ui().enable(w, IDC_LOGIN, true);
    for (int id : {IDC_LOGOUT, IDC_APPLY_COUPON, IDC_ADD_TO_CART, IDC_CHECKOUT}) ui().enable(w, id, false);
    ui().setText(w, IDC_CHECKOUT, "Checkout (0) Items");
    s.welcomeName.clear();
    s.loginEmail.clear();
    cartClear();
    std::string unused;
    loginFlow(LoginMode::Logout, unused);
    s.welcomeShown = false;
    s.selectedIndex = -1;
    refreshDetailPanel();
    runStoreStartup();
}

void editAccount() {
    AgentState& s = state();
    std::string unused;
    loginFlow(LoginMode::Account, unused);
    s.welcomeName = cutTo(s.userName, 149);
    if (!s.userName.empty()) ui().setText(mainWin(), IDC_LOGIN_HEADER, cutTo("Welcome " + s.welcomeName, 249));
}

void chooseDownloadFolder() {
    const Window w = mainWin();
    if (ui().messageBox(w,
                        "If you change the default folder path you will need to restart this application for the "
                        "settings to take effect. Would you like to proceed?",
                        "Change Folder Path", kYesNo, nullptr) != kYes)
        return;
    std::string folder;
    if (!ui().browseFolder(w, "Select a folder...", folder) || folder.empty()) return;
    if (writeSetting(cutTo(folder, 259), "FolderPath") != 1) return;
    ui().messageBox(w,
                    "Your default Orvane Agent download folder has been successfully set. We will now close this "
                    "application.\r\n\r\nPlease restart this application for the settings to take effect.",
                    "Folder Successfully Set", kOk, nullptr);
    ui().postQuit(0);
}

std::string vendorFolder() { return state().downloadFolder + "\\OrvanePurchase\\" + state().identity.vendorId; }

void openFileFolder() {
    if (ui().shellOpen(mainWin(), vendorFolder()) <= 32) ui().shellOpen(mainWin(), state().downloadFolder);
}

void openDownloadedFile() {
    std::string file = vendorFolder() + "\\" + state().selected.files;
    Files& files = *platform().files;
    if (files.exists(file) && files.size(file) > 0) {
        ui().shellOpen(mainWin(), file);
        return;
    }
    ui().messageBox(mainWin(), "There was an error locating the product download. Please re-download the software.",
                    nullptr, kExclamation, nullptr);
}

void openProductSupport() {
    const std::string& url = state().selected.supportUrl;
    // The address comes from the store: anything but a web page (a local
    // program or file) is not handed to the shell.
    if (isWebAddress(url)) ui().shellOpen(0, url);
}

}  // namespace

bool isWebAddress(const std::string& text) {
    std::string lower = toLower(text.substr(0, 8));
    return startsWith(lower, "http://") || startsWith(lower, "https://");
}

bool mainWindowCommand(int id, int code) {
    AgentState& s = state();
    switch (id) {
    case 2:
    case IDC_EXIT:
        ui().postQuit(0);
        return true;
    case IDC_LOGIN:
        if (s.loginDialogOpen != 1) login();
        return true;
    case IDC_LOGOUT:
        logout();
        return true;
    case IDC_EDIT_ACCOUNT:
        if (s.loginDialogOpen != 1) editAccount();
        return true;
    case IDC_DOWNLOAD:
        s.downloadMode = 0;
        startDownloadFlow();
        return true;
    case IDC_CANCEL_DOWNLOAD:
        cancelDownload();
        return true;
    case IDC_OPEN_FILE:
        openDownloadedFile();
        return true;
    case IDC_SELECT_FOLDER:
        chooseDownloadFolder();
        return true;
    case IDC_OPEN_FOLDER:
        openFileFolder();
        return true;
    case IDC_PRODUCT_SUPPORT:
        openProductSupport();
        return true;
    case IDC_ADD_TO_CART:
    case IDC_CHECKOUT:
    case IDC_APPLY_COUPON:
    case IDC_BUNDLE_PRICING:
        // Cart commands and coupons are carried out by the commerce screens.
        return true;
    case IDC_CATEGORY_BOX:
        if (code == kCbnSelChange) categoryChanged();
        return true;
    case IDC_FILE_BOX:
        if (code == kCbnSelChange) chooseFile();
        return true;
    default:
        return false;
    }
}

bool mainWindowNotify(int id, int code) {
    if (id == IDC_PRODUCT_LIST && code == kLvnItemChanged) {
        if (!state().fillingList) refreshDetailPanel();
        return true;
    }
    return false;
}

void mainWindowTimer(int id) {
    if (id == IDT_DOWNLOAD_POLL) pollDownload();
}

void loadLogo() {
    AgentState& s = state();
    std::string url = cutTo(storeBase() + "/vendors/" + s.identity.vendorId + "/" + "logo_s.png", 99);
    std::string bytes = fetchPlain(url);
    s.logoPicture.owner = s.mainWindow;
    ui().loadPicture(bytes, s.mainWindow, s.logoPicture);
    s.logoPicture.x = 10;
    s.logoPicture.y = 4;
}

void mainWindowFirstPaint() {
    AgentState& s = state();
    if (s.notificationsChecked) return;
    s.notificationsChecked = true;
    // The store notification is looked at here once the notification screen exists.
}

}  // namespace orvane
