#include "app/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/driver.h"
#include "support/growable_array.h"

using namespace qormap;

namespace {

struct Scan {
    OptionList list;
    int32_t count;
    char missingLetter;
    std::vector<std::string> entries;    // letter followed by value
    std::vector<std::string> remaining;  // words left behind argument 0
};

Scan scan(const std::vector<std::string>& words) {
    std::vector<std::string> storage = {"qormap"};
    storage.insert(storage.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : storage) {
        argv.push_back(word.data());
    }
    Scan result{nullptr, static_cast<int32_t>(argv.size()), '\0', {}, {}};
    result.list = scanOptions(result.count, argv.data(), valueLetters, &result.missingLetter);
    if (result.list != nullptr) {
        const int32_t length = arrayLength(result.list);
        for (int32_t i = 0; i + 1 < length; ++i) {
            result.entries.emplace_back(result.list[i]);
        }
        EXPECT_EQ(result.list[length - 1], nullptr) << "the list must end with an absent entry";
        for (int32_t i = 1; i < result.count; ++i) {
            result.remaining.emplace_back(argv[i]);
        }
        arrayFreeAll(result.list);
    }
    return result;
}

}  // namespace

TEST(ScanOptions, SplitsOptionsFromWords) {
    struct Case {
        std::vector<std::string> words;
        std::vector<std::string> entries;
        std::vector<std::string> remaining;
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{"a", "-s", "5", "b"}, {"s5"}, {"a", "b"}},
        {{"-s5"}, {"s5"}, {}},
        // A lone dash ends the options; everything after it stays a word.
        {{"-", "-s", "1"}, {}, {"-s", "1"}},
        {{"a", "-"}, {}, {"a"}},
        // A double dash is not special: its second dash is a flag.
        {{"--", "-s", "1"}, {"-", "s1"}, {}},
        {{"-dd"}, {"d", "d"}, {}},
        // A value-taking letter swallows the rest of its word.
        {{"-ds5"}, {"d", "s5"}, {}},
        {{"-sd"}, {"sd"}, {}},
        // The next word is taken as the value whatever it looks like.
        {{"-o", "-d"}, {"o-d"}, {}},
        {{"-s", ""}, {"s"}, {}},
        // Case matters; unknown letters are kept for the caller to judge.
        {{"-S", "5"}, {"S"}, {"5"}},
        {{"-x", "5"}, {"x5"}, {}},
        {{"-dh"}, {"d", "h"}, {}},
        {{"-?"}, {"?"}, {}},
        {{"", "word"}, {}, {"", "word"}},
        {{"-s", "7", "-s", "9"}, {"s7", "s9"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        const Scan result = scan(c.words);
        ASSERT_NE(result.list, nullptr);
        EXPECT_EQ(result.entries, c.entries);
        EXPECT_EQ(result.remaining, c.remaining);
        EXPECT_EQ(result.count, static_cast<int32_t>(c.remaining.size()) + 1);
    }
}

TEST(ScanOptions, ValueLetterEndingTheLastWordFails) {
    struct Case {
        std::vector<std::string> words;
        char letter;
    };
    const Case cases[] = {
        {{"-s"}, 's'},
        {{"-ds"}, 's'},
        {{"-s", "1", "-o"}, 'o'},
        {{"a", "-b"}, 'b'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        const Scan result = scan(c.words);
        EXPECT_EQ(result.list, nullptr);
        EXPECT_EQ(result.count, 0);
        EXPECT_EQ(result.missingLetter, c.letter);
    }
}
