#include "orvex/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orvex;

struct FixedCase {
    double value;
    int width, decimals;
    char separator;
    const char *expected;
};

TEST(FormatFixed, CornersOfRoundingWidthAndSign) {
    const FixedCase cases[] = {
        {1.5, 20, 10, '.', "        1.5000000000"},
        {-2.25, 14, 5, '.', "      -2.25000"},
        {0.125, 0, 2, '.', "0.13"}, // exact half goes away from zero
        {-0.125, 0, 2, '.', "-0.13"},
        {0.375, 0, 2, '.', "0.38"},
        {2.675, 0, 2, '.', "2.67"},   // 2.675 is 2.67499999... in binary
        {9.995, 0, 2, '.', "9.99"},   // likewise below the half
        {9.9951, 0, 2, '.', "10.00"}, // carry into a new digit
        {999.5, 0, 0, '.', "1000"},
        {-0.0, 0, 2, '.', "0.00"},   // negative zero has no sign
        {-0.004, 0, 2, '.', "0.00"}, // nor does a value that rounds to zero
        {-0.005, 0, 2, '.', "-0.01"},
        {123456789.125, 10, 2, '.', "123456789.13"}, // overflowing width: written whole
        {1e20, 14, 2, '.', "100000000000000000000.00"},
        {3.14159, 8, 3, ',', "   3,142"},
        {0.1, 20, 10, '.', "        0.1000000000"},
        {12.0, 14, 2, '.', "         12.00"},
        {7.0, 4, 0, '.', "   7"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.width, c.decimals, c.separator), c.expected)
            << c.value << " R(" << c.width << "." << c.decimals << ")";
}

TEST(FormatFixed, NonFiniteValuesAreNamed) {
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 6, 2), "   INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 0, 2), "-INF");
    EXPECT_EQ(FormatFixed(std::nan(""), 0, 2), "NAN");
}

TEST(FormatGeneral, ShortestFormAndExponentSwitch) {
    const struct {
        double value;
        char separator;
        const char *expected;
    } cases[] = {
        {0.0, '.', "0"},
        {-0.0, '.', "0"},
        {1.0, '.', "1"},
        {2.51, '.', "2.51"},
        {2.51, ',', "2,51"},
        {-198.041, '.', "-198.041"},
        {0.1, '.', "0.1"},
        {1.0 / 3.0, '.', "0.333333333333333"},
        {2.0 / 3.0, '.', "0.666666666666667"},
        {0.0001, '.', "0.0001"},
        {0.00001, '.', "1E-5"},
        {-0.000025, '.', "-2.5E-5"},
        {123456789012345.0, '.', "123456789012345"},
        {1234567890123456.0, '.', "1.23456789012346E15"},
        {1e20, '.', "1E20"},
        {1.5e20, ',', "1,5E20"},
        {100.0, '.', "100"},
        {0.10000000149011612, '.', "0.100000001490116"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatGeneral(c.value, c.separator), c.expected) << c.value;
}

TEST(FormatFixedOrGeneral, SwitchesWhenTooManyDigitsBeforeThePoint) {
    EXPECT_EQ(FormatFixedOrGeneral(7.5, 5, 1), "7.5");
    EXPECT_EQ(FormatFixedOrGeneral(0.0, 5, 1), "0.0");
    EXPECT_EQ(FormatFixedOrGeneral(-99999.94, 5, 1), "-99999.9");
    EXPECT_EQ(FormatFixedOrGeneral(99999.96, 5, 1), "1E5"); // rounding adds a sixth digit
    EXPECT_EQ(FormatFixedOrGeneral(123456.7, 5, 1), "1.2346E5");
    EXPECT_EQ(FormatFixedOrGeneral(8388607, 10, 0), "8388607");
    EXPECT_EQ(FormatFixedOrGeneral(2.51, 10, 1, ','), "2,5");
}

TEST(FormatIntegers, WidthsZerosAndBooleans) {
    EXPECT_EQ(FormatInt(42, 10), "        42");
    EXPECT_EQ(FormatInt(-42, 3), "-42");
    EXPECT_EQ(FormatInt(1234567, 4), "1234567");
    EXPECT_EQ(FormatIntZeros(3, 2), "03");
    EXPECT_EQ(FormatIntZeros(12, 4), "0012");
    EXPECT_EQ(FormatIntZeros(12345, 4), "12345");
    EXPECT_EQ(FormatIntZeros(-5, 4), "-005");
    EXPECT_EQ(FormatIntZeros(0, 0), "0");
    EXPECT_EQ(FormatBool(true, 10), "      TRUE");
    EXPECT_EQ(FormatBool(false, 10), "     FALSE");
    EXPECT_EQ(FormatBool(false, 3), "FALSE");
}
