// vxltool check and info: whether maps are sound, and what one holds.
#pragma once

#include <string>

#include "tools/vxltool/command_line.h"

extern const char checkUsage[];
extern const char infoUsage[];

// Each parse reads its command's words: a usage error's text, or empty. Each
// run does the work and returns the exit status.
std::string parseCheck(const Words& words, Arguments& arguments);
int runCheck(const Arguments& arguments);
std::string parseInfo(const Words& words, Arguments& arguments);
int runInfo(const Arguments& arguments);
