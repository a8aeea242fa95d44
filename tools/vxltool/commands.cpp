#include "tools/vxltool/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/map_option.h"
#include "platform/file_kind.h"
#include "qormap/qormap.h"
#include "tools/vxltool/gallery.h"
#include "tools/vxltool/loaded_map.h"
#include "tools/vxltool/map_diff.h"
#include "tools/vxltool/map_info.h"
#include "tools/vxltool/png_file.h"
#include "tools/vxltool/render.h"

using namespace qormap;

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
    "               plus .png (-iso.png for the isometric view); needed when FILE\n"
    "               is not a regular file, and never FILE itself\n"
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
    "                 start-region outlines for every seed, read as qormap reads them\n"
    "  --keep-maps    also write each map made from a seed into DIR/maps\n"
    "  --             end of options: every later word is a map file\n"
    "\n"
    "Exit status: 0 on success; 1 when a map is invalid or unreadable (its card\n"
    "says why, and the page is still written) or when writing fails; 2 on bad usage.\n";

// What a command line says, once read.
struct Arguments {
    std::vector<std::string> operands;
    bool help = false;
    bool json = false;
    std::string view = "top";
    std::string output;
    bool seedsGiven = false;
    std::string seeds;
    qormap_options map = qormap_default_options(0);
    std::string mapWords;  // the map's options as a qormap command line spells them
    bool keepMaps = false;
    std::vector<std::string> valued;  // the options with a value met so far
};

using Words = std::vector<std::string>;

// One command: what reads its words (a usage error's text, or empty) and what
// runs it (its exit status).
struct Command {
    const char* name;
    const char* usage;
    std::string (*parse)(const Words& words, Arguments& arguments);
    int (*run)(const Arguments& arguments);
};

// The options a command takes beyond --help and --.
enum OptionSet : unsigned {
    jsonOption = 1,
    viewOption = 2,
    outputOption = 4,
    galleryOptions = 8,  // --seeds, -b, -p, -c, -d, --keep-maps
};

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

// Reads the value of the option `word` names: attached to it, or else the next
// word (advancing `i` past it). A usage error's text when it is missing, or
// when the option was given before: only one value can count.
std::string takeValue(const Words& words, size_t& i, std::string_view option, const char* what,
                      Arguments& arguments, std::string& value) {
    const std::string& word = words[i];
    const std::string name(option == "--output" ? "-o" : option);
    if (std::find(arguments.valued.begin(), arguments.valued.end(), name) !=
        arguments.valued.end()) {
        return "option " + name + " is given twice";
    }
    arguments.valued.push_back(name);
    if (word.size() > option.size()) {
        value = word.substr(option.size() + (isShortOption(option) ? 0 : 1));
    } else if (i + 1 < words.size()) {
        value = words[++i];
    } else {
        value.clear();
    }
    return value.empty() && (word.size() == option.size() || option == "-o" || option == "--output")
               ? "option " + std::string(option) + " needs " + what
               : "";
}

constexpr char mapValueLetters[] = "bpc";

// True when `word` names one of the map's options: -b, -p or -c, or -d.
bool isMapWord(const std::string& word) {
    return word == "-d" || (word.size() >= 2 && word[0] == '-' && word[1] != '\0' &&
                            std::strchr(mapValueLetters, word[1]) != nullptr);
}

// Reads one of the map's options the way qormap reads it.
std::string readMapWord(const Words& words, size_t& i, Arguments& arguments) {
    const char letter = words[i][1];
    if (letter == 'd') {
        readMapOption(letter, "", arguments.map);
        arguments.mapWords += " -d";
        return "";
    }
    const std::string option = {'-', letter};
    std::string value;
    std::string problem = takeValue(words, i, option, "a number", arguments, value);
    if (problem.empty()) {
        qormap_options& map = arguments.map;
        readMapOption(letter, value.c_str(), map);
        const int32_t number = letter == 'b'   ? map.bumpiness
                               : letter == 'p' ? map.pillars
                                               : map.connectors;
        arguments.mapWords += " " + option + " " + std::to_string(number);
    }
    return problem;
}

// Reads the options in `accepted` and the operands; a usage error's text, or empty.
std::string readOptions(const Words& words, unsigned accepted, Arguments& arguments) {
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        std::string problem;
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            arguments.operands.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            arguments.help = true;
        } else if ((accepted & jsonOption) != 0 && word == "--json") {
            arguments.json = true;
        } else if ((accepted & viewOption) != 0 && namesOption(word, "--view")) {
            problem =
                takeValue(words, i, "--view", "a value (top or iso)", arguments, arguments.view);
        } else if ((accepted & outputOption) != 0 &&
                   (namesOption(word, "--output") || namesOption(word, "-o"))) {
            const char* what = (accepted & galleryOptions) != 0 ? "a folder name" : "a file name";
            problem = takeValue(words, i, namesOption(word, "-o") ? "-o" : "--output", what,
                                arguments, arguments.output);
        } else if ((accepted & galleryOptions) != 0 && namesOption(word, "--seeds")) {
            arguments.seedsGiven = true;
            problem =
                takeValue(words, i, "--seeds", "a range such as 1-100", arguments, arguments.seeds);
        } else if ((accepted & galleryOptions) != 0 && word == "--keep-maps") {
            arguments.keepMaps = true;
        } else if ((accepted & galleryOptions) != 0 && isMapWord(word)) {
            problem = readMapWord(words, i, arguments);
        } else {
            problem = "unknown option '" + word + "'";
        }
        if (!problem.empty()) {
            return problem;
        }
    }
    return "";
}

// Between `least` and `most` map files (`most` 0: no limit); a usage error's text otherwise.
std::string needFiles(const Arguments& arguments, size_t least, size_t most) {
    if (arguments.operands.size() < least) {
        return least == 2 ? "needs two map files" : "needs a map file";
    }
    if (most != 0 && arguments.operands.size() > most) {
        return "too many files ('" + arguments.operands.back() + "')";
    }
    return "";
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

std::string parseDiff(const Words& words, Arguments& arguments) {
    std::string problem = readOptions(words, 0, arguments);
    return problem.empty() && !arguments.help ? needFiles(arguments, 2, 2) : problem;
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
    if (!writePng(arguments.output.c_str(), image, reason)) {
        std::fprintf(stderr, "%s: cannot write picture '%s': %s\n", toolName,
                     arguments.output.c_str(), reason.c_str());
        return toolInvalidMap;
    }
    std::printf("wrote %s (%d x %d, %s view)\n", arguments.output.c_str(), image.width,
                image.height, isometric ? "isometric" : "top-down");
    return toolSuccess;
}

// A decimal number from 0 to `most`, digits only; false otherwise. Leading
// zeros add no value, so only the digits after them are counted.
bool parseBounded(const std::string& text, int64_t most, int64_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const std::string digits = text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
    if (digits.size() > 10) {
        return false;
    }
    value = std::stoll(digits);
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

std::string parseGallery(const Words& words, Arguments& arguments) {
    const std::string problem = readOptions(words, outputOption | galleryOptions, arguments);
    if (!problem.empty() || arguments.help) {
        return problem;
    }
    if (arguments.seedsGiven == !arguments.operands.empty()) {
        return arguments.seedsGiven ? "takes map files or --seeds, not both"
                                    : "needs map files or --seeds A-B";
    }
    if (arguments.output.empty()) {
        return "needs an output folder (-o DIR)";
    }
    if (!arguments.seedsGiven) {
        const bool mapOptions = !arguments.mapWords.empty() || arguments.keepMaps;
        return mapOptions ? "options -b, -p, -c, -d and --keep-maps go with --seeds" : "";
    }
    int32_t first = 0;
    int32_t last = 0;
    return parseSeedRange(arguments.seeds, first, last);
}

int runGalleryCommand(const Arguments& arguments) {
    GalleryRequest request{
        arguments.operands, arguments.seedsGiven, 0, 0, arguments.map, arguments.mapWords,
        arguments.keepMaps, arguments.output};
    if (request.fromSeeds) {
        parseSeedRange(arguments.seeds, request.firstSeed, request.lastSeed);
    }
    return runGallery(request);
}

constexpr Command commands[] = {
    {"check", checkUsage, parseCheck, runCheck},
    {"info", infoUsage, parseInfo, runInfo},
    {"diff", diffUsage, parseDiff, runDiff},
    {"render", renderUsage, parseRender, runRender},
    {"gallery", galleryUsage, parseGallery, runGalleryCommand},
};

int runCommandLine(int argumentCount, char** arguments) {
    if (argumentCount < 2) {
        std::fputs(toolUsage, stderr);
        return toolUsageError;
    }
    std::string name = arguments[1];
    Words words(arguments + 2, arguments + argumentCount);
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
    const auto command = std::find_if(std::begin(commands), std::end(commands),
                                      [&](const Command& c) { return c.name == name; });
    if (command == std::end(commands)) {
        std::fprintf(stderr, "%s: unknown command '%s'; run '%s --help' for the commands\n",
                     toolName, name.c_str(), toolName);
        return toolUsageError;
    }
    Arguments parsed;
    const std::string problem = command->parse(words, parsed);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s %s: %s; run '%s %s --help' for its usage\n", toolName,
                     command->name, problem.c_str(), toolName, command->name);
        return toolUsageError;
    }
    if (parsed.help) {
        std::fputs(command->usage, stdout);
        return toolSuccess;
    }
    return command->run(parsed);
}

}  // namespace

// What a command printed counts only once it has left the process: a full
// disk or a closed descriptor turns its success into a failed write.
int runVxltool(int argumentCount, char** arguments) {
    const int status = runCommandLine(argumentCount, arguments);
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
        return status;
    }
    // A write that failed earlier may have left no reason behind.
    const int error = errno;
    std::fprintf(stderr, "%s: cannot write the result to standard output%s%s\n", toolName,
                 error != 0 ? ": " : "", error != 0 ? std::strerror(error) : "");
    return toolInvalidMap;
}
