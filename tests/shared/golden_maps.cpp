#include "tests/shared/golden_maps.h"

#include "tests/shared/locations.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

// Lines are "SHA256 SIZE WORDS..."; '#' starts a comment line.
std::vector<GoldenMap> readGoldenMaps() {
    std::vector<GoldenMap> maps;
    std::ifstream table(goldenMapsFile());
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        GoldenMap map{};
        fields >> map.sha256 >> map.size;
        for (std::string word; fields >> word;) {
            map.words.push_back(word);
        }
        maps.push_back(map);
    }
    return maps;
}

}  // namespace

const std::vector<GoldenMap>& goldenMaps() {
    static const std::vector<GoldenMap> maps = readGoldenMaps();
    return maps;
}

const GoldenMap& goldenMap(const std::vector<std::string>& words) {
    for (const GoldenMap& map : goldenMaps()) {
        if (map.words == words) {
            return map;
        }
    }
    ADD_FAILURE() << "no map recorded for " << testing::PrintToString(words) << " in "
                  << goldenMapsFile();
    static const GoldenMap none{};
    return none;
}
