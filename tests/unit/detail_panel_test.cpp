#include <string>
#include <vector>

#include "app/control_ids.h"
#include "catalog/detail_panel.h"
#include "commerce/cart.h"
#include "fakes.h"
#include "net/store_request.h"

namespace orvane::test {
namespace {

constexpr Window kMain = FakeUi::kMain;

class DetailPanelTest : public AgentTest {
protected:
    void SetUp() override {
        AgentTest::SetUp();
        makeStoreReady();
        AgentState& s = state();
        s.loggedIn = true;
        s.welcomeShown = true;
        s.downloadFolder = "C:\\Users\\demo\\AppData\\Roaming";
        // Every picture request answers with its own address, so the loaded
        // bytes tell which address was fetched.
        transport.responder = [](const FakeTransport::Request& r) { return "IMG " + r.url; };
    }

    // A listed product, in the raw catalogue and in the list copy.
    static void add(const std::string& id, const std::string& name, const std::string& price,
                    const std::string& sale = "", const std::string& offer = "", const std::string& hidden = "No",
                    const std::string& cartCode = "US") {
        ProductRecord r;
        r.productId = id;
        r.name = name;
        r.price = price;
        r.salePrice = sale;
        r.bundleOffer = offer;
        r.hidden = hidden;
        r.cartCode = cartCode;
        r.summary = "About " + name;
        r.supportUrl = "https://support.example/" + id;
        state().catalogue.push_back(r);
        state().products.push_back(ProductEntry::fromRecord(r));
    }
    // A purchase record: id, name, files, version, size, cart code, price, order number.
    static void own(const std::string& id, const std::string& name, const std::string& files,
                    const std::string& size = "1572864", const std::string& price = "29.99",
                    const std::string& order = "5551") {
        state().purchases.push_back(id + "*" + name + "*" + files + "*2.1*" + size + "*****UK**" + price + "**" +
                                    order);
    }
    void rows(const std::vector<std::string>& names) {
        auto& list = ui.at(kMain, IDC_PRODUCT_LIST);
        list.rows.clear();
        for (const std::string& n : names) list.rows.push_back({n, "Games", "$1"});
    }
    void select(int row) {
        ui.at(kMain, IDC_PRODUCT_LIST).selectedRow = row;
        refreshDetailPanel();
    }
    const std::string& text(int id) { return ui.text(kMain, id); }
    std::string lastPicture() { return ui.picturesLoaded.empty() ? "<none>" : ui.picturesLoaded.back(); }
};

TEST_F(DetailPanelTest, SaleRuleDecidesCaptionAndSaleLine) {
    struct Case {
        const char* price;
        const char* sale;
        const char* caption;
        const char* saleLine;
    } cases[] = {
        {"10.00", "7.50", "Add to Cart ($7.50)", "This product is on sale! Now: $7.50 (was $10.00)."},
        {"10.00", "12.00", "Add to Cart ($10.00)", ""},
        {"10.00", "10.00", "Add to Cart ($10.00)", ""},
        {"10.00", "", "Add to Cart ($10.00)", ""},
    };
    for (const Case& c : cases) {
        restart();
        add("p1", "Sky Pack", c.price, c.sale);
        rows({"Sky Pack"});
        ui.at(kMain, IDC_SALE_LINE).text = "stale";
        select(0);
        EXPECT_EQ(text(IDC_ADD_TO_CART), c.caption) << c.sale;
        EXPECT_EQ(text(IDC_SALE_LINE), c.saleLine) << c.sale;
        EXPECT_EQ(state().selected.price, c.price);
        EXPECT_EQ(state().selected.salePrice, c.sale);
        EXPECT_EQ(state().removeMode, 0);
    }
}

TEST_F(DetailPanelTest, ProductForSaleFillsThePanelInStoreMode) {
    add("p1", "Sky Pack", "10.00", "7.50", "", "No", "EU");
    rows({"Sky Pack"});
    ui.at(kMain, IDC_BUNDLE_PRICING).checked = true;
    state().selected.fileSizeText = "kept";
    state().selected.couponCode = "CPN";
    select(0);
    const SelectedProduct& p = state().selected;
    EXPECT_EQ(state().selectedIndex, 0);
    EXPECT_EQ(p.productId, "p1");
    EXPECT_EQ(p.name, "Sky Pack");
    EXPECT_EQ(p.cartCode, "EU");
    EXPECT_EQ(p.files + p.orderNumber + p.availableVersion, "");
    EXPECT_EQ(p.supportUrl, "https://support.example/p1");
    EXPECT_EQ(p.fileSizeText, "kept") << "only an owned product rebuilds the size text";
    EXPECT_EQ(p.couponCode, "CPN") << "the coupon code belongs to the coupons";
    EXPECT_EQ(text(IDC_PRODUCT_TITLE), "Sky Pack");
    EXPECT_EQ(text(IDC_PRODUCT_INFO), "About Sky Pack");
    EXPECT_EQ(text(IDC_FOLDER_TEXT), "C:\\Users\\demo\\AppData\\Roaming");
    EXPECT_EQ(text(IDC_ORDER_LINK), "");
    EXPECT_EQ(text(IDC_FILE_STATUS), "File Status: Not downloaded");
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_BOX));
    EXPECT_FALSE(ui.visible(kMain, IDC_BUNDLE_PRICING));
    EXPECT_FALSE(ui.at(kMain, IDC_BUNDLE_PRICING).checked);
    EXPECT_TRUE(ui.enabled(kMain, IDC_ADD_TO_CART));
    EXPECT_TRUE(ui.enabled(kMain, IDC_APPLY_COUPON));
    EXPECT_TRUE(ui.enabled(kMain, IDC_BUNDLE_PRICING));
    EXPECT_FALSE(ui.enabled(kMain, IDC_CHECKOUT)) << "the cart is empty";
    EXPECT_FALSE(ui.enabled(kMain, IDC_DOWNLOAD));
}

TEST_F(DetailPanelTest, WithoutWelcomeTheBuyControlsAreDisabledButThePriceShows) {
    add("p1", "Sky Pack", "10.00", "7.50");
    rows({"Sky Pack"});
    state().welcomeShown = false;
    state().loggedIn = false;
    select(0);
    for (int id : {IDC_APPLY_COUPON, IDC_ADD_TO_CART, IDC_CHECKOUT, IDC_BUNDLE_PRICING})
        EXPECT_FALSE(ui.enabled(kMain, id)) << id;
    EXPECT_EQ(text(IDC_ADD_TO_CART), "Add to Cart ($7.50)");
    EXPECT_EQ(text(IDC_SALE_LINE), "This product is on sale! Now: $7.50 (was $10.00).");
}

TEST_F(DetailPanelTest, CheckoutFollowsTheCartCount) {
    add("p1", "Sky Pack", "10.00");
    add("p2", "Sea Pack", "10.00");
    rows({"Sky Pack", "Sea Pack"});
    state().welcomeShown = false;  // Checkout is still enabled by the cart
    cartAdd("p2xx", "Other", "1.00", "", "US", "");
    select(0);
    EXPECT_TRUE(ui.enabled(kMain, IDC_CHECKOUT));
}

TEST_F(DetailPanelTest, ProductInTheCartOffersRemove) {
    struct Case {
        const char* linked;
        bool inCart;
        const char* caption;
        int removeMode;
    } cases[] = {
        {"", true, "Remove ($7.50)", 1},
        {"bndl-y", true, "Remove ($7.50)", 1},
        {"", false, "Add to Cart ($7.50)", 0},
    };
    for (const Case& c : cases) {
        restart();
        add("prod1", "Sky Pack", "10.00", "7.50");
        rows({"Sky Pack"});
        if (c.inCart) {
            ASSERT_EQ(cartAdd("prod1", "Sky Pack", "7.50", "", "US", c.linked), kCartAdded);
        }
        select(0);
        EXPECT_EQ(text(IDC_ADD_TO_CART), c.caption) << c.linked;
        EXPECT_EQ(state().removeMode, c.removeMode);
    }
}

TEST_F(DetailPanelTest, RowTextFindsTheProductByItsFullName) {
    add("p1", "Sky", "1.00");
    add("p2", "Sky * Pack", "2.00");
    add("p3", "* Star", "3.00");
    own("p3", "* Star", "star.exe");
    struct Case {
        const char* row;
        int index;
        const char* title;
    } cases[] = {
        {"Sky * Pack", 1, "Sky * Pack"},
        {"* Sky * Pack", 1, "Sky * Pack"},  // only the leading owned mark is dropped
        {"* * Star", 2, "* Star"},
        {"Sky", 0, "Sky"},
    };
    for (const Case& c : cases) {
        state().lastShownRow = -1;
        rows({c.row});
        select(0);
        EXPECT_EQ(state().selectedIndex, c.index) << c.row;
        EXPECT_EQ(text(IDC_PRODUCT_TITLE), c.title) << c.row;
    }
}

TEST_F(DetailPanelTest, TheRowAlreadyShownIsNotShownAgainUntilTheListIsRebuilt) {
    add("p1", "Sky Pack", "10.00");
    add("p2", "Sea Pack", "10.00");
    rows({"Sky Pack", "Sea Pack"});
    select(1);
    EXPECT_EQ(transport.requests.size(), 1u);
    EXPECT_EQ(state().lastShownRow, 1);
    select(1);
    EXPECT_EQ(transport.requests.size(), 1u) << "nothing is refreshed";
    state().lastShownRow = -1;  // the list was rebuilt
    select(1);
    EXPECT_EQ(transport.requests.size(), 2u);
    state().selectedIndex = -1;  // after logout the same row is shown again
    select(1);
    EXPECT_EQ(transport.requests.size(), 3u);
    EXPECT_EQ(state().selectedIndex, 1);
}

TEST_F(DetailPanelTest, NoSelectionOrAnUnknownRowKeepsWhatIsShown) {
    add("p1", "Sky Pack", "10.00", "", "10|bndl-x");
    add("bndl-x", "Mega Bundle", "20.00");
    rows({"Sky Pack", "Gone Pack"});
    select(0);
    ASSERT_TRUE(ui.visible(kMain, IDC_BUNDLE_PRICING));
    const std::size_t requests = transport.requests.size();

    select(-1);
    select(1);
    EXPECT_EQ(state().selectedIndex, 0);
    EXPECT_EQ(state().selected.productId, "p1") << "the buttons still act on the product shown";
    EXPECT_EQ(state().selected.offerBundleId, "bndl-x");
    EXPECT_EQ(text(IDC_PRODUCT_TITLE), "Sky Pack");
    EXPECT_TRUE(ui.visible(kMain, IDC_BUNDLE_PRICING));
    EXPECT_EQ(transport.requests.size(), requests);
}

TEST_F(DetailPanelTest, BundleOfferAboveFivePercentOnly) {
    struct Case {
        const char* productId;
        const char* offer;
        bool shown;
    } cases[] = {
        {"p1", "10|bndl-x", true},
        {"p1", "5|bndl-x", false},
        {"p1", "5.5|bndl-x", true},
        {"p1", "0|bndl-x", false},
        {"p1", "10|bndl-nothere", false},
        {"p1", "10|bndl-x,bndl-y", false},  // an id list matches no record
        {"p1", "10|bndl-hidden", false},
        {"p1", "10|", false},
        {"p1", "10", false},  // no "|": no offered product
        {"p1", "", false},
        {"bndl-z", "10|bndl-x", false},  // a bundle's own definition is no offer
        {"BNDL-z", "10|bndl-x", false},
    };
    for (const Case& c : cases) {
        restart();
        add(c.productId, "Sky Pack", "10.00", "", c.offer);
        add("bndl-x", "Mega Bundle", "20.00", "", "", "No", "EU");
        add("bndl-y", "Other Bundle", "20.00");
        add("bndl-hidden", "Hidden Bundle", "20.00", "", "", "Yes");
        rows({"Sky Pack"});
        select(0);
        const SelectedProduct& p = state().selected;
        EXPECT_EQ(p.bundleOffer, c.offer);
        EXPECT_EQ(ui.visible(kMain, IDC_BUNDLE_PRICING), c.shown) << c.productId << " " << c.offer;
        if (c.shown) {
            const std::string percent = std::string(c.offer).substr(0, std::string(c.offer).find('|'));
            EXPECT_EQ(text(IDC_BUNDLE_PRICING), "Add Mega Bundle to your cart for " + percent + "% savings!");
            EXPECT_EQ(p.offerBundleId, "bndl-x");
            EXPECT_EQ(p.offerBundleName, "Mega Bundle");
            EXPECT_EQ(p.offerBundleCartCode, "EU");
        } else {
            EXPECT_EQ(p.offerBundleId + p.offerBundleName + p.offerBundlePrice + p.offerBundleCartCode, "")
                << c.offer;
        }
    }
}

TEST_F(DetailPanelTest, OfferOfTenPercentOnTwentyCostsEighteen) {
    add("p1", "Sky Pack", "10.00", "", "10|bndl-x");
    add("bndl-x", "Mega Bundle", "20.00");
    rows({"Sky Pack"});
    select(0);
    EXPECT_EQ(state().selected.offerBundlePrice, "18.00");
}

TEST_F(DetailPanelTest, OfferPriceReadsTheRawCatalogue) {
    add("other", "Other", "1.00");
    add("bndl-x", "Hidden X", "50.00", "", "", "Yes");
    add("bndl-x", "Mega Bundle", "20.00");
    add("bndl-x", "Later X", "40.00");
    state().products[2].price = "5.00";  // a coupon price in the list copy is not used
    struct Case {
        const char* id;
        double percent;
        int index;
        const char* name;
        const char* offer;
    } cases[] = {
        {"bndl-x", 10, 2, "Mega Bundle", "18.00"},
        {"bndl-x", 0, 2, "Mega Bundle", "20.00"},
        {"bndl-x", -5, 2, "Mega Bundle", "20.00"},
        {"bndl-x", 33.3, 2, "Mega Bundle", "13.34"},
        {"bndl-y", 10, -1, "", ""},
        {"", 10, -1, "", ""},
    };
    for (const Case& c : cases) {
        OfferLookup o = offerPrice(c.id, c.percent);
        EXPECT_EQ(o.index, c.index) << c.id << " " << c.percent;
        EXPECT_EQ(o.name, c.name);
        EXPECT_EQ(o.offerPrice, c.offer) << c.percent;
        if (c.index >= 0) {
            EXPECT_EQ(o.price, "20.00");
        }
    }
    EXPECT_EQ(offerPrice("bndl-x", 0).offerPrice, "20.00");
}

TEST_F(DetailPanelTest, OwnedSingleFileProduct) {
    add("p1", "Sky Pack", "10.00", "7.50", "10|bndl-x");
    add("bndl-x", "Mega Bundle", "20.00");
    own("P1", "Sky Pack", "setup.exe", "1572864", "29.99", "5551");
    rows({"* Sky Pack"});
    ui.at(kMain, IDC_DOWNLOAD).enabled = false;
    select(0);
    const SelectedProduct& p = state().selected;
    EXPECT_EQ(p.productId, "P1") << "the purchase record's own text";
    EXPECT_EQ(p.files, "setup.exe");
    EXPECT_EQ(p.availableVersion, "2.1");
    EXPECT_EQ(p.fileSize, "1572864");
    EXPECT_EQ(p.fileSizeText, "1.50 MB");
    EXPECT_EQ(p.cartCode, "UK");
    EXPECT_EQ(p.price, "29.99");
    EXPECT_EQ(p.orderNumber, "5551");
    EXPECT_EQ(p.salePrice + p.bundleOffer + p.offerBundleId, "") << "no sale and no offer for an owned product";
    EXPECT_FALSE(state().multiFile);
    EXPECT_TRUE(ui.enabled(kMain, IDC_DOWNLOAD));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_BOX));
    EXPECT_FALSE(ui.visible(kMain, IDC_BUNDLE_PRICING));
    EXPECT_EQ(text(IDC_ORDER_LINK), "Order Number: 5551");
    EXPECT_TRUE(ui.enabled(kMain, IDC_ORDER_LINK)) << "library mode";
    EXPECT_FALSE(ui.enabled(kMain, IDC_ADD_TO_CART));
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "File Status: Select a File...");
    EXPECT_EQ(text(IDC_FILE_STATUS),
              "File: setup.exe\r\nFile Size: 1.50 MB\r\nAvailable Version: 2.1\r\nStatus: Not Downloaded");
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    EXPECT_EQ(text(IDC_ADD_TO_CART), "Add to Cart ($10.00)") << "the list price, not the sale price";
    EXPECT_EQ(text(IDC_SALE_LINE), "");
}

TEST_F(DetailPanelTest, OwnedProductWithSeveralFiles) {
    add("p1", "Sky Pack", "10.00");
    own("p1", "Sky Pack", "A:100/B:200");
    rows({"* Sky Pack"});
    state().lastFileChoice = "A";  // chosen for the product shown before
    select(0);
    EXPECT_TRUE(state().multiFile);
    EXPECT_EQ(ui.at(kMain, IDC_FILE_BOX).items, (std::vector<std::string>{"Select File...", "A", "B"}));
    EXPECT_EQ(ui.comboSelected(kMain, IDC_FILE_BOX), 0);
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_BOX));
    ASSERT_EQ(state().fileEntries.size(), 2u);
    EXPECT_EQ(state().fileEntries[0].name, "A");
    EXPECT_EQ(state().fileEntries[0].size, "100");
    EXPECT_EQ(state().fileEntries[1].name, "B");
    EXPECT_EQ(state().fileEntries[1].size, "200");
    EXPECT_EQ(state().selected.fileSizeText, "");
    EXPECT_FALSE(ui.enabled(kMain, IDC_DOWNLOAD));
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "File Status: Select a File...");
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    EXPECT_FALSE(ui.visible(kMain, IDC_FILE_STATUS));
    EXPECT_EQ(state().downloadedFilePath, "") << "no file status before a file is chosen";

    // Choosing A now is a new choice for this product.
    ui.comboSelect(kMain, IDC_FILE_BOX, 1);
    chooseFile();
    EXPECT_TRUE(ui.enabled(kMain, IDC_DOWNLOAD));
    EXPECT_EQ(state().selected.fileSizeText, "100 bytes");
}

TEST_F(DetailPanelTest, FileEntriesKeepTheirPlacesEvenWithoutASize) {
    add("p1", "Sky Pack", "10.00");
    own("p1", "Sky Pack", "A:100/readme.txt/B:200:x");
    rows({"* Sky Pack"});
    select(0);
    EXPECT_EQ(ui.at(kMain, IDC_FILE_BOX).items,
              (std::vector<std::string>{"Select File...", "A", "readme.txt", "B"}));
    ASSERT_EQ(state().fileEntries.size(), 3u);
    EXPECT_EQ(state().fileEntries[1].name, "readme.txt");
    EXPECT_EQ(state().fileEntries[1].size, "");
    EXPECT_EQ(state().fileEntries[2].size, "200:x") << "the text after the first colon";

    ui.comboSelect(kMain, IDC_FILE_BOX, 2);
    chooseFile();
    EXPECT_EQ(state().selected.files, "readme.txt");
    EXPECT_EQ(state().selected.fileSizeText, "") << "an unknown size is not shown as 0 bytes";
}

TEST_F(DetailPanelTest, LongPurchaseRecordIsTakenWhole) {
    add("p1", "Sky Pack", "10.00");
    const std::string files = std::string(120, 'f') + ".exe";
    own("p1", "Sky Pack with a rather long title to go past the usual size", files, "1024", "29.99", "ORDER-77");
    ASSERT_GT(state().purchases[0].size(), 199u);
    rows({"* Sky Pack"});
    select(0);
    EXPECT_EQ(state().selected.files, files);
    EXPECT_EQ(state().selected.price, "29.99");
    EXPECT_EQ(text(IDC_ORDER_LINK), "Order Number: ORDER-77");
}

TEST_F(DetailPanelTest, PictureIsFetchedInPlainModeAndDrawnAtOnce) {
    add("p1", "Sky Pack", "10.00");
    rows({"Sky Pack"});
    state().productPicture.x = 7;
    select(0);
    const std::string url = storeBase() + "/vendors/tolstd/p1/product_main.jpg";
    ASSERT_EQ(transport.requests.size(), 1u);
    EXPECT_FALSE(transport.requests[0].secure);
    EXPECT_EQ(transport.requests[0].url, url);
    EXPECT_EQ(lastPicture(), "IMG " + url);
    EXPECT_EQ(state().productPicture.owner, kMain);
    EXPECT_EQ(state().productPicture.x, 0);
    EXPECT_EQ(state().productPicture.y, 0);
    ASSERT_EQ(ui.picturesDrawn.size(), 1u);
    EXPECT_EQ(ui.picturesDrawn[0], (std::pair<Window, int>{kMain, IDC_PICTURE}));
}

TEST_F(DetailPanelTest, LegacyProductUsesTheCommonPictureAndAPlainCaption) {
    // The purchase may carry "legacy" or the amount once paid as its price.
    for (const char* ownedPrice : {"legacy", "29.00"}) {
        restart();
        add("old1", "Old Game", "legacy");
        own("old1", "Old Game", "old.exe", "1024", ownedPrice);
        rows({"* Old Game"});
        select(0);
        EXPECT_EQ(text(IDC_ADD_TO_CART), "Add to Cart") << ownedPrice;
        EXPECT_EQ(lastPicture(), "IMG " + storeBase() + "/legacy.jpg") << ownedPrice;
        EXPECT_EQ(state().selected.price, ownedPrice);
    }
}

TEST_F(DetailPanelTest, OverlongPictureAddressIsNotFetched) {
    const std::string id(70, 'q');
    add(id, "Long Id", "10.00");
    state().products[0].productId = id;  // the list copy keeps only 20 characters otherwise
    rows({"Long Id"});
    state().productPicture.width = 50;
    select(0);
    EXPECT_TRUE(transport.requests.empty());
    EXPECT_EQ(lastPicture(), "") << "an empty picture replaces the previous one";
    EXPECT_EQ(state().productPicture.width, 0);
    EXPECT_EQ(ui.picturesDrawn.size(), 1u);
}

class FileBoxTest : public DetailPanelTest {
protected:
    void SetUp() override {
        DetailPanelTest::SetUp();
        add("p1", "Sky Pack", "10.00");
        own("p1", "Sky Pack", "A:100/B:2048");
        rows({"* Sky Pack"});
        select(0);
    }
    void choose(int index) {
        ui.comboSelect(kMain, IDC_FILE_BOX, index);
        chooseFile();
    }
};

TEST_F(FileBoxTest, ChoosingAFileEnablesDownloadAndShowsItsStatus) {
    ui.at(kMain, IDC_PROGRESS_TEXT).text = "Download Completed";
    choose(2);
    EXPECT_EQ(state().selected.files, "B");
    EXPECT_EQ(state().lastFileChoice, "B");
    EXPECT_TRUE(ui.enabled(kMain, IDC_DOWNLOAD));
    EXPECT_EQ(text(IDC_PROGRESS_TEXT), "Download Progress");
    EXPECT_EQ(state().selected.fileSize, "2048");
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "File Size: 2.00 KB\r\nAvailable Version: 2.1\r\nStatus: Not Downloaded");
}

TEST_F(FileBoxTest, SameFileTwiceDoesNothing) {
    choose(1);
    ui.at(kMain, IDC_FILE_STATUS_MULTI).text = "marker";
    ui.at(kMain, IDC_DOWNLOAD).enabled = false;
    choose(1);
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "marker");
    EXPECT_FALSE(ui.enabled(kMain, IDC_DOWNLOAD));
    choose(2);
    EXPECT_NE(text(IDC_FILE_STATUS_MULTI), "marker");
}

TEST_F(FileBoxTest, ThePromptEntryDisablesTheDownloadButtons) {
    choose(1);
    for (int id : {IDC_DOWNLOAD, IDC_CANCEL_DOWNLOAD, IDC_OPEN_FILE}) ui.at(kMain, id).enabled = true;
    ui.at(kMain, IDC_PROGRESS_TEXT).text = "Download Canceled";
    choose(0);
    for (int id : {IDC_DOWNLOAD, IDC_CANCEL_DOWNLOAD, IDC_OPEN_FILE}) EXPECT_FALSE(ui.enabled(kMain, id)) << id;
    EXPECT_EQ(state().lastFileChoice, "");
    EXPECT_EQ(text(IDC_FILE_STATUS_MULTI), "File Status: Select a File...");
    EXPECT_EQ(text(IDC_PROGRESS_TEXT), "Download Progress");
    EXPECT_TRUE(ui.visible(kMain, IDC_FILE_STATUS_MULTI));
    choose(1);
    EXPECT_TRUE(ui.enabled(kMain, IDC_DOWNLOAD)) << "after the prompt the same file counts again";
}

}  // namespace
}  // namespace orvane::test
