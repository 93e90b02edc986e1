#include "catalog/detail_panel.h"

#include <vector>

#include "app/agent_state.h"
#include "app/control_ids.h"
#include "app/panel_mode.h"
#include "catalog/purchases.h"
#include "commerce/cart.h"
#include "commerce/money.h"
#include "download/records.h"
#include "net/store_request.h"
#include "net/text.h"

namespace orvane {

namespace {

constexpr int kRowTextMax = 255;
constexpr std::size_t kPictureUrlMax = 99;
const char kSelectFilePrompt[] = "Select File...";
const char kSelectFileStatus[] = "File Status: Select a File...";

// Empties what a refresh rebuilds; the support address is replaced at the
// end, the coupon code belongs to the coupons, and the size text is only
// rebuilt for an owned product.
void emptySelected(SelectedProduct& p) {
    for (std::string* field : {&p.productId, &p.name, &p.files, &p.availableVersion, &p.fileSize, &p.cartCode,
                               &p.price, &p.orderNumber, &p.salePrice, &p.bundleOffer, &p.offerBundleId,
                               &p.offerBundleName, &p.offerBundlePrice, &p.offerBundleCartCode})
        field->clear();
}

// An owned product: the fields of its purchase record and its file choice.
// The record is taken whole, however long, so that the order number and the
// price at its end are never lost.
void showOwned(const std::string& record) {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;
    SelectedProduct& p = s.selected;

    std::vector<std::string> f = splitFields(record, '*');
    auto field = [&f](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
    p.productId = field(0);
    p.name = field(1);
    p.files = field(2);
    p.availableVersion = field(3);
    p.fileSize = field(4);
    p.cartCode = field(9);
    p.price = field(11);
    p.orderNumber = field(13);

    if (p.files.find('/') == std::string::npos) {
        p.fileSizeText = formatByteSize(p.fileSize);
        ui.enable(w, IDC_DOWNLOAD, true);
    } else {
        s.multiFile = true;
        p.fileSizeText.clear();
        s.fileEntries.clear();
        ui.comboClear(w, IDC_FILE_BOX);
        ui.comboAdd(w, IDC_FILE_BOX, kSelectFilePrompt);
        ui.enable(w, IDC_DOWNLOAD, false);
        // Every part keeps its place, even one without ":" (its name is the
        // whole part and its size unknown): the store numbers the files by
        // their position in this list when a download asks for one.
        for (const std::string& part : splitFields(p.files, '/')) {
            const std::size_t colon = part.find(':');
            FileEntry entry;
            entry.name = part.substr(0, colon);
            if (colon != std::string::npos) entry.size = part.substr(colon + 1);
            ui.comboAdd(w, IDC_FILE_BOX, entry.name);
            s.fileEntries.push_back(entry);
        }
        ui.comboSelect(w, IDC_FILE_BOX, 0);
        showStatusLine();
        ui.show(w, IDC_FILE_BOX, true);
    }

    setPanelMode(PanelMode::Library);
    ui.enable(w, IDC_CHECKOUT, cartCount() > 0);
    ui.setText(w, IDC_FILE_STATUS_MULTI, kSelectFileStatus);
    showStatusLine();
    if (!s.multiFile) refreshFileStatus();
}

// The offer shown with a product: "percent|offered id". Shown only when the
// offered product is listed and the discount is above 5 percent. An offer
// without "|" names no product and shows nothing.
void showOffer(const std::string& bundleOffer) {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;

    std::vector<std::string> parts = splitFields(bundleOffer, '|');
    const std::string& percentText = parts[0];
    const std::string offeredId = parts.size() > 1 ? parts[1] : std::string();
    const double percent = parseAmount(percentText);
    OfferLookup offer = offerPrice(offeredId, percent);
    if (offer.index < 0 || offeredId.empty() || !(percent > 5)) return;

    ui.setText(w, IDC_BUNDLE_PRICING, "Add " + offer.name + " to your cart for " + percentText + "% savings!");
    ui.show(w, IDC_BUNDLE_PRICING, true);
    SelectedProduct& p = s.selected;
    p.offerBundleId = offeredId;
    p.offerBundleName = offer.name;
    p.offerBundlePrice = offer.offerPrice;
    p.offerBundleCartCode.clear();
    for (const ProductEntry& entry : s.products) {
        if (entry.productId == offeredId) {
            p.offerBundleCartCode = entry.cartCode;
            break;
        }
    }
}

// A product the user does not own (or no one is logged in). Returns whether
// it is on sale.
bool showForSale(const ProductEntry& entry) {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;

    setPanelMode(PanelMode::Store);
    if (!s.welcomeShown) {
        for (int id : {IDC_APPLY_COUPON, IDC_ADD_TO_CART, IDC_CHECKOUT, IDC_BUNDLE_PRICING}) ui.enable(w, id, false);
    } else {
        ui.enable(w, IDC_BUNDLE_PRICING, true);
    }
    ui.enable(w, IDC_CHECKOUT, cartCount() > 0);
    ui.setText(w, IDC_FILE_STATUS, "File Status: Not downloaded");
    showStatusLine();

    SelectedProduct& p = s.selected;
    p.productId = entry.productId;
    p.name = entry.name;
    p.cartCode = entry.cartCode;
    p.price = entry.price;
    p.salePrice = entry.salePrice;
    p.bundleOffer = entry.bundleOffer;
    const bool onSale = !p.salePrice.empty() && parseAmount(p.salePrice) < parseAmount(p.price);

    // A bundle's own bundleOffer is its definition, not an offer; the bundle
    // prefix is recognised in any letter case, as the cart does.
    if (!p.bundleOffer.empty() && !isBundleId(p.productId)) showOffer(p.bundleOffer);
    return onSale;
}

// The product picture: fetched in plain mode and drawn at once. An address
// longer than 99 characters is not fetched (a cut address would name another
// file); the picture is then empty, as for one that cannot be fetched.
void showPicture(const ProductEntry& entry, bool legacy) {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const std::string url = legacy ? storeBase() + "/legacy.jpg"
                                : storeBase() + "/vendors/" + s.identity.vendorId + "/" + entry.productId +
                                      "/product_main.jpg";
    const std::string bytes = url.size() <= kPictureUrlMax ? fetchPlain(url) : std::string();
    ui.loadPicture(bytes, s.mainWindow, s.productPicture);
    s.productPicture.x = 0;
    s.productPicture.y = 0;
    ui.drawPicture(s.productPicture, s.mainWindow, IDC_PICTURE);
}

}  // namespace

OfferLookup offerPrice(const std::string& productId, double percent) {
    OfferLookup offer;
    const std::vector<ProductRecord>& catalogue = state().catalogue;
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const ProductRecord& record = catalogue[i];
        if (record.productId != productId || record.hidden != "No") continue;
        offer.index = static_cast<int>(i);
        offer.name = record.name;
        offer.price = record.price;
        offer.offerPrice =
            percent <= 0 ? record.price
                         : formatMoney(static_cast<double>(roundCents(parseAmount(record.price) * (100 - percent) / 100)));
        break;
    }
    return offer;
}

void refreshDetailPanel() {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;

    const int row = ui.listSelected(w, IDC_PRODUCT_LIST);
    if (row < 0) return;
    std::string text = ui.listText(w, IDC_PRODUCT_LIST, row, 0, kRowTextMax);
    s.panelRow = row;
    if (s.selectedIndex >= 0 && row == s.lastShownRow) return;
    s.lastShownRow = s.selectedIndex < 0 ? 0 : row;

    // Only a leading owned mark is dropped; "* " inside a name is kept.
    if (startsWith(text, "* ")) text.erase(0, 2);
    int index = -1;
    for (std::size_t i = 0; i < s.products.size(); ++i) {
        if (s.products[i].name == text) {
            index = static_cast<int>(i);
            break;
        }
    }
    // A row that names no product leaves the panel and the selected product
    // as they were, so that the buttons still act on what is shown.
    if (index < 0) return;

    emptySelected(s.selected);
    s.removeMode = 0;
    s.multiFile = false;
    s.fileEntries.clear();
    ui.check(w, IDC_BUNDLE_PRICING, false);
    ui.show(w, IDC_BUNDLE_PRICING, false);
    s.selectedIndex = index;
    const ProductEntry& entry = s.products[static_cast<std::size_t>(index)];

    ui.setText(w, IDC_PRODUCT_TITLE, text);
    ui.setText(w, IDC_FOLDER_TEXT, s.downloadFolder);
    ui.show(w, IDC_FILE_BOX, false);
    // The file box is refilled (or hidden) for every product: a file chosen
    // for the previous product must not make the same name look already
    // chosen for this one.
    s.lastFileChoice.clear();

    std::string record;
    bool onSale = false;
    std::string orderText;
    if (lookupPurchase(entry.productId, record) == 1) {
        showOwned(record);
        orderText = "Order Number: " + s.selected.orderNumber;
    } else {
        onSale = showForSale(entry);
    }

    ui.setText(w, IDC_ORDER_LINK, orderText);
    std::string caption;
    const int inCart = cartState(entry.productId);
    if (inCart == 1 || inCart == 2) {
        caption = "Remove ($";
        s.removeMode = 1;
    } else {
        caption = "Add to Cart ($";
    }
    ui.setText(w, IDC_PRODUCT_INFO, entry.summary);
    if (onSale) {
        caption += s.selected.salePrice;
        ui.setText(w, IDC_SALE_LINE, "This product is on sale! Now: $" + s.selected.salePrice + " (was $" +
                                          s.selected.price + ").");
    } else {
        caption += entry.price;
        ui.setText(w, IDC_SALE_LINE, "");
    }
    caption += ")";
    // A legacy product is only listed to its owners, so selected.price holds
    // the purchase's price, which the store may give as the amount once paid;
    // the catalogue's "legacy" keyword marks the product as well.
    const bool legacy = s.selected.price == "legacy" || entry.price == "legacy";
    if (legacy) caption = "Add to Cart";
    ui.setText(w, IDC_ADD_TO_CART, caption);
    s.selected.supportUrl = entry.supportUrl;
    showPicture(entry, legacy);
}

void chooseFile() {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;

    const int index = ui.comboSelected(w, IDC_FILE_BOX);
    if (index > 0) {
        // The whole entry: the chosen name becomes part of the file's path.
        s.selected.files = ui.comboItem(w, IDC_FILE_BOX, index);
        if (s.selected.files == s.lastFileChoice) return;
        s.lastFileChoice = s.selected.files;
        ui.enable(w, IDC_DOWNLOAD, true);
        ui.setText(w, IDC_PROGRESS_TEXT, "Download Progress");
        refreshFileStatus();
        return;
    }
    s.lastFileChoice.clear();
    ui.setText(w, IDC_FILE_STATUS_MULTI, kSelectFileStatus);
    ui.setText(w, IDC_PROGRESS_TEXT, "Download Progress");
    for (int id : {IDC_OPEN_FILE, IDC_DOWNLOAD, IDC_CANCEL_DOWNLOAD}) ui.enable(w, id, false);
    showStatusLine();
}

}  // namespace orvane
