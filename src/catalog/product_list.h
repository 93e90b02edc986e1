// The product list (owned products first) and the category box above it.
#pragma once

#include <string>

namespace orvane {

void fillProductList(const std::string& filter);
void addCategoryIfAbsent(const std::string& category);
// The text before the first "," of a categories field.
std::string firstCategory(const std::string& categories);
// The category box changed: refill for the chosen entry.
void categoryChanged();

}  // namespace orvane
