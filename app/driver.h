// The program itself: reads the command line, generates the map and writes it.
#pragma once

#include <cstdint>

#include "app/options.h"
#include "qormap/qormap.h"

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;     // the map file could not be written, or memory ran out
constexpr int exitUsageError = 2;  // the command line could not be read

// Every lowercase letter but d and h takes a value.
constexpr char valueLetters[] = "soabcefgijklmnpqrtuvwxyz";

// One object program-wide: the driver tells the default from a given path by address.
inline constexpr char defaultOutputPath[] = "/program files/brindlemoor/vxl/qormap.vxl";

// The ranges and defaults of the help text are the library's.
#define APP_TEXT_OF(value) #value
#define APP_TEXT(value) APP_TEXT_OF(value)
#define COUNTS "0-" APP_TEXT(QORMAP_MAX_COUNT)
#define PILLARS APP_TEXT(QORMAP_DEFAULT_PILLARS)
#define CONNECTORS APP_TEXT(QORMAP_DEFAULT_CONNECTORS)
#define BUMPINESS                                                                                  \
    "0-" APP_TEXT(QORMAP_MAX_BUMPINESS) ", default " APP_TEXT(QORMAP_DEFAULT_BUMPINESS)

// printf format of the help text; %s is the invocation name.
constexpr char usageFormat[] =
    "Usage: %s {options}\n"
    "Options:\n"
    "   -s {seed}      Random seed; always generates the same map for a seed\n"
    "   -o {filename}  Filename to write to\n"
    "   -d             Debug; draws green & blue start regions\n"
    "   -p #          number of pillars (" COUNTS ", default " PILLARS ")\n"
    "   -c #          number of jungle-gym connectors (" COUNTS ", default " CONNECTORS ")\n"
    "   -b #          ground bumpiness (" BUMPINESS ")\n"
    "\n"
    "If no seed is specified, a random one is generated.\n"
    "If no filename is written, writes to 'c:/program files/brindlemoor/vxl/qormap.vxl\n";
#undef COUNTS
#undef PILLARS
#undef CONNECTORS
#undef BUMPINESS
#undef APP_TEXT
#undef APP_TEXT_OF

constexpr char generatingFormat[] = "Generating to '%s' using seed '%d'\n";
constexpr char finishedLine[] = "Finished\n";

enum class CommandAction { generate, showUsage, missingValue, outOfMemory };

// What a command line asks for. The output path points into the option
// texts, which live until releaseCommandLine.
struct CommandLine {
    CommandAction action;
    const char* outputPath;
    qormap_options map;       // -s, -b, -p, -c and -d as given (the library clamps)
    char missingValueLetter;  // the letter whose value is missing, for missingValue
    OptionList options;
};

// Scans the words and acts on the options: picks the output path and the
// map's options (seed `clockSeed` when no -s is given). Letters it does not
// know are skipped. Prints nothing and generates nothing.
CommandLine readCommandLine(int argumentCount, char** arguments, int32_t clockSeed);

// Releases the option texts.
void releaseCommandLine(CommandLine& commandLine);

// Runs the whole program on a command line and returns the exit status.
int runProgram(int argumentCount, char** arguments);
