// A map file's bytes held in memory for the decoder, read from a regular file,
// a pipe or a device alike; and the one other thing vxltool asks the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The bytes are released when the map goes out of scope.
struct LoadedMap {
    const uint8_t* data = nullptr;
    size_t size = 0;
    void* storage = nullptr;  // anonymous pages the bytes were read into
    size_t storageSize = 0;

    LoadedMap() = default;
    LoadedMap(const LoadedMap&) = delete;
    LoadedMap& operator=(const LoadedMap&) = delete;
    ~LoadedMap();
};

// No valid map is longer: each column has at most 65 spans (their air starts
// rise from 0 to at most 64) and at most 64 colours, 4 bytes each.
constexpr size_t largestMapSize = size_t{512} * 512 * (65 + 64) * 4;

// Loads the file at `path` in place of what `map` held; on failure returns
// false, leaves `map` empty and sets `error` to the errno (EFBIG for anything
// longer than the largest map).
bool loadMap(const char* path, LoadedMap& map, int& error);

// True when `stream` goes to a terminal.
bool isTerminal(std::FILE* stream);
