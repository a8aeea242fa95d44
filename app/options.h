// Splits a command line into option entries and the remaining words.
#pragma once

#include <cstdint>

// Null-terminated growable array of option entries. Each entry is a separately
// allocated text: the option letter followed by its value (empty for a flag).
using OptionList = char**;

// Scans the words after argument 0. Options are single letters behind '-';
// letters found in `valueLetters` take the rest of their word, or else the whole
// next word, as their value; a lone "-" ends the options. The non-option words
// are packed in place behind argument 0 and `argumentCount` is updated.
//
// Returns the entries in command-line order followed by a null entry; the
// caller owns them. Returns null when a value-taking letter ends the last word
// (the count is then 0 and, if `missingValueLetter` is given, it receives the
// letter) or when storage runs out (the count is left as it was).
OptionList scanOptions(int32_t& argumentCount, char** arguments, const char* valueLetters,
                       char* missingValueLetter = nullptr);
