#include "catalog/purchases.h"

#include "account/remembered_login.h"
#include "fakes.h"

namespace orvane::test {

namespace {

class PurchasesTest : public AgentTest {
protected:
    void SetUp() override {
        AgentTest::SetUp();
        makeStoreReady();
        state().email = "demo@orvane.test";
        state().password = "demopass1";
    }
};

const char kRecord[] = "abc01*Sky Pack*Setup.exe*2.1*1048576*a*b*c*d*US*e*29.99*f*ORD-1001";

}  // namespace

TEST_F(PurchasesTest, SendsTheBodyUnencoded) {
    state().email = "a+b@x.test";
    fetchPurchases();
    ASSERT_EQ(transport.requests.size(), 1u);
    EXPECT_TRUE(transport.requests[0].secure);
    EXPECT_EQ(transport.requests[0].body,
              "action=getpurchases&version=2.11&tamo=2&email=a+b@x.test&password=demopass1&vendorid=tolstd");
}

TEST_F(PurchasesTest, SuccessTakesTheHeaderAndOneRecordPerRow) {
    transport.reply("/orvanepurchase1.asp",
                    std::string("success*Dana Demo*x*0.0825*1|X") + kRecord + "|Ydef02*Other*VOUCHER*1*0*a*b*c*d*US*e*0*f*2");
    EXPECT_EQ(fetchPurchases(), 2);
    EXPECT_TRUE(state().loggedIn);
    EXPECT_EQ(state().userName, "Dana Demo");
    EXPECT_EQ(state().taxRate, "0.0825");
    EXPECT_EQ(state().accountVerified, 1);
    ASSERT_EQ(state().purchases.size(), 2u);
    EXPECT_EQ(state().purchases[0], kRecord);
}

TEST_F(PurchasesTest, RowsTooShortToNameAFileAreSkipped) {
    transport.reply("/orvanepurchase1.asp", std::string("success*Dana*x*0*0|X") + kRecord + "|X|Xonly*two|");
    EXPECT_EQ(fetchPurchases(), 1);
    std::string out;
    EXPECT_EQ(lookupPurchase("only", out), 0);
}

TEST_F(PurchasesTest, RepliesOtherThanSuccess) {
    struct Case {
        std::string reply;
        int result;
        bool loggedIn;
    } cases[] = {
        {"Error: 2*Erin Empty*x*0.0700*1", 0, true},
        {"Error:2*Erin Empty*x*0.0700*1", -4, false},
        {"", -4, false},
        {"<!DOCTYPE html>", -4, false},
        {"Successful", -4, false},
    };
    for (const Case& c : cases) {
        state().loggedIn = true;
        state().accountVerified = 0;
        transport.reply("/orvanepurchase1.asp", c.reply);
        EXPECT_EQ(fetchPurchases(), c.result) << c.reply;
        EXPECT_EQ(state().loggedIn, c.loggedIn) << c.reply;
        EXPECT_TRUE(state().purchases.empty());
    }
    EXPECT_EQ(state().email, "demo@orvane.test");  // kept for the next attempt
}

TEST_F(PurchasesTest, EmptyAccountTakesNameTaxAndVerifiedFromTheReply) {
    transport.reply("/orvanepurchase1.asp", "Error: 2*Erin Empty*x*0.0700*1");
    EXPECT_EQ(fetchPurchases(), 0);
    EXPECT_EQ(state().userName, "Erin Empty");
    EXPECT_EQ(state().taxRate, "0.0700");
    EXPECT_EQ(state().accountVerified, 1);
}

TEST_F(PurchasesTest, RejectionForgetsTheRememberedLoginAndTheHeldCredentials) {
    settings.values["email"] = "demo@orvane.test";
    settings.values["password"] = scramblePassword("demopass1");
    transport.reply("/orvanepurchase1.asp", "Error:1");
    EXPECT_EQ(fetchPurchases(), -3);
    EXPECT_EQ(settings.values.count("email"), 0u);
    EXPECT_EQ(settings.values.count("password"), 0u);
    EXPECT_EQ(state().email, "");
    EXPECT_EQ(state().password, "");
}

TEST_F(PurchasesTest, RefusalsSendNothing) {
    state().email = "a@b.c";  // 5 characters
    EXPECT_EQ(fetchPurchases(), -2);
    state().email = "demo@orvane.test";
    state().password = "seven77";
    EXPECT_EQ(fetchPurchases(), -2);
    state().storeReady = false;
    EXPECT_EQ(fetchPurchases(), -1);
    EXPECT_TRUE(transport.requests.empty());
}

TEST_F(PurchasesTest, LookupIgnoresLetterCaseAndVouchers) {
    state().loggedIn = true;
    state().purchases = {"ABC01*Sky Pack*Setup.exe*2.1", "v1*Voucher*VOUCHER*1", "v2*Lower voucher*voucher*1"};
    std::string out = "untouched";
    EXPECT_EQ(lookupPurchase("abc01", out), 1);
    EXPECT_EQ(out, "ABC01*Sky Pack*Setup.exe*2.1");
    EXPECT_EQ(lookupPurchase("v1", out), 0);
    EXPECT_EQ(lookupPurchase("V2", out), 1);  // only the exact word marks a voucher
    EXPECT_EQ(lookupPurchase("zzz", out), 0);
    EXPECT_EQ(lookupPurchase("", out), -2);
    state().loggedIn = false;
    EXPECT_EQ(lookupPurchase("abc01", out), -1);
}

TEST(RememberedPassword, ScramblesToUpperCaseHexAndBack) {
    std::string hex = scramblePassword("demopass");
    EXPECT_EQ(hex.size(), 16u);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(unscramblePassword(hex), "demopass");
    EXPECT_EQ(scramblePassword("abc").size(), 6u);
    EXPECT_EQ(unscramblePassword(scramblePassword("abc")), "abc");
    std::string lower = hex;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(unscramblePassword(lower), "demopass");
    EXPECT_EQ(unscramblePassword(hex + "7"), "demopass");  // a lone digit at the end is ignored
}

TEST(RememberedPassword, IsRc4UnderTheFixedKey) {
    // Reference value computed independently with a textbook RC4.
    EXPECT_EQ(scramblePassword("demopass1"), "A0EE23C26453067580");
}

class RememberedLoginTest : public AgentTest {};

TEST_F(RememberedLoginTest, SaveReadAndForget) {
    state().email = "demo@orvane.test";
    state().password = "demopass1";
    EXPECT_EQ(saveRememberedLogin(), 1);
    EXPECT_EQ(settings.values["email"], "demo@orvane.test");
    EXPECT_EQ(settings.values["password"], scramblePassword("demopass1"));
    state().email.clear();
    state().password.clear();
    EXPECT_EQ(readRememberedLogin(), 1);
    EXPECT_EQ(state().password, "demopass1");
    EXPECT_TRUE(state().credentialsAccepted);
    EXPECT_EQ(forgetRememberedLogin(), 1);
    EXPECT_EQ(forgetRememberedLogin(), 1);  // nothing left to delete: still 1
    EXPECT_TRUE(settings.values.empty());
}

TEST_F(RememberedLoginTest, ShortValuesAreDiscarded) {
    struct Case {
        std::string email, password;
    } cases[] = {{"a@b.c", "demopass1"}, {"demo@orvane.test", "seven77"}, {"", ""}};
    for (const Case& c : cases) {
        settings.values = {{"email", c.email}, {"password", scramblePassword(c.password)}};
        state().email = "held@orvane.test";
        EXPECT_EQ(readRememberedLogin(), -1) << c.email;
        EXPECT_EQ(state().email, "");
        EXPECT_EQ(state().password, "");
    }
}

TEST_F(RememberedLoginTest, NoKeyNoCredentials) {
    settings.keyExists = false;
    EXPECT_EQ(readRememberedLogin(), 0);
    settings.writable = false;
    state().email = "demo@orvane.test";
    state().password = "demopass1";
    EXPECT_EQ(saveRememberedLogin(), -1);
}

}  // namespace orvane::test
