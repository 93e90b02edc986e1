#include "catalog/store_startup.h"

#include "account/login.h"
#include "account/remembered_login.h"
#include "app/agent_state.h"
#include "app/control_ids.h"
#include "app/panel_mode.h"
#include "app/settings.h"
#include "catalog/catalogue.h"
#include "catalog/product_list.h"
#include "commerce/cart.h"
#include "net/text.h"

namespace orvane {

namespace {

// The store this program serves, as fixed arrays (zero-padded).
const char kVendorName[34] = "Tollan Studios";
const char kVendorId[6] = {'t', 'o', 'l', 's', 't', 'd'};
const char kVendorPassword[8] = {'m', '2', 'q', 'd', '8', 'v', '6', '1'};

constexpr unsigned kExclamation = 0x30;

}  // namespace

std::string identityText(const char* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != '\0') text += bytes[i];
    return text;
}

int vendorLogin(const std::string& vendorName, const std::string& vendorId, const std::string& vendorPassword) {
    AgentState& s = state();
    if (vendorName.empty() || vendorId.size() < 6 || vendorPassword.empty()) return -1;
    try {
        s.vendorParams = "&vendor=" + formEncode(vendorName) + "&vendorid=" + vendorId + "&vendorpwd=" +
                         vendorPassword + "&channel=" + "0";
        if (!usableCredentials(s.email, s.password)) readRememberedLogin();
        s.currencySymbol = "$";
        if (!s.storeReady) cartClear();
        s.storeReady = true;
        return 1;
    } catch (...) {
        return 0;
    }
}

void runStoreStartup() {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;

    s.identity.vendorName = identityText(kVendorName, sizeof kVendorName);
    s.identity.vendorId = identityText(kVendorId, sizeof kVendorId);
    s.identity.vendorPassword = identityText(kVendorPassword, sizeof kVendorPassword);

    if (vendorLogin(s.identity.vendorName, s.identity.vendorId, s.identity.vendorPassword) != 1) {
        ui.messageBox(0, "Error: Could not initialize cart.", nullptr, kExclamation, nullptr);
        ui.postQuit(0);
        return;
    }

    if (!refreshLogin()) {
        ui.messageBox(w,
                      "We could not log you into your Orvane account. Please select the Login option in the main "
                      "screen.",
                      nullptr, kExclamation, nullptr);
        ui.enable(w, IDC_LOGIN, true);
        for (int id : {IDC_LOGOUT, IDC_EDIT_ACCOUNT, IDC_APPLY_COUPON, IDC_ADD_TO_CART}) ui.enable(w, id, false);
    }

    std::string folder;
    readSetting("FolderPath", folder);
    s.downloadFolder = !folder.empty() ? folder : ui.appDataFolder();

    s.productCount = fetchCatalogue();
    if (s.productCount == -2) {
        ui.messageBox(w,
                      "You are using an outdated version of this application. Please get the latest version and try "
                      "again.",
                      "New Version Required", kExclamation, nullptr);
        ui.postQuit(0);
        return;
    }
    if (s.productCount == -3) {
        ui.messageBox(w,
                      "There are currently no products configured for the selected store, or the store may be "
                      "disabled.",
                      "No Products Available", kExclamation, nullptr);
        ui.postQuit(0);
        return;
    }
    if (s.productCount == 0) {
        setPanelMode(PanelMode::Store);
        for (int id : {IDC_APPLY_COUPON, IDC_ADD_TO_CART, IDC_PRODUCT_SUPPORT, IDC_PRODUCT_TITLE, IDC_PRODUCT_INFO})
            ui.enable(w, id, false);
    }

    ui.setTitle(w, cutTo("Orvane Tamo-Agent for " + s.identity.vendorName + s.versionText, 199));

    s.products.clear();

    if (!s.listPrepared) {
        for (const char* fixed : {"All Categories", "My Library", "------"}) ui.comboAdd(w, IDC_CATEGORY_BOX, fixed);
    }
    ui.comboSelect(w, IDC_CATEGORY_BOX, 0);

    ui.listClear(w, IDC_PRODUCT_LIST);
    if (!s.listPrepared) {
        ui.listSetExtendedStyle(w, IDC_PRODUCT_LIST, 0x21);
        ui.listAddColumn(w, IDC_PRODUCT_LIST, "Product", 380);
        ui.listAddColumn(w, IDC_PRODUCT_LIST, "Category", 98);
        ui.listAddColumn(w, IDC_PRODUCT_LIST, "Price", 62);
    }

    for (int i = 0; i < s.productCount && i < static_cast<int>(s.catalogue.size()); ++i)
        s.products.push_back(ProductEntry::fromRecord(s.catalogue[i]));

    fillProductList("");

    if (s.productCount < 1) {
        setPanelMode(PanelMode::Store);
        ui.show(w, IDC_BUNDLE_PRICING, false);
        for (int id : {IDC_APPLY_COUPON, IDC_ADD_TO_CART, IDC_CHECKOUT}) ui.enable(w, id, false);
    }

    // The fill selected and showed the first row; the list keeps the focus.
    ui.focus(w, IDC_PRODUCT_LIST);
    ui.listSelect(w, IDC_PRODUCT_LIST, 0);
    s.listPrepared = true;
}

}  // namespace orvane
