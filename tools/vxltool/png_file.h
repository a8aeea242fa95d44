// Pictures written as PNG files, whole or not at all.
#pragma once

#include <string>

#include "tools/vxltool/render.h"

// Writes `image` as a PNG file; false with `reason` set when that fails, the
// earlier file at `path` then left as it was.
bool writePng(const char* path, const Image& image, std::string& reason);
