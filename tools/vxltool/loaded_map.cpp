#include "tools/vxltool/loaded_map.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr size_t readChunk = size_t{1} << 20;
constexpr size_t hugePageSize = size_t{2} << 20;

// Room for the largest map and the read that finds the end, in whole huge
// pages: touching a few 2 MiB pages costs far less than hundreds of 4 KiB ones.
constexpr size_t storageSize =
    (largestMapSize + readChunk + hugePageSize - 1) / hugePageSize * hugePageSize;

// Reads to the end. The bytes are copied rather than mapped, so a file cut
// short by another program while it is read cannot crash the reader; and
// anything longer than a map is refused rather than held, or /dev/zero would
// fill the memory.
bool readAllBytes(int descriptor, LoadedMap& map, int& error) {
    // Address space only: pages are touched as bytes arrive.
    void* storage =
        mmap(nullptr, storageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (storage == MAP_FAILED) {
        error = errno;
        return false;
    }
    madvise(storage, storageSize, MADV_HUGEPAGE);
    map.storage = storage;
    map.storageSize = storageSize;
    auto* bytes = static_cast<uint8_t*>(storage);
    size_t used = 0;
    for (;;) {
        if (used > largestMapSize) {
            error = EFBIG;
            return false;
        }
        const ssize_t got = read(descriptor, bytes + used, readChunk);
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
    map.data = bytes;
    map.size = used;
    return true;
}

void release(LoadedMap& map) {
    if (map.storage != nullptr) {
        munmap(map.storage, map.storageSize);
    }
    map.data = nullptr;
    map.size = 0;
    map.storage = nullptr;
    map.storageSize = 0;
}

}  // namespace

LoadedMap::~LoadedMap() {
    release(*this);
}

bool loadMap(const char* path, LoadedMap& map, int& error) {
    release(map);
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
    } else if (S_ISREG(status.st_mode) && static_cast<size_t>(status.st_size) > largestMapSize) {
        error = EFBIG;
    } else {
        loaded = readAllBytes(descriptor, map, error);
    }
    close(descriptor);
    if (!loaded) {
        release(map);
    }
    return loaded;
}

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}
