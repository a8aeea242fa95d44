#include "app/options.h"

#include <cstdlib>
#include <cstring>

#include "support/growable_array.h"

using namespace qormap;

namespace {

// Letter followed by a copy of the value, as one allocated text.
char* makeEntry(char letter, const char* value) {
    const size_t valueLength = std::strlen(value);
    char* entry = static_cast<char*>(std::malloc(valueLength + 2));
    if (entry != nullptr) {
        entry[0] = letter;
        std::memcpy(entry + 1, value, valueLength + 1);
    }
    return entry;
}

bool takesValue(char letter, const char* valueLetters) {
    return letter != '\0' && std::strchr(valueLetters, letter) != nullptr;
}

OptionList failScan(OptionList list) {
    arrayFreeAll(list);
    return nullptr;
}

}  // namespace

OptionList scanOptions(int32_t& argumentCount, char** arguments, const char* valueLetters,
                       char* missingValueLetter) {
    const int32_t count = argumentCount;
    OptionList list = nullptr;
    int32_t write = 1;
    for (int32_t read = 1; read < count; ++read) {
        const char* word = arguments[read];
        if (word[0] != '-') {
            arguments[write++] = arguments[read];
            continue;
        }
        if (word[1] == '\0') {
            for (++read; read < count; ++read) {
                arguments[write++] = arguments[read];
            }
            break;
        }
        for (int32_t k = 1; word[k] != '\0'; ++k) {
            const char letter = word[k];
            char* entry;
            bool wordFinished = false;
            if (takesValue(letter, valueLetters)) {
                if (word[k + 1] != '\0') {
                    entry = makeEntry(letter, word + k + 1);
                } else if (read == count - 1) {
                    argumentCount = 0;
                    if (missingValueLetter != nullptr) {
                        *missingValueLetter = letter;
                    }
                    return failScan(list);
                } else {
                    entry = makeEntry(letter, arguments[++read]);
                }
                wordFinished = true;
            } else {
                entry = makeEntry(letter, "");
            }
            if (entry == nullptr || !arrayPush(list, entry)) {
                std::free(entry);
                return failScan(list);
            }
            if (wordFinished) {
                break;
            }
        }
    }
    if (!arrayPush(list, static_cast<char*>(nullptr))) {
        return failScan(list);
    }
    argumentCount = write;
    return list;
}
