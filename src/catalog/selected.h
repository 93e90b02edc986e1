// The product shown in the detail panel, read by the cart commands, coupons
// and downloads.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvane {

struct SelectedProduct {
    std::string productId, name, files, availableVersion, fileSize, cartCode, price, orderNumber, salePrice,
        bundleOffer;
    std::string offerBundleId, offerBundleName, offerBundlePrice, offerBundleCartCode;
    std::string fileSizeText;
    std::string supportUrl;
    std::string couponCode;
};

struct FileEntry {
    std::string name;
    std::string size;
};

}  // namespace orvane
