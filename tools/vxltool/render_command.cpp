#include "tools/vxltool/render_command.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/file_kind.h"
#include "reading/render.h"
#include "tools/vxltool/command_maps.h"
#include "tools/vxltool/commands.h"
#include "tools/vxltool/png_file.h"

using namespace qormap;

const char renderUsage[] =
    "Usage: vxltool render [--view top|iso] [-o OUT.png] FILE\n"
    "Writes a PNG picture of a map.\n"
    "\n"
    "  --view top   one pixel per column: the colour of its topmost voxel, darker\n"
    "               the lower it lies (the default; 512 x 512 pixels)\n"
    "  --view iso   an isometric view from above the corner (511, 511), each voxel\n"
    "               2 x 2 pixels (1024 x 576 pixels)\n"
    "  -o OUT.png   the picture's file; by default FILE without its .vxl ending,\n"
    "               plus .png (-iso.png for the isometric view); needed when FILE\n"
    "               is not a regular file, and never FILE itself\n"
    "\n"
    "Exit status: 0 on success, 1 on an invalid or unreadable map or a failed\n"
    "write, 2 on bad usage.\n";

namespace {

std::string defaultPicturePath(const std::string& mapPath, bool isometric) {
    const std::string_view ending = ".vxl";
    std::string stem = mapPath;
    if (stem.size() > ending.size() &&
        stem.compare(stem.size() - ending.size(), ending.size(), ending) == 0) {
        stem.resize(stem.size() - ending.size());
    }
    return stem + (isometric ? "-iso.png" : ".png");
}

}  // namespace

// A picture never replaces its map, and a map read from a pipe or device has
// no name of its own to put the picture beside.
std::string parseRender(const Words& words, Arguments& arguments) {
    std::string problem = readOptions(words, viewOption | outputOption, arguments);
    if (problem.empty() && !arguments.help) {
        problem = needFiles(arguments, 1, 1);
    }
    if (!problem.empty() || arguments.help) {
        return problem;
    }
    if (arguments.view != "top" && arguments.view != "iso") {
        return "unknown view '" + arguments.view + "' (top or iso)";
    }
    const std::string& map = arguments.operands[0];
    if (arguments.output.empty()) {
        if (fileKind(map.c_str()) == FileKind::other) {
            return "'" + map + "' is not a regular file: name the picture with -o";
        }
        arguments.output = defaultPicturePath(map, arguments.view == "iso");
    }
    std::error_code error;
    if (std::filesystem::equivalent(map, arguments.output, error)) {
        return "the picture '" + arguments.output + "' would replace the map itself";
    }
    return "";
}

int runRender(const Arguments& arguments) {
    const std::string& path = arguments.operands[0];
    const bool isometric = arguments.view == "iso";
    LoadedMap map;
    if (!loadForCommand(path, map)) {
        return toolInvalidMap;
    }
    Image image;
    VxlDecodeError error{};
    const bool valid = isometric ? renderIsometric(map.data, map.size, image, error)
                                 : renderTopDown(map.data, map.size, image, error);
    if (!valid) {
        return reportInvalid(path, error);
    }
    std::string reason;
    if (!writePng(arguments.output.c_str(), image, reason)) {
        std::fprintf(stderr, "%s: cannot write picture '%s': %s\n", toolName,
                     arguments.output.c_str(), reason.c_str());
        return toolInvalidMap;
    }
    std::printf("wrote %s (%d x %d, %s view)\n", arguments.output.c_str(), image.width,
                image.height, isometric ? "isometric" : "top-down");
    return toolSuccess;
}
