#include "app/decimal.h"

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t parseDecimal(const char* text) {
    while (isSpace(*text)) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    // Unsigned arithmetic: the total wraps instead of overflowing.
    uint32_t total = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        total = 10u * total + static_cast<uint32_t>(*text - '0');
    }
    return static_cast<int32_t>(negative ? 0u - total : total);
}
