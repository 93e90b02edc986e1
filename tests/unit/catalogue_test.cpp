#include "catalog/catalogue.h"

#include "fakes.h"
#include "net/text.h"
#include "store_replies.h"

namespace orvane::test {

namespace {

std::string row(const std::vector<std::string>& fields) { return joinFields(fields, '\x01'); }

std::vector<std::string> product(const std::string& id, const std::string& name) {
    ProductRow r;
    r.id = id;
    r.name = name;
    return r.fields();
}

class CatalogueTest : public AgentTest {};

}  // namespace

TEST_F(CatalogueTest, SendsTheExactBodyOverTlsToThePurchaseScript) {
    makeStoreReady();
    fetchCatalogue();
    ASSERT_EQ(transport.requests.size(), 1u);
    EXPECT_TRUE(transport.requests[0].secure);
    EXPECT_EQ(transport.requests[0].url, "https://localhost/orvanepurchase1.asp");
    EXPECT_EQ(transport.requests[0].body, "action=catalog&vendorid=tolstd&version=2.11&tamo=2&channel=0&productid=");
}

TEST_F(CatalogueTest, ClassifiesTheReply) {
    const std::string twoProducts = "header\x02" + row(product("p1", "One")) + "\x02" + row(product("p2", "Two"));
    struct Case {
        std::string reply;
        int result;
        std::size_t records;
    } cases[] = {
        {"<!DOCTYPE html><html>", -3, 0},
        {"<!DOCTYPE html>" + twoProducts, -3, 0},  // a web page, however it continues
        {"<!doctype html>", 0, 0},                  // not the page marker: parsed, header only
        {"err:version", -2, 0},
        {"err:versionX", 0, 0},                     // no version refusal: one header row
        {"Error:1", 0, 0},
        {"Error:1 vendor disabled", 0, 0},
        {"error:1", 0, 0},
        {"", 0, 0},
        {"only a header", 0, 0},
        {twoProducts, 2, 2},
    };
    for (const Case& c : cases) {
        resetAgentState();
        state().mainWindow = FakeUi::kMain;
        makeStoreReady();
        state().catalogue.push_back(ProductRecord{});  // a stale catalogue is always emptied
        transport.reply("/orvanepurchase1.asp", c.reply);
        EXPECT_EQ(fetchCatalogue(), c.result) << c.reply;
        EXPECT_EQ(state().catalogue.size(), c.records) << c.reply;
    }
}

TEST_F(CatalogueTest, ParsesRowsInOrderAndCutsFieldsToTheirCapacity) {
    makeStoreReady();
    std::vector<std::string> first = product("p1", std::string(130, 'N'));
    first[2] = "1234567";             // price holds 6
    first[18] = "10|bndl-one";
    std::vector<std::string> second = product("p2", "Two");
    second.push_back("extra field");  // a twentieth field is ignored
    std::vector<std::string> shortRow = {"p3", "Three", "5.00"};
    transport.reply("/orvanepurchase1.asp",
                    "hdr\x02" + row(first) + "\x02" + row(second) + "\x02" + row(shortRow));

    ASSERT_EQ(fetchCatalogue(), 3);
    const auto& c = state().catalogue;
    EXPECT_EQ(c[0].productId, "p1");
    EXPECT_EQ(c[0].name, std::string(100, 'N'));
    EXPECT_EQ(c[0].price, "123456");
    EXPECT_EQ(c[0].bundleOffer, "10|bndl-one");
    EXPECT_EQ(c[1].productId, "p2");
    EXPECT_EQ(c[1].bundleOffer, "");
    EXPECT_EQ(c[2].name, "Three");       // a short row keeps what it has
    EXPECT_EQ(c[2].hidden, "");          // and the rest is empty, so it is never listed
    EXPECT_TRUE(state().catalogueLoaded);
}

TEST_F(CatalogueTest, ASecondFetchReplacesTheFirstAndAFailedOneLeavesItEmpty) {
    makeStoreReady();
    transport.replyOnce("/orvanepurchase1.asp", "h\x02" + row(product("a", "A")) + "\x02" + row(product("b", "B")));
    transport.replyOnce("/orvanepurchase1.asp", "h\x02" + row(product("c", "C")));
    transport.replyOnce("/orvanepurchase1.asp", "");
    EXPECT_EQ(fetchCatalogue(), 2);
    EXPECT_EQ(fetchCatalogue(), 1);
    EXPECT_EQ(state().catalogue[0].productId, "c");
    EXPECT_EQ(fetchCatalogue(), 0);
    EXPECT_TRUE(state().catalogue.empty());
}

TEST_F(CatalogueTest, RefusesBeforeTheStoreIsReadyWithoutARequest) {
    EXPECT_EQ(fetchCatalogue(), -1);
    EXPECT_TRUE(transport.requests.empty());
}

TEST(ProductEntry, TakesTheListCapacitiesAndAnEmptyCouponCode) {
    std::vector<std::string> f(19, std::string(200, 'x'));
    ProductRecord record = ProductRecord::fromFields(f);
    ProductEntry entry = ProductEntry::fromRecord(record);
    EXPECT_EQ(record.productId.size(), 16u);
    EXPECT_EQ(entry.productId.size(), 16u);  // 20 in the list, but the record held 16
    EXPECT_EQ(record.spare11.size(), 100u);
    EXPECT_EQ(entry.spare11.size(), 11u);
    EXPECT_EQ(entry.spare17.size(), 1u);
    EXPECT_EQ(entry.couponCode, "");
}

}  // namespace orvane::test
