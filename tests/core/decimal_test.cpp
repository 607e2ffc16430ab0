#include "decimal.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

TEST(DecimalValue, ReadsLikeAtoiAndWrapsAroundIn32Bits) {
    struct Case {
        std::string text;
        std::int32_t value;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {"0", 0},
        {"100", 100},
        {"5x", 5},
        {" 7", 7},
        {"\t\n\v\f\r 12", 12},
        {"abc", 0},
        {"-3", -3},
        {"+42", 42},
        {"+-1", 0},
        {"--1", 0},
        {"- 1", 0},
        {"1 2", 1},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967301", 5},
        {"99999999999999999999999999", static_cast<std::int32_t>(3825205247u)},  // 10^26 - 1 mod 2^32
    };
    for (const auto& c : cases) EXPECT_EQ(tav::decimal_value(c.text), c.value) << '"' << c.text << '"';
}

TEST(DecimalValue, KilobytesWrapWhenShiftedToBytes) {
    EXPECT_EQ(tav::kilobytes_to_bytes(1), 1024);
    EXPECT_EQ(tav::kilobytes_to_bytes(1024), 1048576);
    EXPECT_EQ(tav::kilobytes_to_bytes(2097151), 2147482624);
    EXPECT_EQ(tav::kilobytes_to_bytes(2097152), INT_MIN);
    EXPECT_EQ(tav::kilobytes_to_bytes(4194304), 0);
    EXPECT_EQ(tav::kilobytes_to_bytes(4194305), 1024);
    EXPECT_EQ(tav::kilobytes_to_bytes(-1), -1024);
    EXPECT_EQ(tav::kilobytes_to_bytes(INT_MIN), 0);
}
