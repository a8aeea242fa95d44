// A map file's bytes held in memory for the decoder, read from a regular file,
// a pipe or a device alike.
#pragma once

#include <cstddef>
#include <cstdint>

struct LoadedMap {
    const uint8_t* data;
    size_t size;
    void* storage;  // anonymous pages the bytes were read into
    size_t storageSize;
};

// No valid map is longer: each column has at most 65 spans (their air starts
// rise from 0 to at most 64) and at most 64 colours, 4 bytes each.
constexpr size_t largestMapSize = size_t{512} * 512 * (65 + 64) * 4;

// Loads the file at `path`; on failure returns false and sets `error` to the
// errno (EFBIG for anything longer than the largest map).
bool loadMap(const char* path, LoadedMap& map, int& error);

// Releases what loadMap took.
void unloadMap(LoadedMap& map);
