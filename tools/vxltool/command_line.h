// The words of a vxltool command line read into what they say: the options a
// command takes, its operands, and the one reader of seed ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qormap/qormap.h"

using Words = std::vector<std::string>;

// What a command line says, once read.
struct Arguments {
    std::vector<std::string> operands;
    bool help = false;
    bool json = false;
    std::string view = "top";
    std::string output;
    bool seedsGiven = false;
    std::string seeds;      // as given; readSeedRange reads it
    int32_t firstSeed = 0;  // the range read from `seeds`
    int32_t lastSeed = 0;
    qormap_options map = qormap_default_options(0);
    std::string mapWords;  // the map's options as a qormap command line spells them
    bool keepMaps = false;
    std::vector<std::string> valued;  // the options with a value met so far
};

// The options a command takes beyond --help and --.
enum OptionSet : unsigned {
    jsonOption = 1,
    viewOption = 2,
    outputOption = 4,
    galleryOptions = 8,  // --seeds, -b, -p, -c, -d, --keep-maps
};

// Reads the options in `accepted` and the operands; a usage error's text, or empty.
std::string readOptions(const Words& words, unsigned accepted, Arguments& arguments);

// Between `least` and `most` map files (`most` 0: no limit); a usage error's text otherwise.
std::string needFiles(const Arguments& arguments, size_t least, size_t most);

// "A-B" or "A" into first and last, each 0 to 2147483647 and read by its
// value (leading zeros count for nothing); a usage error's text otherwise.
std::string readSeedRange(const std::string& text, int32_t& first, int32_t& last);
