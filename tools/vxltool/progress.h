// The progress line a long command keeps redrawing on a terminal.
#pragma once

#include <cstdint>
#include <string>

// "[#########...............]  37/100 maps  12.3 maps/s  5 s left" after
// `seconds` of work; the rate and the time left are left out until the
// first map is done.
std::string progressLine(int64_t done, int64_t total, double seconds);
