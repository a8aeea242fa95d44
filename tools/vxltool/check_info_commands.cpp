#include "tools/vxltool/check_info_commands.h"

#include <cstdio>
#include <cstring>

#include "reading/map_info.h"
#include "tools/vxltool/command_maps.h"
#include "tools/vxltool/commands.h"

using namespace qormap;

const char checkUsage[] =
    "Usage: vxltool check FILE...\n"
    "Checks that each FILE is a well-formed 512 x 512 x 64 VXL map and prints one\n"
    "line per file: 'FILE: ok', or the first fault with its byte offset, column\n"
    "(x, y) and reason.\n"
    "\n"
    "Exit status: 0 when every file is sound, 1 when any is not or cannot be\n"
    "read, 2 on bad usage.\n";

const char infoUsage[] =
    "Usage: vxltool info [--json] FILE\n"
    "Prints the file size, the number of spans, solid, coloured and hidden voxels,\n"
    "empty columns and distinct colours, and a histogram of surface heights (the\n"
    "height of each column's topmost solid voxel above the bottom layer, 0 to 63).\n"
    "\n"
    "  --json   print one JSON object instead, for scripts\n"
    "\n"
    "Exit status: 0 on success, 1 on an invalid or unreadable map, 2 on bad usage.\n";

std::string parseCheck(const Words& words, Arguments& arguments) {
    std::string problem = readOptions(words, 0, arguments);
    return problem.empty() && !arguments.help ? needFiles(arguments, 1, 0) : problem;
}

int runCheck(const Arguments& arguments) {
    int status = toolSuccess;
    for (const std::string& path : arguments.operands) {
        LoadedMap map;
        int loadError = 0;
        if (!loadMap(path.c_str(), map, loadError)) {
            std::printf("%s: cannot read: %s\n", path.c_str(), std::strerror(loadError));
            status = toolInvalidMap;
            continue;
        }
        VxlDecodeError error{};
        if (checkVxl(map.data, map.size, error, nullptr)) {
            std::printf("%s: ok\n", path.c_str());
        } else {
            std::printf("%s: %s\n", path.c_str(), describeVxlError(error).c_str());
            status = toolInvalidMap;
        }
    }
    return status;
}

std::string parseInfo(const Words& words, Arguments& arguments) {
    std::string problem = readOptions(words, jsonOption, arguments);
    return problem.empty() && !arguments.help ? needFiles(arguments, 1, 1) : problem;
}

int runInfo(const Arguments& arguments) {
    const std::string& path = arguments.operands[0];
    LoadedMap map;
    if (!loadForCommand(path, map)) {
        return toolInvalidMap;
    }
    MapInfo info;
    VxlDecodeError error{};
    if (!summarizeMap(map.data, map.size, info, error)) {
        return reportInvalid(path, error);
    }
    const std::string text =
        arguments.json ? formatMapInfoJson(path, info) : formatMapInfo(path, info);
    std::fputs(text.c_str(), stdout);
    return toolSuccess;
}
