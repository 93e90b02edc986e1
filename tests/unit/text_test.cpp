#include <gtest/gtest.h>

#include "net/text.h"

using namespace orvane;

TEST(SplitFields, CutsAtEveryDelimiterKeepingEmptyFields) {
    struct Case {
        std::string text;
        char delimiter;
        std::vector<std::string> fields;
    } cases[] = {
        {"", '|', {""}},
        {"x", '|', {"x"}},
        {"a|b", '|', {"a", "b"}},
        {"|a", '|', {"", "a"}},
        {"a|", '|', {"a", ""}},
        {"a||b", '|', {"a", "", "b"}},
        {"|", '|', {"", ""}},
        {std::string("r0\x02r1\x02", 6), '\x02', {"r0", "r1", ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitFields(c.text, c.delimiter), c.fields) << c.text;
}

TEST(SplitFields, AppendsToTheListWithoutClearingIt) {
    std::vector<std::string> list{"kept"};
    splitFields("a*b", '*', list);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "a", "b"}));
}

TEST(FormEncode, KeepsUnreservedEncodesTheRest) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"a b&c", "a+b%26c"},
        {"\xE9", "%e9"},
        {"AZaz09-_.!~*'()", "AZaz09-_.!~*'()"},
        {"Tollan Studios", "Tollan+Studios"},
        {"a=b/c?d+e%", "a%3db%2fc%3fd%2be%25"},
        {std::string("\x00\x7f", 2), "%00%7f"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(formEncode(c.in), c.out) << c.in;
}

TEST(IntegerText, SignedAndUnsigned) {
    EXPECT_EQ(int64ToText(-1), "-1");
    EXPECT_EQ(int64ToText(0), "0");
    EXPECT_EQ(int64ToText(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(uint64ToText(UINT64_MAX), "18446744073709551615");
}
