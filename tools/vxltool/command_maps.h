// A map as the commands read it, and the one line they print on standard
// error when it fails them.
#pragma once

#include <string>

#include "reading/decoder.h"
#include "tools/vxltool/loaded_map.h"

// Loads the file at `path`; false after saying why it cannot be read.
bool loadForCommand(const std::string& path, LoadedMap& map);

// Says why the map at `path` is invalid and returns the exit status for it.
int reportInvalid(const std::string& path, const qormap::VxlDecodeError& error);
