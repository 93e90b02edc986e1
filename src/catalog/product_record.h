// A catalogue row and its list copy. Every field is cut to its capacity when
// it is filled, so an over-long field from the store never spills into the
// next one; the texts grow only as long as they really are.
#pragma once

#include <string>
#include <vector>

namespace orvane {

struct ProductFields {
    std::string productId, name, price, spare3, description, summary, categories, hidden, spare8, spare9,
        spare10, spare11, salePrice, spare13, cartCode, spare15, supportUrl, spare17, bundleOffer;
};

// One catalogue row as the store sent it (fields cut to the catalogue capacities).
struct ProductRecord : ProductFields {
    static constexpr int kFieldCount = 19;
    // Field i of a reply row goes to position i; missing fields stay empty and
    // fields after the nineteenth are ignored.
    static ProductRecord fromFields(const std::vector<std::string>& fields);
};

// The list copy of a record: some capacities differ, and it carries the coupon
// code last applied to the product.
struct ProductEntry : ProductFields {
    std::string couponCode;  // at most 16
    static ProductEntry fromRecord(const ProductRecord& record);
};

}  // namespace orvane
