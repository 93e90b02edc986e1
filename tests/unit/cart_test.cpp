#include <string>
#include <vector>

#include "commerce/cart.h"
#include "fakes.h"

namespace orvane::test {
namespace {

class CartTest : public AgentTest {
protected:
    void SetUp() override {
        AgentTest::SetUp();
        makeStoreReady();
        state().loggedIn = true;
    }

    // A catalogue record (the raw records that bundles are expanded from).
    static void list(const std::string& id, const std::string& name, const std::string& price,
                     const std::string& bundleOffer = "", const std::string& hidden = "No") {
        ProductRecord r;
        r.productId = id;
        r.name = name;
        r.price = price;
        r.hidden = hidden;
        r.bundleOffer = bundleOffer;
        state().catalogue.push_back(r);
    }
    static void own(const std::string& id) {
        state().purchases.push_back(id + "*Owned " + id + "*setup.exe*1.0*100****US**9.99**1001");
    }
    // The product ids of the 20 slots, "" for a free one.
    static std::vector<std::string> slotIds() {
        std::vector<std::string> ids;
        for (const CartItem& item : state().cart) ids.push_back(item.productId);
        return ids;
    }
    static std::vector<std::string> filledIds() {
        std::vector<std::string> ids;
        for (const CartItem& item : state().cart)
            if (!item.productId.empty()) ids.push_back(item.productId);
        return ids;
    }
    static int addSingle(const std::string& id, const std::string& linked = "") {
        return cartAdd(id, "Name of " + id, "10.00", "", "US", linked);
    }
    // The bundle of the examples: 20 percent on mem-a (10.00) and mem-b (5.99).
    static void listBundleX(const std::string& bundleId = "bndl-x") {
        list(bundleId, "Bundle X", "15.99", "20|mem-a,mem-b");
        list("mem-a", "Product A", "10.00");
        list("mem-b", "Product B", "5.99");
    }
};

TEST_F(CartTest, SingleAddFillsTheLowestFreeSlot) {
    state().taxRate = "0.07";
    state().cart[0].productId = "busy";
    ASSERT_EQ(cartAdd("abc01", "Sky Pack", "29.99", "SAVE10", "US", "bndl-sky"), kCartAdded);
    const CartItem& item = state().cart[1];
    EXPECT_EQ(item.productId, "abc01");
    EXPECT_EQ(item.name, "Sky Pack");
    EXPECT_EQ(item.price, "29.99");
    EXPECT_EQ(item.couponCode, "SAVE10");
    EXPECT_EQ(item.tax, "2.10");
    EXPECT_EQ(item.cartCode, "US");
    EXPECT_EQ(item.vendorId, "tolstd");
    EXPECT_EQ(item.vendorName, "Tollan Studios");
    EXPECT_EQ(item.linkedId, "bndl-sky");
    EXPECT_TRUE(state().cartFilled);
}

TEST_F(CartTest, ItemTaxIsFixedWhenPlaced) {
    struct Case {
        const char* rate;
        const char* price;
        const char* tax;
    } cases[] = {{"0.0825", "19.99", "1.65"}, {"", "19.99", "0.00"}, {"0.07", "7.50", "0.53"}};
    for (const Case& c : cases) {
        cartClear();
        state().taxRate = c.rate;
        ASSERT_EQ(cartAdd("abc01", "Sky Pack", c.price, "", "US", ""), kCartAdded);
        EXPECT_EQ(state().cart[0].tax, c.tax) << c.rate;
        state().taxRate = "0.5";
        EXPECT_EQ(state().cart[0].tax, c.tax) << "a later rate leaves placed items alone";
    }
}

TEST_F(CartTest, ChecksApplyInTheirOrder) {
    struct Case {
        const char* what;
        bool storeReady, loggedIn;
        const char* id;
        const char* name;
        const char* price;
        int inCart;      // single items placed before
        bool alreadyIn;  // "abc01" among them
        bool owned;
        int result;
    } cases[] = {
        {"store not ready beats everything", false, false, "ab", "x", "hide", 0, false, false, kCartStoreNotReady},
        {"not logged in beats hide", true, false, "abc01", "Name", "hide", 0, false, false, kCartNotLoggedIn},
        {"hide beats short texts", true, true, "ab", "x", "hide", 0, false, false, kCartHiddenPrice},
        {"short id", true, true, "abc", "Name", "10.00", 0, false, false, kCartBadInput},
        {"short name", true, true, "abc01", "Nam", "10.00", 0, false, false, kCartBadInput},
        {"short price", true, true, "abc01", "Name", "9.9", 0, false, false, kCartBadInput},
        {"duplicate beats full", true, true, "abc01", "Name", "10.00", 19, true, false, kCartAlreadyIn},
        {"full beats owned", true, true, "abc01", "Name", "10.00", 19, false, true, kCartFull},
        {"owned", true, true, "abc01", "Name", "10.00", 18, false, true, kCartOwned},
        {"18 in use still adds", true, true, "abc01", "Name", "10.00", 18, false, false, kCartAdded},
    };
    for (const Case& c : cases) {
        restart();
        for (int i = 0; i < c.inCart; ++i) addSingle(i == 0 && c.alreadyIn ? "abc01" : "item" + std::to_string(i));
        state().cartFilled = false;
        if (c.owned) own("ABC01");  // ownership ignores letter case
        state().storeReady = c.storeReady;
        state().loggedIn = c.loggedIn;
        const std::vector<std::string> before = slotIds();
        EXPECT_EQ(cartAdd(c.id, c.name, c.price, "", "US", ""), c.result) << c.what;
        if (c.result != kCartAdded) {
            EXPECT_EQ(slotIds(), before) << c.what;
            EXPECT_FALSE(state().cartFilled) << c.what;
        }
    }
}

TEST_F(CartTest, NineteenSinglesThenTheCartIsFull) {
    for (int i = 0; i < 19; ++i) ASSERT_EQ(addSingle("item" + std::to_string(i)), kCartAdded) << i;
    EXPECT_EQ(cartCount(), 19);
    EXPECT_EQ(cartFirstFree(), 19);
    EXPECT_EQ(addSingle("item19"), kCartFull);
    EXPECT_EQ(cartCount(), 19);
}

TEST_F(CartTest, BundleExpandsIntoDiscountedMembersWhateverTheCaseOfItsPrefix) {
    for (const char* bundleId : {"bndl-x", "BNDL-x"}) {
        restart();
        state().taxRate = "0.0825";
        listBundleX(bundleId);
        ASSERT_EQ(cartAdd(bundleId, "Bundle X", "15.99", "CPN", "EU", "ignored"), kCartAdded) << bundleId;
        EXPECT_EQ(filledIds(), (std::vector<std::string>{"mem-a", "mem-b"})) << "the bundle itself takes no slot";
        struct Expect {
            const char* name;
            const char* price;
            const char* tax;
        } expected[] = {{"Product A", "8.00", "0.66"}, {"Product B", "4.79", "0.40"}};
        for (int i = 0; i < 2; ++i) {
            const CartItem& item = state().cart[static_cast<std::size_t>(i)];
            EXPECT_EQ(item.name, expected[i].name);
            EXPECT_EQ(item.price, expected[i].price) << bundleId;
            EXPECT_EQ(item.tax, expected[i].tax);
            EXPECT_EQ(item.linkedId, bundleId);
            EXPECT_EQ(item.cartCode, "EU") << "members carry the bundle's code";
            EXPECT_EQ(item.couponCode, "") << "members never carry a coupon";
            EXPECT_EQ(item.vendorId, "tolstd");
        }
        EXPECT_TRUE(state().cartFilled);
    }
}

TEST_F(CartTest, LastListedDefinitionAndMemberRecordWin) {
    list("bndl-x", "Bundle X", "15.99", "50|mem-a");
    list("bndl-x", "Bundle X", "15.99", "20|mem-a,mem-b");
    list("bndl-x", "Bundle X", "15.99", "90|mem-b", "Yes");  // hidden: not a definition
    list("mem-a", "Old A", "20.00");
    list("mem-a", "Product A", "10.00");
    list("mem-b", "Product B", "5.99");
    list("mem-b", "Hidden B", "1.00", "", "Yes");
    ASSERT_EQ(cartAdd("bndl-x", "Bundle X", "15.99", "", "US", ""), kCartAdded);
    EXPECT_EQ(state().cart[0].name, "Product A");
    EXPECT_EQ(state().cart[0].price, "8.00");
    EXPECT_EQ(state().cart[1].name, "Product B");
    EXPECT_EQ(state().cart[1].price, "4.79");
    EXPECT_EQ(cartCount(), 2);
}

TEST_F(CartTest, OwnedMembersAreSkipped) {
    listBundleX();
    own("mem-a");
    EXPECT_EQ(cartAdd("bndl-x", "Bundle X", "15.99", "", "US", ""), kCartAdded);
    EXPECT_EQ(filledIds(), (std::vector<std::string>{"mem-b"}));

    cartClear();
    own("mem-b");
    state().cartFilled = false;
    EXPECT_EQ(cartAdd("bndl-x", "Bundle X", "15.99", "", "US", ""), kCartBundleNothingPlaced);
    EXPECT_EQ(cartCount(), 0);
    EXPECT_FALSE(state().cartFilled);
}

TEST_F(CartTest, BundleDefinitionsThatPlaceNothingOrFail) {
    struct Case {
        const char* definition;  // nullptr: the bundle is not listed
        int result;
        std::vector<std::string> placed;
    } cases[] = {
        {nullptr, kCartBadInput, {}},         // empty definition: no percent
        {"", kCartBadInput, {}},
        {"x|a,b", kCartBadInput, {}},         // percent is not a number
        {"20", kCartBundleNothingPlaced, {}},  // no member list at all
        {"20|", kCartBundleNothingPlaced, {}},
        {"20|prod-zz", kCartBundleNothingPlaced, {}},  // member not listed
        {"20|mem-a,,mem-b", kCartAdded, {"mem-a", "mem-b"}},   // an empty member id names nothing
        {" 20abc|mem-a", kCartAdded, {"mem-a"}},       // leading-number conversion of the percent
    };
    for (const Case& c : cases) {
        restart();
        if (c.definition) list("bndl-x", "Bundle X", "15.99", c.definition);
        list("", "Record without id", "1.00");  // must not stand in for an empty member id
        list("mem-a", "Product A", "10.00");
        list("mem-b", "Product B", "5.99");
        EXPECT_EQ(cartAdd("bndl-x", "Bundle X", "15.99", "", "US", ""), c.result)
            << (c.definition ? c.definition : "<unlisted>");
        EXPECT_EQ(filledIds(), c.placed) << (c.definition ? c.definition : "<unlisted>");
    }
}

TEST_F(CartTest, BundleRunningOutOfSlotsKeepsTheMembersPlaced) {
    list("bndl-x", "Bundle X", "15.99", "20|mem-a,mem-b,mem-c");
    list("mem-a", "Product A", "10.00");
    list("mem-b", "Product B", "5.99");
    list("mem-c", "Product C", "1.00");
    for (int i = 0; i < 18; ++i) addSingle("item" + std::to_string(i));
    EXPECT_EQ(cartAdd("bndl-x", "Bundle X", "15.99", "", "US", ""), kCartBundleNoRoom);
    EXPECT_EQ(state().cart[18].productId, "mem-a");
    EXPECT_EQ(state().cart[19].productId, "mem-b");
    EXPECT_EQ(cartCount(), 20);
}

TEST_F(CartTest, MemberAlreadyInTheCartIsPlacedAgain) {
    listBundleX();
    addSingle("mem-a");
    ASSERT_EQ(cartAdd("bndl-x", "Bundle X", "15.99", "", "US", ""), kCartAdded);
    EXPECT_EQ(filledIds(), (std::vector<std::string>{"mem-a", "mem-a", "mem-b"}));
}

TEST_F(CartTest, RemovalTakesTheLinkedItems) {
    struct Case {
        const char* what;
        bool addBundle;        // bndl-x with members a and b
        const char* offerOfP;  // linked id of p (the offer it was added with)
        const char* remove;
        int result;
        std::vector<std::string> left;
    } cases[] = {
        {"product with an offer takes the offered bundle's members", true, "bndl-x", "prod-p", 1, {"prod-q"}},
        {"a member takes the whole bundle and the products offered with it", true, "bndl-x", "mem-a", 1, {"prod-q"}},
        {"the bundle id takes its members and its offers", true, "bndl-x", "bndl-x", 1, {"prod-q"}},
        {"a never-added offer takes just the product", false, "bndl-y", "prod-p", 1, {"prod-q"}},
        {"a product without an offer goes alone", true, "", "prod-p", 1, {"mem-a", "mem-b", "prod-q"}},
        {"a linked plain product goes with it", false, "prod-q", "prod-p", 1, {}},
        {"not in the cart", true, "bndl-x", "prod-zz", 0, {"prod-p", "mem-a", "mem-b", "prod-q"}},
        {"a bundle not in the cart", false, "", "bndl-y", 0, {"prod-p", "prod-q"}},
    };
    for (const Case& c : cases) {
        restart();
        listBundleX();
        addSingle("prod-p", c.offerOfP);
        if (c.addBundle) cartAdd("bndl-x", "Bundle X", "15.99", "", "US", "");
        addSingle("prod-q");
        EXPECT_EQ(cartRemove(c.remove), c.result) << c.what;
        EXPECT_EQ(filledIds(), c.left) << c.what;
        EXPECT_EQ(state().cartFilled, !c.left.empty()) << c.what;
    }
}

TEST_F(CartTest, RemovingTheLastItemClearsCartFilled) {
    addSingle("prod-p");
    ASSERT_TRUE(state().cartFilled);
    EXPECT_EQ(cartRemove("prod-p"), 1);
    EXPECT_FALSE(state().cartFilled);
    EXPECT_EQ(cartFirstFree(), 0);
}

TEST_F(CartTest, StateOfProductsAndBundles) {
    listBundleX();
    addSingle("prod-p", "bndl-y");
    addSingle("prod-q");
    cartAdd("bndl-x", "Bundle X", "15.99", "", "US", "");
    EXPECT_EQ(cartState("prod-q"), 1);
    EXPECT_EQ(cartState("prod-p"), 2);
    EXPECT_EQ(cartState("mem-a"), 2) << "a member carries its bundle's id";
    EXPECT_EQ(cartState("bndl-x"), 1) << "a bundle is in the cart while a member is";
    EXPECT_EQ(cartState("bndl-y"), 1) << "a product offered with it counts too";
    EXPECT_EQ(cartState("prod-zz"), 0);
    EXPECT_EQ(cartState(""), 0) << "free slots never match";

    cartRemove("mem-a");
    EXPECT_EQ(cartState("bndl-x"), 0);
    EXPECT_EQ(cartState("mem-a"), 0);

    // Items added under another vendor identity do not count.
    state().identity.vendorId = "other";
    EXPECT_EQ(cartState("prod-q"), 0);
}

TEST_F(CartTest, LinkedIdAndFindByName) {
    addSingle("prod-p", "bndl-y");
    addSingle("prod-q");
    std::string out = "untouched";
    EXPECT_EQ(cartLinkedId("prod-q", out), 1);
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(cartLinkedId("prod-p", out), 0);
    EXPECT_EQ(out, "bndl-y");

    std::string id = "-", linked = "-";
    EXPECT_EQ(cartFindByName("Name of prod-zz", id, linked), 1);
    EXPECT_EQ(id, "-");
    EXPECT_EQ(cartFindByName("", id, linked), 1) << "free slots have no name";
    EXPECT_EQ(cartFindByName("Name of prod-p", id, linked), 0);
    EXPECT_EQ(id, "prod-p");
    EXPECT_EQ(linked, "bndl-y");
}

TEST_F(CartTest, CountIsZeroUntilTheStoreIsReadyAndClearEmptiesEverySlot) {
    addSingle("prod-p");
    addSingle("prod-q");
    EXPECT_EQ(cartCount(), 2);
    state().storeReady = false;
    EXPECT_EQ(cartCount(), 0);
    EXPECT_EQ(cartRemove("prod-p"), 1);
    EXPECT_FALSE(state().cartFilled) << "a removal while the store is not ready clears the flag";
    state().storeReady = true;
    state().cartFilled = true;
    cartClear();
    EXPECT_EQ(cartCount(), 0);
    EXPECT_EQ(cartFirstFree(), 0);
    EXPECT_TRUE(state().cartFilled) << "clearing leaves the flag alone";
    for (const CartItem& item : state().cart) EXPECT_EQ(item.name + item.price + item.vendorId + item.linkedId, "");
}

TEST_F(CartTest, OverlongTextsAreCutToTheSlotCapacities) {
    const std::string longId(30, 'k');
    ASSERT_EQ(cartAdd(longId, std::string(150, 'n'), "1234.567", std::string(20, 'c'), "USA", std::string(20, 'l')),
              kCartAdded);
    const CartItem& item = state().cart[0];
    EXPECT_EQ(item.productId, std::string(16, 'k'));
    EXPECT_EQ(item.name.size(), 100u);
    EXPECT_EQ(item.price, "1234.5");
    EXPECT_EQ(item.couponCode.size(), 16u);
    EXPECT_EQ(item.cartCode, "US");
    EXPECT_EQ(item.linkedId.size(), 16u);
    EXPECT_EQ(cartAdd(longId, "Name", "10.00", "", "US", ""), kCartAlreadyIn) << "the cut id is in the cart";
}

TEST(IsBundleId, PrefixInAnyCase) {
    struct Case {
        const char* text;
        bool bundle;
    } cases[] = {{"bndl-x", true}, {"BNDL-x", true}, {"Bndl-", true}, {"bndl", false},
                 {"bndlx", false}, {"xbndl-", false}, {"", false}};
    for (const Case& c : cases) EXPECT_EQ(isBundleId(c.text), c.bundle) << c.text;
}

TEST_F(CartTest, ProductListRecordsAndTotal) {
    state().taxRate = "0.07";
    state().checkoutReply = "old";
    state().summaryText = "old";
    state().checkoutOutcome = 3;
    buildProductList();
    EXPECT_EQ(state().productList, "&productlist=");
    EXPECT_EQ(state().totalText, "");
    EXPECT_EQ(state().checkoutReply, "");
    EXPECT_EQ(state().summaryText, "");
    EXPECT_EQ(state().checkoutOutcome, 0);

    cartAdd("abc01", "Sky Pack", "29.99", "", "US", "");
    cartAdd("abc02", "Sea & Sun", "5.01", "SAVE10", "EU", "");
    cartAdd("abc03", "Linked One", "1.00", "SAVE10", "EU", "bndl-y");
    buildProductList();
    EXPECT_EQ(state().productList,
              "&productlist="
              "abc01|Sky+Pack|29.99||2.10|tolstd|Tollan+Studios|US*"
              "abc02|Sea+%26+Sun|5.01|SAVE10|0.35|tolstd|Tollan+Studios|EU*"
              "abc03|Linked+One|1.00|bndl-y|0.07|tolstd|Tollan+Studios|EU*");
    EXPECT_DOUBLE_EQ(state().subtotal, 29.99 + 5.01 + 1.00);
    EXPECT_EQ(state().totalText, "36.00");
}

}  // namespace
}  // namespace orvane::test
