// One of the 20 cart slots. An empty productId means the slot is free.
#pragma once

#include <string>

namespace orvane {

struct CartItem {
    std::string productId;   // 16
    std::string name;        // 100
    std::string price;       // 6
    std::string couponCode;  // 16
    std::string tax;         // 5
    std::string cartCode;    // 2
    std::string vendorId;    // 6
    std::string vendorName;  // 50
    std::string linkedId;    // 16
};

inline constexpr int kCartSlots = 20;

}  // namespace orvane
