// vxltool render: a PNG picture of a map, seen from above or isometric.
#pragma once

#include <string>

#include "tools/vxltool/command_line.h"

extern const char renderUsage[];

// Reads render's words and settles the picture's name: a usage error's text,
// or empty.
std::string parseRender(const Words& words, Arguments& arguments);

// Paints the map and writes the picture; returns the exit status.
int runRender(const Arguments& arguments);
