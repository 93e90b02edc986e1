// Builders of store replies for the native tests.
#pragma once

#include <string>
#include <vector>

namespace orvane::test {

// One catalogue product row's nineteen fields.
struct ProductRow {
    std::string id, name, price = "19.99", categories = "Games", hidden = "No", salePrice, cartCode = "US",
                supportUrl, bundleOffer, summary = "A product.";
    std::vector<std::string> fields() const {
        std::vector<std::string> f(19);
        f[0] = id;
        f[1] = name;
        f[2] = price;
        f[5] = summary;
        f[6] = categories;
        f[7] = hidden;
        f[12] = salePrice;
        f[14] = cartCode;
        f[16] = supportUrl;
        f[18] = bundleOffer;
        return f;
    }
};

inline std::string joinFields(const std::vector<std::string>& fields, char delimiter) {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) text += delimiter;
        text += fields[i];
    }
    return text;
}

// A catalogue reply: a header row, then one row per product, joined by 0x02.
inline std::string catalogueReply(const std::vector<ProductRow>& rows) {
    std::string text = "header";
    for (const ProductRow& r : rows) text += "\x02" + joinFields(r.fields(), '\x01');
    return text;
}

// A purchase row's fourteen "*"-separated fields.
inline std::string purchaseRecord(const std::string& id, const std::string& name, const std::string& files = "Setup.exe",
                                  const std::string& version = "2.1", const std::string& size = "1048576",
                                  const std::string& orderNumber = "ORD-1") {
    return id + "*" + name + "*" + files + "*" + version + "*" + size + "*a*b*c*d*US*e*29.99*f*" + orderNumber;
}

// A successful purchases reply; each record gets the leading character the
// store puts before it.
inline std::string purchasesReply(const std::string& name, const std::vector<std::string>& records,
                                  const std::string& taxRate = "0.0825") {
    std::string text = "success*" + name + "*x*" + taxRate + "*1";
    for (const std::string& r : records) text += "|P" + r;
    return text;
}

}  // namespace orvane::test
