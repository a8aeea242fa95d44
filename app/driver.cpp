#include "app/driver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>

#include "app/decimal.h"
#include "app/options.h"
#include "app/pipeline.h"
#include "app/start_regions.h"
#include "random/random.h"
#include "support/growable_array.h"
#include "vxl/writer.h"

const char* optionValues[256];

namespace {

constexpr char fallbackProgramName[] = "qormap";

// The name errors are prefixed with: the invocation name without its folder.
const char* programName(const char* invocation) {
    const char* slash = std::strrchr(invocation, '/');
    return slash != nullptr ? slash + 1 : invocation;
}

int reportWriteFailure(const char* invocation, const char* path, VxlWriteResult result) {
    if (result.status == VxlWriteStatus::openFailed) {
        // The default path rarely exists, so point at the way out.
        const char* hint = path == defaultOutputPath ? " (choose the file with -o)" : "";
        std::fprintf(stderr, "%s: cannot create map file '%s': %s%s\n", programName(invocation),
                     path, std::strerror(result.error), hint);
    } else {
        std::fprintf(stderr, "%s: cannot write map file '%s': %s\n", programName(invocation), path,
                     std::strerror(result.error));
    }
    return exitFailure;
}

int runOptions(const char* invocation, OptionList options, int32_t seed) {
    const char* outputPath = defaultOutputPath;
    for (char** entry = options; *entry != nullptr; ++entry) {
        const char letter = (*entry)[0];
        const char* value = *entry + 1;
        switch (letter) {
        case '?':
        case 'h':
            std::printf(usageFormat, invocation);
            return exitSuccess;
        case 'd':
            debugStartRegions = true;
            break;
        case 'o':
            outputPath = value;
            break;
        case 's':
            seed = parseDecimal(value);
            break;
        default:
            optionValues[static_cast<unsigned char>(letter)] = value;
            break;
        }
    }

    std::printf(generatingFormat, outputPath, seed);
    // Keep this line ahead of any error on stderr when both go to one place.
    std::fflush(stdout);
    seedRandom(static_cast<uint32_t>(seed));
    if (!generateMap(optionValues)) {
        std::fprintf(stderr, "%s: out of memory while placing pillars and connectors\n",
                     programName(invocation));
        return exitFailure;
    }
    const VxlWriteResult written = writeVxl(outputPath);
    if (written.status != VxlWriteStatus::ok) {
        return reportWriteFailure(invocation, outputPath, written);
    }
    std::fputs(finishedLine, stdout);
    return exitSuccess;
}

}  // namespace

int runProgram(int argumentCount, char** arguments) {
    std::fill(std::begin(optionValues), std::end(optionValues), nullptr);
    debugStartRegions = false;
    // Read before the options, as the default for a run without -s.
    const int32_t clockSeed = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
    const char* invocation =
        argumentCount > 0 && arguments[0] != nullptr ? arguments[0] : fallbackProgramName;

    int32_t count = argumentCount;
    char missingValueLetter = '\0';
    OptionList options = scanOptions(count, arguments, valueLetters, &missingValueLetter);
    if (options == nullptr) {
        if (missingValueLetter != '\0') {
            std::fprintf(stderr, "%s: option -%c needs a value; run '%s -h' for the options\n",
                         programName(invocation), missingValueLetter, invocation);
            return exitUsageError;
        }
        std::fprintf(stderr, "%s: out of memory while reading the options\n",
                     programName(invocation));
        return exitFailure;
    }

    const int status = runOptions(invocation, options, clockSeed);
    std::fill(std::begin(optionValues), std::end(optionValues), nullptr);
    arrayFreeAll(options);
    return status;
}
