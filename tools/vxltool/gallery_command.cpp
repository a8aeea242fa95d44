#include "tools/vxltool/gallery_command.h"

#include "tools/vxltool/gallery.h"

const char galleryUsage[] =
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
    return readSeedRange(arguments.seeds, arguments.firstSeed, arguments.lastSeed);
}

int runGalleryCommand(const Arguments& arguments) {
    return runGallery({arguments.operands, arguments.seedsGiven, arguments.firstSeed,
                       arguments.lastSeed, arguments.map, arguments.mapWords, arguments.keepMaps,
                       arguments.output});
}
