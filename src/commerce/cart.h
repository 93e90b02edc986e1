// The 20-slot cart: adding single products and bundles, removing with the
// linked items, the state of a product, and the product list sent at checkout.
// The slots are state().cart; a slot with an empty productId is free.
#pragma once

#include <string>

namespace orvane {

// Result of cartAdd.
enum CartAddResult : int {
    kCartAdded = 1,                // the product, or at least one bundle member, was placed
    kCartStoreNotReady = 0,        // no store identity yet
    kCartBadInput = -1,            // id, name or price under 4 characters, or the add failed
    kCartAlreadyIn = -2,           // an item with this product id is in the cart
    kCartFull = -3,                // 19 or more slots in use
    kCartOwned = -4,               // the account owns the product
    kCartNotLoggedIn = -5,         // no one is logged in
    kCartHiddenPrice = -6,         // the price text is "hide"
    kCartBundleNoRoom = -7,        // the bundle ran out of slots; members placed before stay
    kCartBundleNothingPlaced = -8, // no member of the bundle was placed
};

// Adds a product, or for a bundle id its members at the bundle's discount.
// linkedId is the bundle offered with a single product (empty when none).
CartAddResult cartAdd(const std::string& productId, const std::string& name, const std::string& price,
                      const std::string& couponCode, const std::string& cartCode, const std::string& linkedId);

// Removes a product with every item linked with it; 1 when something went.
int cartRemove(const std::string& productId);

// 0 not in the cart, 1 in the cart (a bundle: any member is), 2 in the cart
// with a linked id.
int cartState(const std::string& productId);

// 0 and out = the linked id of the first item of that product that has one;
// 1 (out untouched) when there is none.
int cartLinkedId(const std::string& productId, std::string& out);

// 0 and the product id and linked id of the first item with exactly this
// name; 1 (outputs untouched) when there is none.
int cartFindByName(const std::string& name, std::string& productId, std::string& linkedId);

// Filled slots; 0 while the store is not ready.
int cartCount();
// Lowest free slot, or -1.
int cartFirstFree();
// Empties all 20 slots.
void cartClear();

// At least 5 characters whose first five, lower-cased, are "bndl-".
bool isBundleId(const std::string& text);

// Fills productList ("&productlist=" + one "|"-joined record per item, each
// ending with "*"), subtotal and totalText; empties the checkout's texts.
void buildProductList();

}  // namespace orvane
