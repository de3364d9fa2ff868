#include "settings/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>

namespace {

struct IntegerCase { const char* text; int value; };

TEST(ReadIntegerText, ReadsLeadingDecimalIntegers) {
    const std::string tooLong(300, '9');
    const std::string tooLongNegative = "-" + tooLong;
    const IntegerCase cases[] = {
        {"42", 42}, {"  \t-17", -17}, {"+8", 8}, {"12abc", 12}, {"3.9", 3}, {"", 0}, {"abc", 0}, {"-", 0},
        {"- 5", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN}, {tooLong.c_str(), INT_MAX}, {tooLongNegative.c_str(), INT_MIN},
        {"\r\n7", 7}, {"0x10", 0}, {nullptr, 0},
    };
    for (const IntegerCase& c : cases) EXPECT_EQ(ReadIntegerText(c.text), c.value) << (c.text ? c.text : "null");
}

TEST(ReadIntegerText, StopsAtTheGivenEnd) {
    const char text[] = "12345";
    EXPECT_EQ(ReadIntegerText(text, text + 3), 123);
}

struct RealCase { const char* text; double value; };

TEST(ReadRealText, ReadsOnlyTheDecimalGrammar) {
    const RealCase cases[] = {
        {"3.5", 3.5}, {" -2.25x", -2.25}, {"+.5", 0.5}, {"5.", 5.0}, {"1e3", 1000.0}, {"1E-2", 0.01},
        {"2e", 2.0}, {"2e+", 2.0}, {"7,5", 7.0}, {".", 0.0}, {"", 0.0}, {"-", 0.0}, {"inf", 0.0},
        {"-infinity", 0.0}, {"nan", 0.0}, {"NAN(1)", 0.0}, {"0x1p3", 0.0}, {"1e400", DBL_MAX},
        {"-1e99999999999999999999", -DBL_MAX}, {"1e-400", 0.0}, {"0.0000001e-999", 0.0}, {"0e999", 0.0},
        {nullptr, 0.0},
    };
    for (const RealCase& c : cases) EXPECT_EQ(ReadRealText(c.text), c.value) << (c.text ? c.text : "null");
}

}  // namespace
