#include "tools/vxltool/loaded_map.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "world/world.h"

namespace {

constexpr size_t readChunk = size_t{1} << 20;

// No valid map is longer: each column has at most 65 spans (their air starts
// rise from 0 to at most 64) and at most 64 colours, 4 bytes each.
constexpr size_t largestMapSize = static_cast<size_t>(columnCount) * (65 + 64) * 4;

// Reads until the end of the stream. A stream longer than any map is refused
// rather than held: /dev/zero would otherwise fill the memory.
bool readStream(int descriptor, LoadedMap& map, int& error) {
    size_t used = 0;
    // Address space only: pages are touched as bytes arrive.
    map.buffer.reserve(largestMapSize + readChunk);
    for (;;) {
        if (used > largestMapSize) {
            error = EFBIG;
            return false;
        }
        map.buffer.resize(used + readChunk);
        const ssize_t got = read(descriptor, map.buffer.data() + used, readChunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<size_t>(got);
    }
    map.buffer.resize(used);
    map.data = map.buffer.data();
    map.size = used;
    return true;
}

}  // namespace

bool loadMap(const char* path, LoadedMap& map, int& error) {
    map.data = nullptr;
    map.size = 0;
    map.mapping = nullptr;
    map.buffer.clear();
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        error = errno;
        return false;
    }
    struct stat status {};
    bool loaded = false;
    if (fstat(descriptor, &status) != 0) {
        error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        error = EISDIR;
    } else if (S_ISREG(status.st_mode) && status.st_size > 0) {
        const size_t size = static_cast<size_t>(status.st_size);
        void* mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (mapping == MAP_FAILED) {
            error = errno;
        } else {
            map.mapping = mapping;
            map.data = static_cast<const uint8_t*>(mapping);
            map.size = size;
            loaded = true;
        }
    } else {
        loaded = readStream(descriptor, map, error);
    }
    close(descriptor);
    return loaded;
}

void unloadMap(LoadedMap& map) {
    if (map.mapping != nullptr) {
        munmap(map.mapping, map.size);
    }
    map.data = nullptr;
    map.size = 0;
    map.mapping = nullptr;
    map.buffer.clear();
    map.buffer.shrink_to_fit();
}
