// The one process-wide record of the program's long-lived values. Every part
// of the program reaches it through state(); tests reset it between cases.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/picture.h"
#include "app/platform.h"
#include "catalog/product_record.h"
#include "catalog/selected.h"
#include "commerce/cart_item.h"
#include "download/download_state.h"

namespace orvane {

struct StoreIdentity {
    std::string vendorName;
    std::string vendorId;
    std::string vendorPassword;
};

struct AgentState {
    // Process and windows.
    void* instance = nullptr;
    Window mainWindow = 0;
    Window dialogParent = 0;

    // Store identity and vendor login.
    StoreIdentity identity;
    std::string vendorParams;
    std::string currencySymbol;
    std::string versionSuffix = "&version=2.11&tamo=2";
    std::string versionText = " (Version 2.0.2.9";
    bool storeReady = false;
    bool catalogueLoaded = false;

    // Login.
    std::string email, password, userName, taxRate;
    std::string loginEmail;   // char[150] in the store's terms: at most 149 characters
    std::string welcomeName;  // likewise
    bool credentialsAccepted = false;
    bool loggedIn = false;
    int accountVerified = 0;
    int loginDialogOpen = 0;
    bool welcomeShown = false;

    // Requests, lists and selection.
    std::string requestBody;
    std::vector<ProductRecord> catalogue;
    std::vector<ProductEntry> products;
    std::vector<std::string> purchases;
    std::array<CartItem, kCartSlots> cart{};
    int selectedIndex = 0;
    int productCount = 0;
    bool listPrepared = false;

    // Detail panel.
    SelectedProduct selected;
    int lastShownRow = -1;
    int panelRow = -1;  // the list row the detail panel read last
    bool multiFile = false;
    std::vector<FileEntry> fileEntries;
    int removeMode = 0;
    // While the list is being filled, its selection notifications do not
    // refresh the panel; the fill refreshes it once at the end.
    bool fillingList = false;

    // Cart and checkout.
    bool cartFilled = false;
    std::string productList;
    double subtotal = 0;
    std::string totalText;
    std::string checkoutReply;
    std::string summaryText;
    int checkoutOutcome = 0;

    // Downloads.
    std::string downloadFolder;
    DownloadState download;
    int downloadMode = 0;
    bool completedSeen = false;
    std::string fileReply;
    std::string downloadedFilePath;

    // Notifications.
    std::string notificationId;
    std::string notificationText;

    // Main window.
    bool notificationsChecked = false;
    std::string lastFileChoice;
    PictureRecord logoPicture;
    PictureRecord productPicture;
};

AgentState& state();

// Puts every field back to its initial value (waits for a running worker).
void resetAgentState();

}  // namespace orvane
