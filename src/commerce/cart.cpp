#include "commerce/cart.h"

#include <vector>

#include "app/agent_state.h"
#include "catalog/purchases.h"
#include "commerce/money.h"
#include "net/text.h"

namespace orvane {

namespace {

// Capacities of the CartItem fields.
constexpr std::size_t kIdMax = 16, kNameMax = 100, kPriceMax = 6, kCouponMax = 16, kTaxMax = 5, kCartCodeMax = 2,
                      kVendorIdMax = 6, kVendorNameMax = 50, kLinkedMax = 16;

bool owned(const std::string& productId) {
    std::string record;
    return lookupPurchase(productId, record) == 1;
}

void fillVendor(CartItem& item) {
    const StoreIdentity& identity = state().identity;
    item.vendorId = cutTo(identity.vendorId, kVendorIdMax);
    item.vendorName = cutTo(identity.vendorName, kVendorNameMax);
}

CartAddResult addSingle(const std::string& productId, const std::string& name, const std::string& price,
                        const std::string& couponCode, const std::string& cartCode, const std::string& linkedId) {
    AgentState& s = state();
    CartItem& item = s.cart[static_cast<std::size_t>(cartFirstFree())];
    item.productId = cutTo(productId, kIdMax);
    item.name = cutTo(name, kNameMax);
    item.price = cutTo(price, kPriceMax);
    item.couponCode = cutTo(couponCode, kCouponMax);
    item.linkedId = cutTo(linkedId, kLinkedMax);
    item.tax = cutTo(itemTax(item.price, s.taxRate), kTaxMax);
    fillVendor(item);
    item.cartCode = cutTo(cartCode, kCartCodeMax);
    s.cartFilled = true;
    return kCartAdded;
}

// The definition of a bundle is the bundleOffer of the last listed catalogue
// record with the bundle's id: a percent, "|", then member ids joined by ",".
CartAddResult addBundle(const std::string& bundleId, const std::string& cartCode) {
    AgentState& s = state();
    std::string definition;
    for (const ProductRecord& record : s.catalogue)
        if (record.productId == bundleId && record.hidden == "No") definition = record.bundleOffer;

    std::vector<std::string> parts = splitFields(definition, '|');
    // std::stoi throws for a percent that is not a number (the caller turns
    // that into -1).
    const int percent = std::stoi(parts[0]);
    const double multiplier = (100 - percent) / 100.0;
    // A definition without "|" names no member, so nothing can be placed.
    std::vector<std::string> members;
    if (parts.size() > 1) members = splitFields(parts[1], ',');

    bool placed = false;
    for (const std::string& memberId : members) {
        // An empty id ("20|a,,b") names no product; a slot filled with it
        // would still count as free.
        if (memberId.empty()) continue;
        if (owned(memberId)) continue;
        const int slot = cartFirstFree();
        if (slot < 0) return kCartBundleNoRoom;
        CartItem& item = s.cart[static_cast<std::size_t>(slot)];
        bool found = false;
        for (const ProductRecord& record : s.catalogue) {
            if (record.productId != memberId || record.hidden != "No") continue;
            const std::string price =
                formatMoney(static_cast<double>(roundCents(parseAmount(record.price) * multiplier)));
            item = CartItem{};
            item.productId = cutTo(record.productId, kIdMax);
            item.name = cutTo(record.name, kNameMax);
            item.price = cutTo(price, kPriceMax);
            item.linkedId = cutTo(bundleId, kLinkedMax);
            item.tax = cutTo(itemTax(item.price, s.taxRate), kTaxMax);
            fillVendor(item);
            item.cartCode = cutTo(cartCode, kCartCodeMax);
            found = true;
        }
        if (found) {
            s.cartFilled = true;
            placed = true;
        }
    }
    return placed ? kCartAdded : kCartBundleNothingPlaced;
}

}  // namespace

bool isBundleId(const std::string& text) { return text.size() >= 5 && toLower(text.substr(0, 5)) == "bndl-"; }

int cartFirstFree() {
    const auto& cart = state().cart;
    for (int i = 0; i < kCartSlots; ++i)
        if (cart[static_cast<std::size_t>(i)].productId.empty()) return i;
    return -1;
}

int cartCount() {
    const AgentState& s = state();
    if (!s.storeReady) return 0;
    int n = 0;
    for (const CartItem& item : s.cart)
        if (!item.productId.empty()) ++n;
    return n;
}

void cartClear() {
    for (CartItem& item : state().cart) item = CartItem{};
}

CartAddResult cartAdd(const std::string& productId, const std::string& name, const std::string& price,
                      const std::string& couponCode, const std::string& cartCode, const std::string& linkedId) {
    AgentState& s = state();
    if (!s.storeReady) return kCartStoreNotReady;
    if (!s.loggedIn) return kCartNotLoggedIn;
    if (price == "hide") return kCartHiddenPrice;
    if (productId.size() < 4 || name.size() < 4 || price.size() < 4) return kCartBadInput;
    // Slots hold the id cut to its capacity; compare in that form so that an
    // over-long id cannot be added twice.
    const std::string id = cutTo(productId, kIdMax);
    for (const CartItem& item : s.cart)
        if (item.productId == id) return kCartAlreadyIn;
    try {
        if (cartCount() >= kCartSlots - 1) return kCartFull;
        if (owned(productId)) return kCartOwned;
        if (isBundleId(productId)) return addBundle(productId, cartCode);
        return addSingle(productId, name, price, couponCode, cartCode, linkedId);
    } catch (...) {
        return kCartBadInput;
    }
}

int cartLinkedId(const std::string& productId, std::string& out) {
    for (const CartItem& item : state().cart) {
        if (!item.productId.empty() && item.productId == productId && !item.linkedId.empty()) {
            out = item.linkedId;
            return 0;
        }
    }
    return 1;
}

int cartFindByName(const std::string& name, std::string& productId, std::string& linkedId) {
    for (const CartItem& item : state().cart) {
        if (!item.productId.empty() && item.name == name) {
            productId = item.productId;
            linkedId = item.linkedId;
            return 0;
        }
    }
    return 1;
}

int cartRemove(const std::string& productId) {
    AgentState& s = state();
    std::string target = productId;
    cartLinkedId(productId, target);

    int result = 0;
    if (isBundleId(target)) {
        // The bundle's members and every product offered with it.
        for (CartItem& item : s.cart) {
            if (!item.productId.empty() && item.linkedId == target) {
                item = CartItem{};
                result = 1;
            }
        }
    } else {
        CartItem* found = nullptr;
        for (CartItem& item : s.cart) {
            if (!item.productId.empty() && item.productId == productId) {
                found = &item;
                break;
            }
        }
        if (!found) return 0;
        if (!found->linkedId.empty()) {
            const std::string linked = found->linkedId;
            for (CartItem& item : s.cart) {
                if (!item.productId.empty() && item.productId == linked) {
                    item = CartItem{};
                    break;
                }
            }
        }
        *found = CartItem{};
        result = 1;
    }
    if (!s.storeReady || cartCount() == 0) s.cartFilled = false;
    return result;
}

int cartState(const std::string& productId) {
    const AgentState& s = state();
    const std::string& vendorId = s.identity.vendorId;
    const bool bundle = isBundleId(productId);
    for (const CartItem& item : s.cart) {
        if (item.productId.empty()) continue;
        if (item.productId == productId && item.vendorId == vendorId) return item.linkedId.empty() ? 1 : 2;
        if (item.linkedId.size() > 4 && bundle && item.linkedId == productId && item.vendorId == vendorId) return 1;
    }
    return 0;
}

void buildProductList() {
    AgentState& s = state();
    s.checkoutReply.clear();
    s.summaryText.clear();
    s.totalText.clear();
    s.subtotal = 0;
    s.checkoutOutcome = 0;
    s.productList = "&productlist=";
    for (const CartItem& item : s.cart) {
        if (item.productId.empty()) continue;
        s.productList += item.productId + "|" + formEncode(item.name) + "|" + item.price + "|" +
                         (item.linkedId.size() > 4 ? item.linkedId : item.couponCode) + "|" + item.tax + "|" +
                         item.vendorId + "|" + formEncode(item.vendorName) + "|" + item.cartCode + "*";
        s.subtotal += parseAmount(item.price);
        s.totalText = formatMoney(s.subtotal);
    }
}

}  // namespace orvane
