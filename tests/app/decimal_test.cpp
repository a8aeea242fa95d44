#include "app/decimal.h"

#include <gtest/gtest.h>

TEST(ParseDecimal, ReadsLikeTheCLibraryButWraps) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"+7", 7},
        {"-42", -42},
        {" \t\n\v\f\r12", 12},       // every white-space byte is skipped
        {"12abc", 12},               // digits up to the first non-digit
        {"4000000000", -294967296},  // wraps modulo 2^32, printed signed
        {"4294967296", 0},
        {"4294967297", 1},
        {"99999999999", 1215752191},
        {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"-4000000000", 294967296},
        {"x", 0},  // no digits at all
        {"", 0},
        {"-", 0},
        {"+-3", 0},  // one sign only
        {"- 5", 0},  // no space after the sign
        {"0x1F", 0},
        {"007", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseDecimal(c.text), c.value);
    }
}
