// A map file's bytes held in memory for the decoder: mapped when the file is a
// regular one, read otherwise (pipes, devices).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct LoadedMap {
    const uint8_t* data;
    size_t size;
    void* mapping;                // the mapped pages, when mapped
    std::vector<uint8_t> buffer;  // the bytes, when read
};

// Loads the file at `path`; on failure returns false and sets `error` to the errno.
bool loadMap(const char* path, LoadedMap& map, int& error);

// Releases what loadMap took.
void unloadMap(LoadedMap& map);
