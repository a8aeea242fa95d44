#include "tools/vxltool/diff_command.h"

#include <cstdio>
#include <cstring>

#include "reading/map_diff.h"
#include "tools/vxltool/command_maps.h"
#include "tools/vxltool/commands.h"

using namespace qormap;

const char diffUsage[] =
    "Usage: vxltool diff A B\n"
    "Compares two maps voxel by voxel: solid or not, colour stored or not, and the\n"
    "colour. Prints whether they are identical, or how many columns and voxels\n"
    "differ and the first differing column (x, y) in file order.\n"
    "\n"
    "Exit status: 0 when identical, 3 when they differ, 1 on an invalid or\n"
    "unreadable map, 2 on bad usage.\n";

std::string parseDiff(const Words& words, Arguments& arguments) {
    std::string problem = readOptions(words, 0, arguments);
    return problem.empty() && !arguments.help ? needFiles(arguments, 2, 2) : problem;
}

int runDiff(const Arguments& arguments) {
    const std::string& pathA = arguments.operands[0];
    const std::string& pathB = arguments.operands[1];
    LoadedMap a;
    LoadedMap b;
    if (!loadForCommand(pathA, a)) {
        return toolInvalidMap;
    }
    if (!loadForCommand(pathB, b)) {
        return toolInvalidMap;
    }
    MapDifference difference;
    VxlDecodeError error{};
    int faultyMap = 0;
    const bool valid = compareMaps(a.data, a.size, b.data, b.size, difference, error, faultyMap);
    const bool sameBytes = a.size == b.size && std::memcmp(a.data, b.data, a.size) == 0;
    if (!valid) {
        return reportInvalid(faultyMap == 0 ? pathA : pathB, error);
    }
    if (difference.columns == 0) {
        std::printf(sameBytes ? "%s and %s are identical\n"
                              : "%s and %s hold the same voxels and colours, encoded "
                                "differently\n",
                    pathA.c_str(), pathB.c_str());
        return toolSuccess;
    }
    std::printf("%s and %s differ: %lld columns and %lld voxels, the first at column (%d, %d)\n",
                pathA.c_str(), pathB.c_str(), static_cast<long long>(difference.columns),
                static_cast<long long>(difference.voxels), difference.firstX, difference.firstY);
    return toolMapsDiffer;
}
