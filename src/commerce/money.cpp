#include "commerce/money.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace orvane {

namespace {

bool isCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

double parseAmount(const std::string& text) {
    // std::from_chars never looks at the locale, so a program (or a library)
    // that switches the C locale cannot turn "7.50" into 7. It takes neither
    // leading blanks, a "+" nor the "0x" prefix, so those are handled here.
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end && isCSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || *p == '+' || *p == '-') return 0;  // a second sign: no number

    double value = 0;
    std::from_chars_result r{};
    const bool hex = end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
                     ((p + 2 < end && isHexDigit(p[2])) || (end - p >= 4 && p[2] == '.' && isHexDigit(p[3])));
    if (hex)
        r = std::from_chars(p + 2, end, value, std::chars_format::hex);
    else
        r = std::from_chars(p, end, value, std::chars_format::general);

    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: strtod gives the same infinity or
        // zero that the standard conversion would. The program never changes
        // the C locale, so its decimal point is ".".
        value = std::strtod(p, nullptr);
        return negative ? -value : value;
    }
    if (r.ec != std::errc()) return 0;
    return negative ? -value : value;
}

long double roundCents(long double x) { return std::floor(x * 100.0L + 0.5L) / 100.0L; }

std::string formatMoney(double x) {
    char buffer[400];  // DBL_MAX has 309 digits before the point
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 2);
    if (r.ec != std::errc()) return {};
    return std::string(buffer, r.ptr);
}

std::string itemTax(const std::string& price, const std::string& taxRate) {
    return formatMoney(static_cast<double>(roundCents(parseAmount(price) * parseAmount(taxRate))));
}

}  // namespace orvane
