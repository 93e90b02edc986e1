#include "catalog/catalogue.h"

#include <string>
#include <vector>

#include "app/agent_state.h"
#include "net/store_request.h"
#include "net/text.h"

namespace orvane {

int fetchCatalogue() {
    AgentState& s = state();
    if (!s.storeReady) return -1;
    try {
        s.requestBody = "action=catalog&vendorid=" + s.identity.vendorId + "&version=2.11&tamo=2" + "&channel=" +
                        "0" + "&productid=";
        StoreRequest request;
        request.setSecure(true);
        request.setUrl(storeUrl("/orvanepurchase1.asp"));
        request.setBody(s.requestBody);
        request.perform();
        s.catalogue.clear();

        const std::string& reply = request.reply;
        if (startsWith(reply, "<!DOCTYPE")) return -3;
        if (reply == "err:version") return -2;
        if (startsWith(reply, "Error:1")) return 0;
        if (request.replyLength <= 0) return request.replyLength;

        std::vector<std::string> rows = splitFields(reply, '\x02');
        // Row 0 is a header the client does not read. A row with fewer than
        // nineteen fields keeps the ones it has; the rest stay empty.
        s.catalogue.reserve(rows.size() - 1);
        for (std::size_t i = 1; i < rows.size(); ++i)
            s.catalogue.push_back(ProductRecord::fromFields(splitFields(rows[i], '\x01')));
        s.catalogueLoaded = true;
        return static_cast<int>(rows.size() - 1);
    } catch (...) {
        s.catalogue.clear();
        return -1;
    }
}

}  // namespace orvane
