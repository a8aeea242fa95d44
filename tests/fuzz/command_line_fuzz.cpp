// Feeds arbitrary argument vectors to the option scanner and to the driver's
// reading of the command line (no map is generated). The input's NUL bytes
// separate the words. Whatever the words, nothing may crash or leak, the
// words left over must be the non-option words in their order, and every
// value the driver keeps must point into an option entry.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/driver.h"
#include "app/options.h"
#include "support/growable_array.h"

using namespace qormap;

namespace {

constexpr char invocation[] = "qormap";

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Argument 0, the words of the input, and the null that ends every vector.
std::vector<char*> argumentVector(std::vector<std::string>& words) {
    std::vector<char*> arguments{const_cast<char*>(invocation)};
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);
    return arguments;
}

bool isEntryOf(OptionList options, const char* value, char letter) {
    for (char** entry = options; *entry != nullptr; ++entry) {
        if ((*entry)[0] == letter && *entry + 1 == value) {
            return true;
        }
    }
    return false;
}

bool hasLetter(OptionList options, char letter) {
    for (char** entry = options; *entry != nullptr; ++entry) {
        if ((*entry)[0] == letter) {
            return true;
        }
    }
    return false;
}

void checkScanner(std::vector<std::string>& words) {
    std::vector<char*> arguments = argumentVector(words);
    const std::vector<char*> original = arguments;
    int32_t count = static_cast<int32_t>(words.size()) + 1;
    char missingLetter = '\0';
    OptionList options = scanOptions(count, arguments.data(), valueLetters, &missingLetter);
    if (options == nullptr) {
        // Only a value-taking letter that ends the last word fails.
        require(count == 0 && !words.empty());
        require(missingLetter != '\0' && std::strchr(valueLetters, missingLetter) != nullptr);
        require(words.back().size() >= 2 && words.back().back() == missingLetter);
        return;
    }
    require(count >= 1 && count <= static_cast<int32_t>(original.size()) - 1);
    require(arguments[0] == original[0]);
    // The words kept are some of the original words, in their order.
    size_t next = 1;
    for (int32_t i = 1; i < count; ++i) {
        while (next < original.size() - 1 && original[next] != arguments[i]) {
            ++next;
        }
        require(next < original.size() - 1);
        ++next;
    }
    const int32_t entries = arrayLength(options);
    require(entries >= 1 && entries <= arrayCapacity(options));
    require(options[entries - 1] == nullptr);
    for (int32_t i = 0; i + 1 < entries; ++i) {
        require(options[i] != nullptr && options[i][0] != '\0');
    }
    arrayFreeAll(options);
}

void checkDriver(std::vector<std::string>& words) {
    std::vector<char*> arguments = argumentVector(words);
    constexpr int32_t clockSeed = 12345;
    CommandLine commandLine =
        readCommandLine(static_cast<int>(words.size()) + 1, arguments.data(), clockSeed);
    switch (commandLine.action) {
    case CommandAction::missingValue:
        require(commandLine.options == nullptr && commandLine.missingValueLetter != '\0');
        break;
    case CommandAction::outOfMemory:
        require(false);
        break;
    case CommandAction::showUsage:
    case CommandAction::generate:
        require(commandLine.options != nullptr);
        require(commandLine.outputPath == defaultOutputPath ||
                isEntryOf(commandLine.options, commandLine.outputPath, 'o'));
        // A setting differs from a plain run's only where its option was given.
        {
            const qormap_options plain = qormap_default_options(clockSeed);
            const qormap_options& got = commandLine.map;
            require(got.seed == plain.seed || hasLetter(commandLine.options, 's'));
            require(got.bumpiness == plain.bumpiness || hasLetter(commandLine.options, 'b'));
            require(got.pillars == plain.pillars || hasLetter(commandLine.options, 'p'));
            require(got.connectors == plain.connectors || hasLetter(commandLine.options, 'c'));
            require(got.debug == plain.debug || hasLetter(commandLine.options, 'd'));
        }
        break;
    }
    releaseCommandLine(commandLine);
    require(commandLine.options == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words;
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            if (i > start || i < size) {
                words.emplace_back(text + start, i - start);
            }
            start = i + 1;
        }
    }
    std::vector<std::string> driverWords = words;
    checkScanner(words);
    checkDriver(driverWords);
    return 0;
}
