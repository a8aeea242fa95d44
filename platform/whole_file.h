// A whole file's bytes, read into fresh anonymous memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qormap {

struct WholeFile {
    const uint8_t* data;
    size_t size;
    void* storage;  // the anonymous pages the bytes were read into
    size_t storageSize;
};

// Reads the file at `path` (UTF-8) to its end, in binary, from a regular
// file, a pipe or a device alike. False with `error` set (errno) when it
// cannot be read: EISDIR for a folder, EFBIG when longer than `largest`.
bool readWholeFile(const char* path, size_t largest, WholeFile& file, int& error);

// Releases what readWholeFile took; an empty WholeFile is left.
void releaseWholeFile(WholeFile& file);

}  // namespace qormap
