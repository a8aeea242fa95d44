// vxltool gallery's command line: the maps or seeds to show, the map options
// and the folder, read into a gallery request.
#pragma once

#include <string>

#include "tools/vxltool/command_line.h"

extern const char galleryUsage[];

// Reads gallery's words, the seed range among them: a usage error's text, or
// empty.
std::string parseGallery(const Words& words, Arguments& arguments);

// Makes the gallery the words asked for; returns the exit status.
int runGalleryCommand(const Arguments& arguments);
