#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "commerce/money.h"

using namespace orvane;

TEST(ParseAmount, ReadsTheLeadingNumberLikeStrtod) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"19.99", 19.99},
        {"  7.5abc", 7.5},
        {"\t\n\v\f\r 4", 4},
        {"+3", 3},
        {"-2.5", -2.5},
        {".5", 0.5},
        {"5.", 5},
        {"1e2", 100},
        {"2.5E-1x", 0.25},
        {"1e", 1},   // an exponent without digits is not part of the number
        {"1e+", 1},
        {"1,50", 1},  // the decimal point is always "."
        {"0x10", 16},
        {"0X1.8p1", 3},
        {"0x.8", 0.5},
        {"0x", 0},    // "0" then a stray "x"
        {"0xg", 0},
        {"", 0},
        {"abc", 0},
        {".", 0},
        {"-", 0},
        {"--1", 0},
        {"+-1", 0},
        {"- 1", 0},
        {"$5", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(parseAmount(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseAmount, OutOfRangeGivesInfinityOrZeroLikeStrtod) {
    EXPECT_EQ(parseAmount("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseAmount("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseAmount("1e-400"), 0.0);
    EXPECT_TRUE(std::isinf(parseAmount("inf")));
    EXPECT_TRUE(std::isnan(parseAmount("nan")));
}

TEST(RoundCents, AddsHalfACentAndRoundsDown) {
    struct Case {
        long double in;
        long double out;
    } cases[] = {
        {19.99 * 0.0825, 1.65L},  // 1.649175
        {5.99 * 0.8, 4.79L},      // 4.792
        {10.0 * 0.8, 8.0L},
        {0.125L, 0.13L},          // exactly half a cent goes up
        {2.5L, 2.5L},
        {0.0L, 0.0L},
        {-0.125L, -0.12L},        // rounded down means towards minus infinity
        {0.004L, 0.0L},
        {0.005L + 1e-12L, 0.01L},
    };
    for (const Case& c : cases) EXPECT_NEAR(static_cast<double>(roundCents(c.in)), static_cast<double>(c.out), 1e-12)
        << static_cast<double>(c.in);
}

TEST(FormatMoney, TwoDecimalsNoExponentNoSeparators) {
    struct Case {
        double in;
        const char* out;
    } cases[] = {
        {30, "30.00"},
        {7.5, "7.50"},
        {0, "0.00"},
        {18, "18.00"},
        {1234567.891, "1234567.89"},
        {1e20, "100000000000000000000.00"},
        {0.125, "0.12"},  // plain formatting rounds the exact tie to even
        {-4.5, "-4.50"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatMoney(c.in), c.out) << c.in;
    // Through roundCents the same half cent goes up.
    EXPECT_EQ(formatMoney(static_cast<double>(roundCents(0.125))), "0.13");
}

TEST(ItemTax, PriceTimesTaxRateRoundedToCents) {
    struct Case {
        const char* price;
        const char* rate;
        const char* tax;
    } cases[] = {
        {"19.99", "0.0825", "1.65"},
        {"19.99", "", "0.00"},
        {"29.99", "0.07", "2.10"},  // 2.0993
        {"8.00", "0.0825", "0.66"},
        {"4.79", "0.0825", "0.40"},  // 0.395175
        {"abc", "0.07", "0.00"},
        {"10.00", "x", "0.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(itemTax(c.price, c.rate), c.tax) << c.price << " x " << c.rate;
}
