// Files written whole or not at all, from any thread.
#pragma once

#include <cstddef>
#include <string>

// Writes `size` bytes to `path` through a replacement beside it (see
// platform/replaced_file.h): a failure leaves any earlier file as it was. Calls
// from several threads take turns. False with `reason` set when it fails.
bool writeWholeFile(const std::string& path, const void* data, size_t size, std::string& reason);
