// vxltool diff: whether two maps hold the same voxels and colours.
#pragma once

#include <string>

#include "tools/vxltool/command_line.h"

extern const char diffUsage[];

// Reads diff's words: a usage error's text, or empty.
std::string parseDiff(const Words& words, Arguments& arguments);

// Compares the two maps and says how they differ; returns the exit status.
int runDiff(const Arguments& arguments);
