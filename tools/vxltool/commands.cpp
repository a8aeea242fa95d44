#include "tools/vxltool/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "qormap/qormap.h"
#include "tools/vxltool/check_info_commands.h"
#include "tools/vxltool/command_line.h"
#include "tools/vxltool/diff_command.h"
#include "tools/vxltool/gallery_command.h"
#include "tools/vxltool/render_command.h"

namespace {

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

// One command: what reads its words (a usage error's text, or empty) and what
// runs it (its exit status).
struct Command {
    const char* name;
    const char* usage;
    std::string (*parse)(const Words& words, Arguments& arguments);
    int (*run)(const Arguments& arguments);
};

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
