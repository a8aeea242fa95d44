// Decimal text to a 32-bit integer, the way every numeric option is read.
#pragma once

#include <cstdint>

// Skips leading white space, takes one optional sign, then accumulates digits
// up to the first non-digit, wrapping modulo 2^32. Text without digits gives 0,
// so "4000000000" gives the bit pattern of 4000000000 (-294967296).
int32_t parseDecimal(const char* text);
