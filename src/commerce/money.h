// Money arithmetic of the cart and checkout. Prices travel as decimal text;
// these helpers are the only way the program computes with them.
#pragma once

#include <string>

namespace orvane {

// The leading number of a text, read like strtod in the "C" locale (leading
// white space, sign, decimal or hexadecimal digits, exponent, inf, nan);
// the first character that does not fit ends it. No number gives 0.
double parseAmount(const std::string& text);

// x * 100 + 0.5, rounded down, divided by 100, in long double: amounts
// ending in exactly half a cent go up.
long double roundCents(long double x);

// Fixed-point text with exactly two decimals ("30.00", "7.50"), no exponent,
// no thousands separator, "." as decimal point whatever the locale.
std::string formatMoney(double x);

// The tax of one item: formatMoney(roundCents(price * taxRate)); an empty
// tax rate reads as 0.
std::string itemTax(const std::string& price, const std::string& taxRate);

}  // namespace orvane
