#include "tools/vxltool/command_line.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "app/map_option.h"

namespace {

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

}  // namespace

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

std::string needFiles(const Arguments& arguments, size_t least, size_t most) {
    if (arguments.operands.size() < least) {
        return least == 2 ? "needs two map files" : "needs a map file";
    }
    if (most != 0 && arguments.operands.size() > most) {
        return "too many files ('" + arguments.operands.back() + "')";
    }
    return "";
}

std::string readSeedRange(const std::string& text, int32_t& first, int32_t& last) {
    constexpr int64_t largestSeed = INT32_MAX;
    const size_t dash = text.find('-');
    const std::string low = text.substr(0, dash);
    const std::string high = dash == std::string::npos ? low : text.substr(dash + 1);
    int64_t values[2] = {};
    for (int end = 0; end < 2; ++end) {
        const std::string& digits = end == 0 ? low : high;
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
            return "seed range '" + text + "' is not A-B, such as 1-100";
        }
        // Leading zeros add no value, so only the digits after them are counted.
        const size_t zeros = std::min(digits.find_first_not_of('0'), digits.size() - 1);
        const std::string significant = digits.substr(zeros);
        values[end] = significant.size() > 10 ? largestSeed + 1 : std::stoll(significant);
        if (values[end] > largestSeed) {
            return "seed " + digits + " is out of range (0 to 2147483647)";
        }
    }
    if (values[0] > values[1]) {
        return "seed range '" + text + "' is reversed: " + low + " comes after " + high;
    }
    first = static_cast<int32_t>(values[0]);
    last = static_cast<int32_t>(values[1]);
    return "";
}
