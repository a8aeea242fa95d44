#include "app/pipeline.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

namespace {

struct Given {
    const char* b;
    const char* p;
    const char* c;
};

GenerationParameters derive(Given given) {
    const char* values[256] = {};
    values[static_cast<unsigned char>('b')] = given.b;
    values[static_cast<unsigned char>('p')] = given.p;
    values[static_cast<unsigned char>('c')] = given.c;
    return deriveParameters(values);
}

}  // namespace

TEST(DeriveParameters, DefaultsAndClamps) {
    struct Case {
        Given given;
        float bumpiness;  // compared by bit pattern
        int32_t pillars;
        int32_t connectors;
    };
    const Case cases[] = {
        {{nullptr, nullptr, nullptr}, 0.5f, 400, 300},
        {{"50", nullptr, nullptr}, 0.5f, 400, 300},  // same as no -b
        {{"0", nullptr, nullptr}, 0.0f, 400, 300},
        {{"100", nullptr, nullptr}, 1.0f, 400, 300},
        {{"33", nullptr, nullptr}, 0.33f, 400, 300},
        {{"150", nullptr, nullptr}, 1.0f, 400, 300},
        {{"101", nullptr, nullptr}, 1.0f, 400, 300},
        {{"-20", nullptr, nullptr}, 0.0f, 400, 300},
        {{"x", nullptr, nullptr}, 0.0f, 400, 300},  // not a number reads as 0
        {{"4000000000", nullptr, nullptr}, 0.0f, 400, 300},
        {{nullptr, "70000", nullptr}, 0.5f, 65536, 300},
        {{nullptr, "65536", "65536"}, 0.5f, 65536, 65536},
        {{nullptr, "-1", "-1"}, 0.5f, 0, 0},
        {{nullptr, "x", "0"}, 0.5f, 0, 0},
        {{nullptr, "12", "34"}, 0.5f, 12, 34},
        {{nullptr, "", "4000000000"}, 0.5f, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.given.b ? c.given.b : "-") << ' ' << (c.given.p ? c.given.p : "-") << ' '
                     << (c.given.c ? c.given.c : "-"));
        const GenerationParameters got = derive(c.given);
        EXPECT_EQ(std::bit_cast<uint32_t>(got.bumpiness), std::bit_cast<uint32_t>(c.bumpiness));
        EXPECT_EQ(got.pillarCount, c.pillars);
        EXPECT_EQ(got.connectorCount, c.connectors);
    }
}

TEST(DeriveParameters, BumpinessIsTheFloatNearestPercent) {
    for (int n = 0; n <= 100; ++n) {
        SCOPED_TRACE(n);
        const std::string text = std::to_string(n);
        const float expected = static_cast<float>(n / 100.0);
        EXPECT_EQ(std::bit_cast<uint32_t>(derive({text.c_str(), nullptr, nullptr}).bumpiness),
                  std::bit_cast<uint32_t>(expected));
    }
}
