// The golden table (tests/app/golden_maps.txt): whole maps recorded by their
// SHA-256 and size for fixed arguments. It is a text file so that the
// cross-compiler check reads the very same maps, and it owns those facts:
// tests that need a map's size or hash read them here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct GoldenMap {
    std::vector<std::string> words;  // the arguments, without -o
    size_t size;
    std::string sha256;
};

// Every line of the table, in order; empty when it cannot be read.
const std::vector<GoldenMap>& goldenMaps();

// The map recorded for exactly `words`; adds a test failure and returns an
// empty record when there is none.
const GoldenMap& goldenMap(const std::vector<std::string>& words);
