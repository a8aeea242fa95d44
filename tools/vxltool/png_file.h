// Pictures as PNG, in memory or written whole to a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reading/render.h"

// The PNG encoding of `image`; false only when memory runs out.
bool encodePng(const Image& image, std::vector<uint8_t>& png);

// Writes `image` as a PNG file; false with `reason` set when that fails, the
// earlier file at `path` then left as it was.
bool writePng(const char* path, const Image& image, std::string& reason);
