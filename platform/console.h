// What the standard streams are connected to.
#pragma once

#include <cstdio>

namespace qormap {

// True when `path` is the very file standard output is written to, so that
// text printed there would land inside what is written to `path`. A
// terminal or other character device (/dev/null, NUL) keeps no bytes to
// corrupt and never counts.
bool isStandardOutputFile(const char* path);

// True when `stream` goes to a terminal (on Windows, a console window).
bool isConsole(std::FILE* stream);

}  // namespace qormap
