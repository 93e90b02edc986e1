// The right half of the main window: the product selected in the list, with
// its picture, prices, bundle offer and, for an owned product, its files.
#pragma once

#include <string>

namespace orvane {

// A product offered at a discount, looked up in the raw catalogue.
struct OfferLookup {
    int index = -1;          // first listed catalogue record with the id, -1 when none
    std::string name;        // that record's name
    std::string price;       // its price text
    std::string offerPrice;  // the price text itself for a percent of 0 or less, else the discounted price
};

OfferLookup offerPrice(const std::string& productId, double percent);

// Fills the panel and state().selected from the selected list row.
void refreshDetailPanel();

// The file box's selection changed: takes the chosen file, or goes back to
// the "Select File..." prompt.
void chooseFile();

}  // namespace orvane
