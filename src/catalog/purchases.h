// The account's purchases, which are also the login check.
#pragma once

#include <string>

namespace orvane {

// n >= 0 purchases stored (0 also for "Error: 2"); -1 store not ready;
// -2 no credentials; -3 credentials rejected; -4 any other reply; -6 failure.
int fetchPurchases();

// 1 owned (record copied to out), 0 not owned, -1 not logged in, -2 empty id.
int lookupPurchase(const std::string& productId, std::string& out);

// Field i of a purchase record ("*"-separated), empty when it has fewer fields.
std::string purchaseField(const std::string& record, int index);

}  // namespace orvane
