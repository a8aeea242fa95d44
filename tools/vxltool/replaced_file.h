// Output that never leaves a half-written file behind: a regular file (or a
// new one) is written beside its target and renamed over it only once
// complete; devices and pipes, which cannot be renamed over, are written
// directly and never removed.
#pragma once

#include <cstdio>
#include <string>

struct ReplacedFile {
    std::FILE* file;
    std::string target;
    std::string temporary;  // empty when writing to the target directly
};

// Opens the stream to write `target` through; false with `error` set (errno).
bool openReplacement(const std::string& target, ReplacedFile& output, int& error);

// Flushes and closes the stream, then puts the new file in place. On any
// failure removes the temporary file, leaves the target as it was and
// returns false with `error` set.
bool commitReplacement(ReplacedFile& output, int& error);

// Closes the stream and removes the temporary file: the target stays as it was
// (a device or pipe written directly keeps what it was sent).
void abandonReplacement(ReplacedFile& output);
