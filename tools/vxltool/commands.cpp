#include "tools/vxltool/commands.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "qormap/qormap.h"
#include "tools/vxltool/gallery.h"
#include "tools/vxltool/loaded_map.h"
#include "tools/vxltool/map_diff.h"
#include "tools/vxltool/map_info.h"
#include "tools/vxltool/png_file.h"
#include "tools/vxltool/render.h"

namespace {

constexpr char toolName[] = "vxltool";

constexpr char toolUsage[] =
    "Usage: vxltool COMMAND [ARGUMENTS]\n"
    "Checks, describes, compares and pictures 512 x 512 x 64 VXL map files.\n"
    "\n"
    "Commands:\n"
    "  check FILE...                  validate maps, one line per file\n"
    "  info [--json] FILE             sizes, voxel counts, surface heights, colours\n"
    "  diff A B                       compare two maps voxel by voxel\n"
    "  render [--view top|iso] [-o OUT.png] FILE\n"
    "                                 write a picture of a map\n"
    "  gallery FILE... -o DIR | gallery --seeds A-B [-b N -p N -c N -d] -o DIR\n"
    "                                 a page of many maps, with pictures and figures\n"
    "\n"
    "Run 'vxltool COMMAND --help' for more on a command, 'vxltool --version' for\n"
    "the version.\n"
    "Exit status: 0 success; 1 an invalid or unreadable map, or a failed write;\n"
    "2 bad usage; 3 (diff) the maps differ.\n";

constexpr char checkUsage[] =
    "Usage: vxltool check FILE...\n"
    "Checks that each FILE is a well-formed 512 x 512 x 64 VXL map and prints one\n"
    "line per file: 'FILE: ok', or the first fault with its byte offset, column\n"
    "(x, y) and reason.\n"
    "\n"
    "Exit status: 0 when every file is sound, 1 when any is not or cannot be\n"
    "read, 2 on bad usage.\n";

constexpr char infoUsage[] =
    "Usage: vxltool info [--json] FILE\n"
    "Prints the file size, the number of spans, solid, coloured and hidden voxels,\n"
    "empty columns and distinct colours, and a histogram of surface heights (the\n"
    "height of each column's topmost solid voxel above the bottom layer, 0 to 63).\n"
    "\n"
    "  --json   print one JSON object instead, for scripts\n"
    "\n"
    "Exit status: 0 on success, 1 on an invalid or unreadable map, 2 on bad usage.\n";

constexpr char diffUsage[] =
    "Usage: vxltool diff A B\n"
    "Compares two maps voxel by voxel: solid or not, colour stored or not, and the\n"
    "colour. Prints whether they are identical, or how many columns and voxels\n"
    "differ and the first differing column (x, y) in file order.\n"
    "\n"
    "Exit status: 0 when identical, 3 when they differ, 1 on an invalid or\n"
    "unreadable map, 2 on bad usage.\n";

constexpr char renderUsage[] =
    "Usage: vxltool render [--view top|iso] [-o OUT.png] FILE\n"
    "Writes a PNG picture of a map.\n"
    "\n"
    "  --view top   one pixel per column: the colour of its topmost voxel, darker\n"
    "               the lower it lies (the default; 512 x 512 pixels)\n"
    "  --view iso   an isometric view from above the corner (511, 511), each voxel\n"
    "               2 x 2 pixels (1024 x 576 pixels)\n"
    "  -o OUT.png   the picture's file; by default FILE without its .vxl ending,\n"
    "               plus .png (-iso.png for the isometric view)\n"
    "\n"
    "Exit status: 0 on success, 1 on an invalid or unreadable map or a failed\n"
    "write, 2 on bad usage.\n";

constexpr char galleryUsage[] =
    "Usage: vxltool gallery FILE... -o DIR\n"
    "       vxltool gallery --seeds A-B [-b N] [-p N] [-c N] [-d] [--keep-maps] -o DIR\n"
    "Writes DIR/index.html, a page with a card for each map: a top-down and an\n"
    "isometric picture (each links to its full size), the file size, the solid and\n"
    "coloured voxels, a chart of surface heights and the check verdict. The page\n"
    "needs no network or server: open it in any browser. A rerun replaces the page\n"
    "whole and removes no file.\n"
    "\n"
    "  -o DIR         the folder for the page and its pictures (made when missing)\n"
    "  --seeds A-B    make the maps for seeds A to B (0 to 2147483647) in this\n"
    "                 process instead of reading files; a single seed is also taken\n"
    "  -b N, -p N, -c N, -d\n"
    "                 bumpiness (0 to 100), pillars and connectors (0 to 65536) and\n"
    "                 start-region outlines for every seed, as qormap takes them\n"
    "  --keep-maps    also write each map made from a seed into DIR/maps\n"
    "\n"
    "Exit status: 0 on success; 1 when a map is invalid or unreadable (its card\n"
    "says why, and the page is still written) or when writing fails; 2 on bad usage.\n";

struct Command {
    const char* name;
    const char* usage;
    bool takesJson;
    bool takesRenderOptions;
    bool takesGalleryOptions;
    size_t minOperands;
    size_t maxOperands;  // 0: no limit
};

constexpr Command commands[] = {
    {"check", checkUsage, false, false, false, 1, 0},
    {"info", infoUsage, true, false, false, 1, 1},
    {"diff", diffUsage, false, false, false, 2, 2},
    {"render", renderUsage, false, true, false, 1, 1},
    {"gallery", galleryUsage, false, false, true, 0, 0},
};

// A number option of the generator, as the gallery passes it on.
struct MapOption {
    char letter;
    int32_t most;
    bool given;
    std::string value;
};

struct Arguments {
    std::vector<std::string> operands;
    bool help = false;
    bool json = false;
    std::string view = "top";
    std::string output;
    bool seedsGiven = false;
    std::string seeds;
    MapOption mapOptions[3] = {
        {'b', 100, false, {}}, {'p', 65536, false, {}}, {'c', 65536, false, {}}};
    bool debug = false;
    bool keepMaps = false;
};

int usageError(const Command& command, const std::string& problem) {
    std::fprintf(stderr, "%s %s: %s; run '%s %s --help' for its usage\n", toolName, command.name,
                 problem.c_str(), toolName, command.name);
    return toolUsageError;
}

constexpr std::string_view viewOption = "--view";
constexpr std::string_view outputOption = "--output";
constexpr std::string_view shortOutputOption = "-o";
constexpr std::string_view seedsOption = "--seeds";

bool isShortOption(std::string_view option) {
    return option.size() == 2;
}

// True when `word` names `option`, alone ("--view") or with its value attached
// ("--view=iso", or "-oOUT" for a one-letter option).
bool namesOption(std::string_view word, std::string_view option) {
    if (!word.starts_with(option)) {
        return false;
    }
    return word.size() == option.size() || isShortOption(option) || word[option.size()] == '=';
}

// The value attached to the word that names `option`, or else the next word
// (advancing `i` past it); false when there is neither.
bool takeValue(const std::vector<std::string>& words, size_t& i, std::string_view option,
               std::string& value) {
    const std::string& word = words[i];
    if (word.size() > option.size()) {
        value = word.substr(option.size() + (isShortOption(option) ? 0 : 1));
        return true;
    }
    if (i + 1 >= words.size()) {
        return false;
    }
    value = words[++i];
    return true;
}

// The generator option `word` names ("-b" or "-b30"), or null.
MapOption* findMapOption(Arguments& arguments, const std::string& word) {
    for (MapOption& option : arguments.mapOptions) {
        if (namesOption(word, std::string{'-', option.letter})) {
            return &option;
        }
    }
    return nullptr;
}

// Parses the words after the command name. Returns an exit status when the
// command line is done with (help printed or a usage error), -1 to go on.
int parseArguments(const Command& command, const std::vector<std::string>& words,
                   Arguments& arguments) {
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            arguments.operands.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            arguments.help = true;
        } else if (command.takesJson && word == "--json") {
            arguments.json = true;
        } else if (command.takesRenderOptions && namesOption(word, viewOption)) {
            if (!takeValue(words, i, viewOption, arguments.view)) {
                return usageError(command, "option --view needs a value (top or iso)");
            }
        } else if ((command.takesRenderOptions || command.takesGalleryOptions) &&
                   (namesOption(word, outputOption) || namesOption(word, shortOutputOption))) {
            const std::string_view option =
                namesOption(word, outputOption) ? outputOption : shortOutputOption;
            if (!takeValue(words, i, option, arguments.output) || arguments.output.empty()) {
                return usageError(command, "option " + std::string(option) + " needs a " +
                                               (command.takesGalleryOptions ? "folder" : "file") +
                                               " name");
            }
        } else if (command.takesGalleryOptions && namesOption(word, seedsOption)) {
            arguments.seedsGiven = true;
            if (!takeValue(words, i, seedsOption, arguments.seeds)) {
                return usageError(command, "option --seeds needs a range such as 1-100");
            }
        } else if (command.takesGalleryOptions && word == "-d") {
            arguments.debug = true;
        } else if (command.takesGalleryOptions && word == "--keep-maps") {
            arguments.keepMaps = true;
        } else if (MapOption* mapOption =
                       command.takesGalleryOptions ? findMapOption(arguments, word) : nullptr) {
            const std::string option = {'-', mapOption->letter};
            mapOption->given = true;
            if (!takeValue(words, i, option, mapOption->value)) {
                return usageError(command, "option " + option + " needs a number");
            }
        } else {
            return usageError(command, "unknown option '" + word + "'");
        }
    }
    if (arguments.help) {
        std::fputs(command.usage, stdout);
        return toolSuccess;
    }
    if (command.takesGalleryOptions) {
        return -1;  // its operands depend on its options
    }
    if (arguments.operands.size() < command.minOperands) {
        return usageError(command,
                          command.minOperands == 2 ? "needs two map files" : "needs a map file");
    }
    if (command.maxOperands != 0 && arguments.operands.size() > command.maxOperands) {
        return usageError(command, "too many files ('" + arguments.operands.back() + "')");
    }
    if (arguments.view != "top" && arguments.view != "iso") {
        return usageError(command, "unknown view '" + arguments.view + "' (top or iso)");
    }
    return -1;
}

bool load(const std::string& path, LoadedMap& map) {
    int error = 0;
    if (!loadMap(path.c_str(), map, error)) {
        std::fprintf(stderr, "%s: cannot read '%s': %s\n", toolName, path.c_str(),
                     std::strerror(error));
        return false;
    }
    return true;
}

int reportInvalid(const std::string& path, const VxlDecodeError& error) {
    std::fprintf(stderr, "%s: %s: %s\n", toolName, path.c_str(), describeVxlError(error).c_str());
    return toolInvalidMap;
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

int runInfo(const Arguments& arguments) {
    const std::string& path = arguments.operands[0];
    LoadedMap map;
    if (!load(path, map)) {
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

int runDiff(const Arguments& arguments) {
    const std::string& pathA = arguments.operands[0];
    const std::string& pathB = arguments.operands[1];
    LoadedMap a;
    LoadedMap b;
    if (!load(pathA, a)) {
        return toolInvalidMap;
    }
    if (!load(pathB, b)) {
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

std::string defaultPicturePath(const std::string& mapPath, bool isometric) {
    const std::string_view ending = ".vxl";
    std::string stem = mapPath;
    if (stem.size() > ending.size() &&
        stem.compare(stem.size() - ending.size(), ending.size(), ending) == 0) {
        stem.resize(stem.size() - ending.size());
    }
    return stem + (isometric ? "-iso.png" : ".png");
}

int runRender(const Arguments& arguments) {
    const std::string& path = arguments.operands[0];
    const bool isometric = arguments.view == "iso";
    const std::string output =
        arguments.output.empty() ? defaultPicturePath(path, isometric) : arguments.output;
    LoadedMap map;
    if (!load(path, map)) {
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
    if (!writePng(output.c_str(), image, reason)) {
        std::fprintf(stderr, "%s: cannot write picture '%s': %s\n", toolName, output.c_str(),
                     reason.c_str());
        return toolInvalidMap;
    }
    std::printf("wrote %s (%d x %d, %s view)\n", output.c_str(), image.width, image.height,
                isometric ? "isometric" : "top-down");
    return toolSuccess;
}

// A decimal number from 0 to `most`, digits only; false otherwise.
bool parseBounded(const std::string& text, int64_t most, int64_t& value) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::stoll(text);
    return value <= most;
}

// "A-B" or "A" into first and last; a usage error's text otherwise.
std::string parseSeedRange(const std::string& text, int32_t& first, int32_t& last) {
    constexpr int64_t largestSeed = INT32_MAX;
    const size_t dash = text.find('-');
    const std::string low = text.substr(0, dash);
    const std::string high = dash == std::string::npos ? low : text.substr(dash + 1);
    for (const std::string& end : {low, high}) {
        int64_t value = 0;
        if (end.empty() || end.find_first_not_of("0123456789") != std::string::npos) {
            return "seed range '" + text + "' is not A-B, such as 1-100";
        }
        if (!parseBounded(end, largestSeed, value)) {
            return "seed " + end + " is out of range (0 to 2147483647)";
        }
    }
    first = static_cast<int32_t>(std::stoll(low));
    last = static_cast<int32_t>(std::stoll(high));
    if (first > last) {
        return "seed range '" + text + "' is reversed: " + low + " comes after " + high;
    }
    return "";
}

int runGalleryCommand(const Command& command, const Arguments& arguments) {
    if (arguments.seedsGiven == !arguments.operands.empty()) {
        return usageError(command, arguments.seedsGiven ? "takes map files or --seeds, not both"
                                                        : "needs map files or --seeds A-B");
    }
    if (arguments.output.empty()) {
        return usageError(command, "needs an output folder (-o DIR)");
    }
    GalleryRequest request{
        arguments.operands, arguments.seedsGiven, 0, 0, qormap_default_options(0), "",
        arguments.keepMaps, arguments.output};
    const bool generatorOptions =
        arguments.debug || arguments.keepMaps ||
        std::any_of(std::begin(arguments.mapOptions), std::end(arguments.mapOptions),
                    [](const MapOption& o) { return o.given; });
    if (!arguments.seedsGiven) {
        if (generatorOptions) {
            return usageError(command, "options -b, -p, -c, -d and --keep-maps go with --seeds");
        }
        return runGallery(request);
    }
    const std::string rangeProblem =
        parseSeedRange(arguments.seeds, request.firstSeed, request.lastSeed);
    if (!rangeProblem.empty()) {
        return usageError(command, rangeProblem);
    }
    int32_t* fields[] = {&request.options.bumpiness, &request.options.pillars,
                         &request.options.connectors};
    for (size_t i = 0; i < std::size(arguments.mapOptions); ++i) {
        const MapOption& option = arguments.mapOptions[i];
        if (!option.given) {
            continue;
        }
        int64_t value = 0;
        if (!parseBounded(option.value, option.most, value)) {
            return usageError(command, std::string("option -") + option.letter +
                                           " takes a whole number from 0 to " +
                                           std::to_string(option.most));
        }
        *fields[i] = static_cast<int32_t>(value);
        request.optionWords += std::string(" -") + option.letter + " " + std::to_string(value);
    }
    request.options.debug = arguments.debug ? 1 : 0;
    if (arguments.debug) {
        request.optionWords += " -d";
    }
    return runGallery(request);
}

}  // namespace

int runVxltool(int argumentCount, char** arguments) {
    if (argumentCount < 2) {
        std::fputs(toolUsage, stderr);
        return toolUsageError;
    }
    std::string name = arguments[1];
    std::vector<std::string> words(arguments + 2, arguments + argumentCount);
    if (name == "help" && !words.empty()) {
        // "help COMMAND" is "COMMAND --help".
        name = words[0];
        words = {"--help"};
    } else if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(toolUsage, stdout);
        return toolSuccess;
    } else if (name == "--version") {
        // The generator's library and this tool are one release.
        std::printf("%s %s\n", toolName, qormap_version());
        return toolSuccess;
    }
    for (const Command& command : commands) {
        if (command.name != name) {
            continue;
        }
        Arguments parsed;
        const int status = parseArguments(command, words, parsed);
        if (status >= 0) {
            return status;
        }
        if (name == "check") {
            return runCheck(parsed);
        }
        if (name == "info") {
            return runInfo(parsed);
        }
        if (name == "diff") {
            return runDiff(parsed);
        }
        if (name == "gallery") {
            return runGalleryCommand(command, parsed);
        }
        return runRender(parsed);
    }
    std::fprintf(stderr, "%s: unknown command '%s'; run '%s --help' for the commands\n", toolName,
                 name.c_str(), toolName);
    return toolUsageError;
}
