#include "catalog/store_startup.h"

#include "account/login.h"
#include "account/remembered_login.h"
#include "app/control_ids.h"
#include "app/main_window.h"
#include "catalog/product_list.h"
#include "fakes.h"
#include "net/text.h"
#include "orvane_config.h"
#include "store_replies.h"

namespace orvane::test {

namespace {

constexpr Window W = FakeUi::kMain;

// A store answering the catalogue, purchases and picture requests, with the
// list view's item-changed notification wired to the main window as in the
// program.
class StoreTest : public AgentTest {
protected:
    std::vector<ProductRow> rows;
    std::map<std::string, std::string> accounts;  // e-mail -> purchases reply
    std::string catalogueOverride;
    bool networkDown = false;

    void SetUp() override {
        AgentTest::SetUp();
        accounts["demo@orvane.test"] =
            purchasesReply("Dana Demo", {purchaseRecord("own1", "Owned One"), purchaseRecord("LEG1", "Old Classic")});
        accounts["empty@orvane.test"] = "Error: 2*Erin Empty*x*0.0700*1";
        transport.responder = [this](const FakeTransport::Request& r) -> std::string {
            if (networkDown) return {};
            if (startsWith(r.body, "action=catalog"))
                return catalogueOverride.empty() ? catalogueReply(rows) : catalogueOverride;
            if (startsWith(r.body, "action=getpurchases")) {
                for (const auto& [email, reply] : accounts)
                    if (r.body.find("&email=" + email + "&password=") != std::string::npos &&
                        r.body.find("&password=demopass1&") != std::string::npos)
                        return reply;
                return "Error:1";
            }
            if (r.url.find(".jpg") != std::string::npos || r.url.find(".png") != std::string::npos) return "IMG";
            return {};
        };
        ui.onListItemChanged = [](Window, int id) { mainWindowNotify(id, kLvnItemChanged); };
    }

    void remember(const std::string& email, const std::string& password) {
        settings.values["email"] = email;
        settings.values["password"] = scramblePassword(password);
    }

    // The login dialog answered by typing credentials and pressing Login.
    void loginDialogTypes(const std::string& email, const std::string& password) {
        ui.dialogScripts[IDD_LOGIN] = [this, email, password](Window d, DialogLogic& logic) {
            ui.setText(d, IDC_LOGIN_EMAIL, email);
            ui.setText(d, IDC_LOGIN_PASSWORD, password);
            logic.onCommand(d, IDC_LOGIN_OK, kBnClicked);
            return 0;
        };
    }

    void loginDialogCancels() {
        ui.dialogScripts[IDD_LOGIN] = [](Window d, DialogLogic& logic) {
            logic.onCommand(d, IDC_LOGIN_CANCEL, kBnClicked);
            return 0;
        };
    }

    std::vector<std::string> column(int c) {
        std::vector<std::string> texts;
        for (const auto& r : ui.at(W, IDC_PRODUCT_LIST).rows) texts.push_back(r[c]);
        return texts;
    }
    int pictureRequests() {
        int n = 0;
        for (const auto& r : transport.requests)
            if (r.url.find(".jpg") != std::string::npos) ++n;
        return n;
    }
    const char* kCouldNotLogIn =
        "We could not log you into your Orvane account. Please select the Login option in the main screen.";
};

ProductRow row(const std::string& id, const std::string& name, const std::string& price = "19.99",
               const std::string& categories = "Games") {
    ProductRow r;
    r.id = id;
    r.name = name;
    r.price = price;
    r.categories = categories;
    return r;
}

}  // namespace

TEST_F(StoreTest, FirstRunTitlesTheWindowAndPreparesTheListOnce) {
    rows = {row("p1", "Puzzle Box")};
    loginDialogCancels();
    runStoreStartup();
    runStoreStartup();
    EXPECT_EQ(ui.titles[W], "Orvane Tamo-Agent for Tollan Studios (Version 2.0.2.9");
    auto& list = ui.at(W, IDC_PRODUCT_LIST);
    ASSERT_EQ(list.columns.size(), 3u);
    EXPECT_EQ(list.columns[0], (std::pair<std::string, int>{"Product", 380}));
    EXPECT_EQ(list.columns[2], (std::pair<std::string, int>{"Price", 62}));
    EXPECT_EQ(list.extendedStyle, 0x21u);
    EXPECT_EQ(ui.at(W, IDC_CATEGORY_BOX).items,
              (std::vector<std::string>{"All Categories", "My Library", "------", "Games"}));
    EXPECT_EQ(ui.at(W, IDC_CATEGORY_BOX).selectedItem, 0);
    EXPECT_EQ(state().vendorParams, "&vendor=Tollan+Studios&vendorid=tolstd&vendorpwd=m2qd8v61&channel=0");
}

TEST_F(StoreTest, IdentityTextDropsEveryZeroByte) {
    const char name[34] = "Tollan Studios";
    const char joined[8] = {'a', 'b', '\0', 'c', 'd', '\0', '\0', 'e'};
    EXPECT_EQ(identityText(name, sizeof name), "Tollan Studios");
    EXPECT_EQ(identityText(joined, sizeof joined), "abcde");
}

TEST_F(StoreTest, VendorLoginChecksItsArguments) {
    EXPECT_EQ(vendorLogin("Tollan Studios", "tolst", "pw"), -1);
    EXPECT_EQ(vendorLogin("", "tolstd", "pw"), -1);
    EXPECT_EQ(vendorLogin("Tollan Studios", "tolstd", ""), -1);
    EXPECT_FALSE(state().storeReady);
    state().cart[3].productId = "stale";
    EXPECT_EQ(vendorLogin("Tollan Studios", "tolstd", "pw"), 1);
    EXPECT_TRUE(state().storeReady);
    EXPECT_EQ(state().currencySymbol, "$");
    EXPECT_EQ(state().cart[3].productId, "");  // the first login empties the cart
    state().cart[3].productId = "kept";
    vendorLogin("Tollan Studios", "tolstd", "pw");
    EXPECT_EQ(state().cart[3].productId, "kept");
    EXPECT_TRUE(transport.requests.empty());
}

TEST_F(StoreTest, RememberedLoginLogsInWithoutTheDialog) {
    rows = {row("p1", "Puzzle Box"), row("own1", "Owned One")};
    remember("demo@orvane.test", "demopass1");
    runStoreStartup();
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_TRUE(state().loggedIn);
    EXPECT_EQ(ui.text(W, IDC_LOGIN_HEADER), "Welcome Dana Demo");
    EXPECT_FALSE(ui.enabled(W, IDC_LOGIN));
    EXPECT_TRUE(ui.enabled(W, IDC_LOGOUT));
    EXPECT_TRUE(ui.enabled(W, IDC_EDIT_ACCOUNT));
    EXPECT_EQ(state().loginEmail, "demo@orvane.test");
    EXPECT_EQ(column(0), (std::vector<std::string>{"* Owned One", "Puzzle Box"}));
}

TEST_F(StoreTest, ShortRememberedValuesOpenTheLoginDialog) {
    rows = {row("p1", "Puzzle Box")};
    struct Case {
        std::string email, password;
    } cases[] = {{"a@b.c", "demopass1"}, {"demo@orvane.test", "demopa1"}};
    for (const Case& c : cases) {
        remember(c.email, c.password);
        ui.dialogs.clear();
        ui.boxes.clear();
        loginDialogCancels();
        runStoreStartup();
        ASSERT_EQ(ui.dialogs.size(), 1u) << c.email;
        EXPECT_EQ(ui.dialogs[0].templateId, IDD_LOGIN);
        EXPECT_EQ(ui.text(W, IDC_LOGIN_HEADER), "You are not logged in.");
        EXPECT_EQ(ui.boxCount(kCouldNotLogIn), 1);
        for (const auto& r : transport.requests) EXPECT_FALSE(startsWith(r.body, "action=getpurchases"));
    }
}

TEST_F(StoreTest, LoginDialogWithStayLoggedInRemembersThePassword) {
    rows = {row("own1", "Owned One")};
    loginDialogTypes("demo@orvane.test", "demopass1");
    runStoreStartup();
    EXPECT_TRUE(state().loggedIn);
    EXPECT_EQ(settings.values["email"], "demo@orvane.test");
    EXPECT_EQ(settings.values["password"], scramblePassword("demopass1"));
    EXPECT_EQ(ui.text(W, IDC_LOGIN_HEADER), "Welcome Dana Demo");
    EXPECT_EQ(ui.boxCount(kCouldNotLogIn), 0);
}

TEST_F(StoreTest, ARejectedRememberedLoginIsForgotten) {
    rows = {row("p1", "Puzzle Box")};
    remember("demo@orvane.test", "wrongpass1");
    loginDialogCancels();
    runStoreStartup();
    EXPECT_EQ(settings.values.count("email"), 0u);
    EXPECT_EQ(settings.values.count("password"), 0u);
    EXPECT_EQ(ui.dialogs.size(), 1u);
    EXPECT_FALSE(state().loggedIn);
}

TEST_F(StoreTest, AWrongPasswordInTheDialogSaysInvalidLoginAndStaysOpen) {
    rows = {row("p1", "Puzzle Box")};
    ui.dialogScripts[IDD_LOGIN] = [this](Window d, DialogLogic& logic) {
        ui.setText(d, IDC_LOGIN_EMAIL, "demo@orvane.test");
        ui.setText(d, IDC_LOGIN_PASSWORD, "wrongpass1");
        logic.onCommand(d, IDC_LOGIN_OK, kBnClicked);
        EXPECT_EQ(ui.endedDialogs.count(d), 0u);  // still open
        ui.setText(d, IDC_LOGIN_PASSWORD, "short");
        logic.onCommand(d, IDC_LOGIN_OK, kBnClicked);
        logic.onCommand(d, IDC_LOGIN_CANCEL, kBnClicked);
        return 0;
    };
    runStoreStartup();
    ASSERT_GE(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].caption, "Invalid Login");
    EXPECT_EQ(ui.boxes[0].style, 0x30u);
    EXPECT_EQ(ui.boxes[1].caption, "Invalid Account");
    EXPECT_EQ(ui.boxes[1].style, 0u);
    EXPECT_EQ(transport.count("/orvanepurchase1.asp") - 1, 1);  // the short password sent nothing
}

TEST_F(StoreTest, ForgotPasswordOpensTheStorePageAndTheDialogStaysOpen) {
    rows = {row("p1", "Puzzle Box")};
    ui.dialogScripts[IDD_LOGIN] = [this](Window d, DialogLogic& logic) {
        EXPECT_TRUE(logic.onNotify(d, IDC_LOGIN_FORGOT, kNmClick));
        EXPECT_EQ(ui.endedDialogs.count(d), 0u);
        logic.onCommand(d, IDC_LOGIN_CANCEL, kBnClicked);
        return 0;
    };
    runStoreStartup();
    ASSERT_EQ(ui.opened.size(), 1u);
    EXPECT_EQ(ui.opened[0].first, 0u);  // no owner
    // The browser reaches the store by the address alone: the port is named
    // whenever the store does not use the standard one.
    const std::string port = config::storeHttpsPort == 443 ? "" : ":" + std::to_string(config::storeHttpsPort);
    EXPECT_EQ(ui.opened[0].second, std::string("https://") + config::storeHost + port + "/lostpwd.asp");
}

TEST_F(StoreTest, ANetworkFailureAtStartKeepsTheCredentialsAndOpensNoDialog) {
    remember("demo@orvane.test", "demopass1");
    networkDown = true;
    runStoreStartup();
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_EQ(state().email, "demo@orvane.test");
    EXPECT_EQ(state().password, "demopass1");
    EXPECT_EQ(settings.values.count("password"), 1u);
    EXPECT_FALSE(state().loggedIn);
    EXPECT_EQ(ui.text(W, IDC_LOGIN_HEADER), "You are not logged in.");
    EXPECT_EQ(ui.boxCount(kCouldNotLogIn), 1);
    EXPECT_TRUE(ui.quits.empty());  // an empty store, not the end of the program
}

TEST_F(StoreTest, CatalogueFailuresThatEndTheProgram) {
    struct Case {
        std::string reply, caption;
    } cases[] = {{"err:version", "New Version Required"}, {"<!DOCTYPE html><p>down</p>", "No Products Available"}};
    for (const Case& c : cases) {
        remember("demo@orvane.test", "demopass1");
        catalogueOverride = c.reply;
        ui.boxes.clear();
        ui.quits.clear();
        runStoreStartup();
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, c.caption);
        EXPECT_EQ(ui.boxes[0].style, 0x30u);
        EXPECT_EQ(ui.quits, (std::vector<int>{0}));
    }
}

TEST_F(StoreTest, AnEmptyCatalogueLeavesNothingToBuy) {
    remember("demo@orvane.test", "demopass1");
    catalogueOverride = "Error:1";
    runStoreStartup();
    EXPECT_TRUE(ui.at(W, IDC_PRODUCT_LIST).rows.empty());
    for (int id : {IDC_ADD_TO_CART, IDC_APPLY_COUPON, IDC_CHECKOUT}) EXPECT_FALSE(ui.enabled(W, id)) << id;
    EXPECT_FALSE(ui.visible(W, IDC_BUNDLE_PRICING));
    EXPECT_TRUE(ui.quits.empty());
}

TEST_F(StoreTest, DownloadFolderFromTheSettingOrApplicationData) {
    rows = {row("p1", "Puzzle Box")};
    loginDialogCancels();
    runStoreStartup();
    EXPECT_EQ(state().downloadFolder, ui.appData);
    settings.values["FolderPath"] = "D:\\Games";
    runStoreStartup();
    EXPECT_EQ(state().downloadFolder, "D:\\Games");
}

TEST_F(StoreTest, ListingRules) {
    ProductRow hidden = row("hid1", "Hidden Owned");
    hidden.hidden = "Yes";
    ProductRow onSale = row("sale1", "Sale Item", "10.00", "Tools");
    onSale.salePrice = "12.00";  // the list shows the sale price whatever its value
    rows = {row("p1", "Puzzle Box", "19.99", "Puzzles,Games"), row("own1", "Owned One", "19.99", "Games"),
            row("b1", "Beta Thing", "beta"), row("fr1", "Freebie", "free"), row("leg1", "Old Classic", "legacy"),
            row("leg2", "Unowned Classic", "legacy"), hidden, onSale};
    accounts["demo@orvane.test"] = purchasesReply(
        "Dana Demo", {purchaseRecord("own1", "Owned One"), purchaseRecord("LEG1", "Old Classic"),
                      purchaseRecord("hid1", "Hidden Owned"), purchaseRecord("fr1", "Freebie")});

    // Not logged in: no owned block, beta shown as "Beta".
    loginDialogCancels();
    runStoreStartup();
    EXPECT_EQ(column(0), (std::vector<std::string>{"Puzzle Box", "Owned One", "Beta Thing", "Sale Item"}));
    EXPECT_EQ(column(2), (std::vector<std::string>{"$19.99", "$19.99", "Beta", "$12.00"}));
    EXPECT_EQ(column(1)[0], "Puzzles");

    // Logged in: owned first as "* " + name and "Library"; beta not owned is gone.
    remember("demo@orvane.test", "demopass1");
    state().email.clear();
    state().password.clear();
    runStoreStartup();
    EXPECT_EQ(column(0), (std::vector<std::string>{"* Owned One", "* Old Classic", "Puzzle Box", "Sale Item"}));
    EXPECT_EQ(column(2), (std::vector<std::string>{"Library", "Library", "$19.99", "$12.00"}));
    EXPECT_EQ(ui.at(W, IDC_PRODUCT_LIST).selectedRow, 0);
}

TEST_F(StoreTest, CategoryFiltersAndTheBoxNeverShrinksOrRepeats) {
    rows = {row("p1", "Puzzle Box", "19.99", "Puzzles,Games"), row("own1", "Owned One", "19.99", "Games"),
            row("t1", "Toolkit", "5.00", "Tools"), row("p2", "Second Puzzle", "3.00", "Puzzles")};
    remember("demo@orvane.test", "demopass1");
    runStoreStartup();
    const std::vector<std::string> box{"All Categories", "My Library", "------", "Games", "Puzzles", "Tools"};
    EXPECT_EQ(ui.at(W, IDC_CATEGORY_BOX).items, box);

    struct Case {
        std::string filter;
        std::vector<std::string> names;
    } cases[] = {
        {"Games", {"* Owned One"}},  // "Puzzle Box" has Games only as its second category
        {"Puzzles", {"Puzzle Box", "Second Puzzle"}},
        {"My Library", {"* Owned One"}},
        {"------", {}},
        {"All Categories", {"* Owned One", "Puzzle Box", "Toolkit", "Second Puzzle"}},
    };
    for (const Case& c : cases) {
        fillProductList(c.filter);
        EXPECT_EQ(column(0), c.names) << c.filter;
        EXPECT_EQ(ui.at(W, IDC_CATEGORY_BOX).items, box) << c.filter;
    }
    // Through the category box, as the user does it.
    ui.comboSelect(W, IDC_CATEGORY_BOX, 4);
    mainWindowCommand(IDC_CATEGORY_BOX, kCbnSelChange);
    EXPECT_EQ(column(0), (std::vector<std::string>{"Puzzle Box", "Second Puzzle"}));
}

TEST_F(StoreTest, RowTextsAreCutToTheirColumns) {
    rows = {row("p1", std::string(100, 'n'), "19.99", std::string(60, 'c'))};
    rows[0].salePrice = "123456";
    state().products.clear();
    loginDialogCancels();
    runStoreStartup();
    ASSERT_EQ(column(0).size(), 1u);
    EXPECT_EQ(column(0)[0].size(), 100u);
    EXPECT_EQ(column(1)[0].size(), 49u);
    EXPECT_EQ(column(2)[0], "$123456");
}

TEST_F(StoreTest, AFillCostsOneDetailRefreshAndOnePictureRequest) {
    for (int i = 0; i < 1000; ++i)
        rows.push_back(row("p" + std::to_string(i), "Product " + std::to_string(i), "9.99",
                           "Category " + std::to_string(i % 37)));
    remember("demo@orvane.test", "demopass1");
    runStoreStartup();
    EXPECT_EQ(ui.at(W, IDC_PRODUCT_LIST).rows.size(), 1000u);
    EXPECT_EQ(pictureRequests(), 1);
    fillProductList("Category 5");
    EXPECT_EQ(pictureRequests(), 2);
    fillProductList("All Categories");
    EXPECT_EQ(pictureRequests(), 3);
}

TEST_F(StoreTest, LoginButtonRunsTheStartUpAgainOrSaysItFailed) {
    rows = {row("own1", "Owned One")};
    loginDialogCancels();
    runStoreStartup();
    ui.boxes.clear();
    mainWindowCommand(IDC_LOGIN, kBnClicked);  // cancelled again
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Error: Could not login with the information entered.");
    EXPECT_EQ(ui.boxes[0].caption, "<null>");

    loginDialogTypes("demo@orvane.test", "demopass1");
    mainWindowCommand(IDC_LOGIN, kBnClicked);
    EXPECT_EQ(ui.text(W, IDC_LOGIN_HEADER), "Welcome Dana Demo");
    EXPECT_EQ(column(0), (std::vector<std::string>{"* Owned One"}));

    state().loginDialogOpen = 1;  // a login dialog is already up
    std::size_t dialogs = ui.dialogs.size();
    mainWindowCommand(IDC_LOGIN, kBnClicked);
    EXPECT_EQ(ui.dialogs.size(), dialogs);
}

TEST_F(StoreTest, LogoutAnsweredNoChangesNothingYesLogsOut) {
    rows = {row("own1", "Owned One"), row("p1", "Puzzle Box")};
    remember("demo@orvane.test", "demopass1");
    runStoreStartup();
    auto requests = transport.requests.size();

    ui.boxAnswers = {7};  // IDNO
    mainWindowCommand(IDC_LOGOUT, kBnClicked);
    EXPECT_TRUE(state().loggedIn);
    EXPECT_EQ(ui.text(W, IDC_LOGIN_HEADER), "Welcome Dana Demo");
    EXPECT_EQ(settings.values.count("password"), 1u);
    EXPECT_EQ(transport.requests.size(), requests);
    EXPECT_EQ(ui.boxes.back().caption, "Logout Confirmation");
    EXPECT_EQ(ui.boxes.back().style, 4u);

    ui.boxAnswers = {6};  // IDYES
    ui.dialogScripts[IDD_LOGIN] = [this](Window d, DialogLogic& logic) {
        // The header already says so while the start-up's login dialog is up.
        EXPECT_EQ(ui.text(W, IDC_LOGIN_HEADER), "You are not logged in. Please select the Login button.");
        logic.onCommand(d, IDC_LOGIN_CANCEL, kBnClicked);
        return 0;
    };
    state().cart[0].productId = "p1";
    mainWindowCommand(IDC_LOGOUT, kBnClicked);
    EXPECT_FALSE(state().loggedIn);
    EXPECT_EQ(settings.values.count("email"), 0u);
    EXPECT_EQ(state().cart[0].productId, "");
    EXPECT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(column(0), (std::vector<std::string>{"Owned One", "Puzzle Box"}));
    EXPECT_EQ(ui.at(W, IDC_CATEGORY_BOX).items.size(), 4u);  // fixed entries still once each
}

TEST_F(StoreTest, ProductSupportOpensOnlyWebAddresses) {
    struct Case {
        std::string url;
        bool opened;
    } cases[] = {
        {"http://localhost:47080/support/p1", true},
        {"HTTPS://support.example/p1", true},
        {"C:\\Windows\\notepad.exe", false},
        {"file:///C:/Windows/notepad.exe", false},
        {"notepad.exe", false},
        {"httpx://odd", false},
        {"", false},
    };
    for (const Case& c : cases) {
        ui.opened.clear();
        state().selected.supportUrl = c.url;
        mainWindowCommand(IDC_PRODUCT_SUPPORT, kBnClicked);
        EXPECT_EQ(ui.opened.size(), c.opened ? 1u : 0u) << c.url;
        if (c.opened) EXPECT_EQ(ui.opened[0].second, c.url);
    }
}

TEST_F(StoreTest, ExitCloseAndEscQuitWithZero) {
    mainWindowCommand(IDC_EXIT, kBnClicked);
    mainWindowCommand(2, kBnClicked);
    EXPECT_EQ(ui.quits, (std::vector<int>{0, 0}));
}

TEST_F(StoreTest, FolderChoiceStoresThePathAndQuits) {
    ui.boxAnswers = {6};
    ui.folderAnswers = {"D:\\Downloads"};
    mainWindowCommand(IDC_SELECT_FOLDER, kBnClicked);
    EXPECT_EQ(settings.values["FolderPath"], "D:\\Downloads");
    EXPECT_EQ(ui.boxes.back().caption, "Folder Successfully Set");
    EXPECT_EQ(ui.quits, (std::vector<int>{0}));

    // Cancelled browser, refused question, or a setting that cannot be stored: nothing.
    ui.quits.clear();
    ui.boxAnswers = {6};
    ui.folderAnswers = {""};
    mainWindowCommand(IDC_SELECT_FOLDER, kBnClicked);
    ui.boxAnswers = {7};
    mainWindowCommand(IDC_SELECT_FOLDER, kBnClicked);
    settings.writable = false;
    ui.boxAnswers = {6};
    ui.folderAnswers = {"E:\\Other"};
    mainWindowCommand(IDC_SELECT_FOLDER, kBnClicked);
    EXPECT_TRUE(ui.quits.empty());
    EXPECT_EQ(settings.values["FolderPath"], "D:\\Downloads");
}

TEST_F(StoreTest, OpenFileFolderFallsBackToTheDownloadFolder) {
    makeStoreReady();
    state().downloadFolder = "C:\\dl";
    ui.shellResults["C:\\dl\\OrvanePurchase\\tolstd"] = 2;  // file not found
    mainWindowCommand(IDC_OPEN_FOLDER, kBnClicked);
    ASSERT_EQ(ui.opened.size(), 2u);
    EXPECT_EQ(ui.opened[1].second, "C:\\dl");
}

TEST_F(StoreTest, OpenDownloadedFileNeedsANonEmptyFile) {
    makeStoreReady();
    state().downloadFolder = "C:\\dl";
    state().selected.files = "Setup.exe";
    files.files["C:\\dl\\OrvanePurchase\\tolstd\\Setup.exe"] = "";
    mainWindowCommand(IDC_OPEN_FILE, kBnClicked);
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_EQ(ui.boxCount("There was an error locating the product download. Please re-download the software."), 1);
    files.files["C:\\dl\\OrvanePurchase\\tolstd\\Setup.exe"] = "MZ";
    mainWindowCommand(IDC_OPEN_FILE, kBnClicked);
    ASSERT_EQ(ui.opened.size(), 1u);
    EXPECT_EQ(ui.opened[0].second, "C:\\dl\\OrvanePurchase\\tolstd\\Setup.exe");
}

}  // namespace orvane::test
