// Helpers for tests that look at whole map files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Byte offsets of every column record, found by following the span lengths;
// adds a test failure when the last record runs past the end.
std::vector<size_t> recordOffsets(std::span<const uint8_t> file);

// The bytes of `text` as unsigned bytes.
std::span<const uint8_t> asBytes(const std::string& text);

// Writes the world with writeVxl to a file in `folder` and returns the file's
// bytes; the world stays as it was.
std::vector<uint8_t> writeWorldBytes(const std::string& folder);
