#include "catalog/purchases.h"

#include <vector>

#include "account/remembered_login.h"
#include "app/agent_state.h"
#include "net/store_request.h"
#include "net/text.h"

namespace orvane {

namespace {

// Name, tax rate and verified flag from the "*"-separated header fields.
void takeAccountFields(const std::string& header) {
    AgentState& s = state();
    std::vector<std::string> f = splitFields(header, '*');
    if (f.size() > 1) s.userName = f[1];
    if (f.size() > 3) s.taxRate = f[3];
    if (f.size() > 4 && f[4] == "1") s.accountVerified = 1;
}

}  // namespace

std::string purchaseField(const std::string& record, int index) {
    std::vector<std::string> f = splitFields(record, '*');
    return index >= 0 && index < static_cast<int>(f.size()) ? f[index] : std::string();
}

int fetchPurchases() {
    AgentState& s = state();
    if (!s.storeReady) return -1;
    if (!usableCredentials(s.email, s.password)) return -2;
    try {
        s.loggedIn = false;
        s.requestBody = "action=getpurchases" + s.versionSuffix + "&email=" + s.email + "&password=" + s.password +
                        "&vendorid=" + s.identity.vendorId;
        std::string reply = postToStore("/orvanepurchase1.asp", s.requestBody);
        s.purchases.clear();
        std::vector<std::string> rows = splitFields(reply, '|');
        if (startsWith(rows[0], "success")) {
            s.loggedIn = true;
            takeAccountFields(rows[0]);
            for (std::size_t i = 1; i < rows.size(); ++i) {
                // A row too short to hold a product id, a name and a file field
                // cannot be an ownership record; keeping it would only make
                // an empty product id look purchased.
                std::string record = rows[i].empty() ? std::string() : rows[i].substr(1);
                if (splitFields(record, '*').size() < 3) continue;
                s.purchases.push_back(record);
            }
            return static_cast<int>(s.purchases.size());
        }
        if (startsWith(reply, "Error:1")) {
            forgetRememberedLogin();
            s.email.clear();
            s.password.clear();
            return -3;
        }
        if (startsWith(reply, "Error: 2")) {
            takeAccountFields(reply);
            s.loggedIn = true;
            return 0;
        }
        return -4;
    } catch (...) {
        return -6;
    }
}

int lookupPurchase(const std::string& productId, std::string& out) {
    AgentState& s = state();
    if (!s.loggedIn) return -1;
    if (productId.empty()) return -2;
    const std::string wanted = toLower(productId);
    for (const std::string& record : s.purchases) {
        std::vector<std::string> f = splitFields(record, '*');
        if (f.size() < 3) continue;
        if (toLower(f[0]) == wanted && f[2] != "VOUCHER") {
            out = record;
            return 1;
        }
    }
    return 0;
}

}  // namespace orvane
