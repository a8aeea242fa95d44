#include "app/driver.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/map_option.h"
#include "app/options.h"
#include "platform/console.h"
#include "platform/file_names.h"
#include "support/growable_array.h"

using namespace qormap;

namespace {

constexpr char fallbackProgramName[] = "qormap";

// The name errors are prefixed with: the invocation name without its folder.
const char* programName(const char* invocation) {
    return withoutFolder(invocation);
}

int reportFailure(const char* invocation, const char* path, int status, int error) {
    const char* name = programName(invocation);
    switch (status) {
    case QORMAP_ERROR_OPEN: {
        // The default path rarely exists, so point at the way out.
        const char* hint = path == defaultOutputPath ? " (choose the file with -o)" : "";
        std::fprintf(stderr, "%s: cannot create map file '%s': %s%s\n", name, path,
                     std::strerror(error), hint);
        break;
    }
    case QORMAP_ERROR_WRITE:
        std::fprintf(stderr, "%s: cannot write map file '%s': %s\n", name, path,
                     std::strerror(error));
        break;
    case QORMAP_ERROR_MEMORY:
        std::fprintf(stderr, "%s: out of memory while generating the map\n", name);
        break;
    case QORMAP_ERROR_ARGUMENT:
        // The options come from this program; only the path can be what was refused.
        std::fprintf(stderr, "%s: cannot create map file '%s': %s\n", name, path,
                     path[0] == '\0' ? "the file name is empty" : qormap_strerror(status));
        break;
    case QORMAP_ERROR_THREAD:
        std::fprintf(stderr, "%s: cannot generate the map: %s: %s\n", name, qormap_strerror(status),
                     std::strerror(error));
        break;
    default:
        std::fprintf(stderr, "%s: cannot generate the map: %s\n", name, qormap_strerror(status));
        break;
    }
    return exitFailure;
}

// The console lines belong on standard output, unless the map itself goes
// there: then they would be written into the map, and go to standard error.
// A character device (the terminal, /dev/null) keeps no bytes to corrupt.
std::FILE* consoleFor(const char* outputPath) {
    return isStandardOutputFile(outputPath) ? stderr : stdout;
}

int generateAndWrite(const char* invocation, const CommandLine& commandLine) {
    std::FILE* console = consoleFor(commandLine.outputPath);
    std::fprintf(console, generatingFormat, commandLine.outputPath, commandLine.map.seed);
    // Keep this line ahead of any error on stderr when both go to one place.
    std::fflush(console);
    const int status = qormap_write(&commandLine.map, commandLine.outputPath);
    if (status != QORMAP_OK) {
        return reportFailure(invocation, commandLine.outputPath, status, errno);
    }
    std::fputs(finishedLine, console);
    return exitSuccess;
}

}  // namespace

CommandLine readCommandLine(int argumentCount, char** arguments, int32_t clockSeed) {
    CommandLine commandLine{CommandAction::generate, defaultOutputPath,
                            qormap_default_options(clockSeed), '\0', nullptr};
    int32_t count = argumentCount;
    commandLine.options =
        scanOptions(count, arguments, valueLetters, &commandLine.missingValueLetter);
    if (commandLine.options == nullptr) {
        commandLine.action = commandLine.missingValueLetter != '\0' ? CommandAction::missingValue
                                                                    : CommandAction::outOfMemory;
        return commandLine;
    }
    for (char** entry = commandLine.options; *entry != nullptr; ++entry) {
        const char letter = (*entry)[0];
        const char* value = *entry + 1;
        switch (letter) {
        case '?':
        case 'h':
            commandLine.action = CommandAction::showUsage;
            return commandLine;
        case 'o':
            commandLine.outputPath = value;
            break;
        default:  // the map's options; any other letter is accepted and ignored
            readMapOption(letter, value, commandLine.map);
            break;
        }
    }
    return commandLine;
}

void releaseCommandLine(CommandLine& commandLine) {
    commandLine.outputPath = defaultOutputPath;
    arrayFreeAll(commandLine.options);
    commandLine.options = nullptr;
}

int runProgram(int argumentCount, char** arguments) {
    // Read before the options, as the default for a run without -s.
    const int32_t clockSeed = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
    const char* invocation =
        argumentCount > 0 && arguments[0] != nullptr ? arguments[0] : fallbackProgramName;

    CommandLine commandLine = readCommandLine(argumentCount, arguments, clockSeed);
    int status = exitSuccess;
    switch (commandLine.action) {
    case CommandAction::showUsage:
        std::printf(usageFormat, invocation);
        break;
    case CommandAction::missingValue:
        std::fprintf(stderr, "%s: option -%c needs a value; run '%s -h' for the options\n",
                     programName(invocation), commandLine.missingValueLetter, invocation);
        status = exitUsageError;
        break;
    case CommandAction::outOfMemory:
        std::fprintf(stderr, "%s: out of memory while reading the options\n",
                     programName(invocation));
        status = exitFailure;
        break;
    case CommandAction::generate:
        status = generateAndWrite(invocation, commandLine);
        break;
    }
    releaseCommandLine(commandLine);
    return status;
}
