#include "platform/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/whole_file_system.h"
#include "platform/world_pages.h"

namespace qormap {

namespace {

constexpr size_t readChunk = size_t{1} << 20;
// Storage comes in whole huge pages: touching a few 2 MiB pages costs far
// less than hundreds of 4 KiB ones.
constexpr size_t storageGrain = size_t{2} << 20;
// Where a stream's length is unknown: room for a map of the usual size.
constexpr size_t firstStreamStorage = size_t{4} << 20;

size_t plusChunk(size_t size) {
    return size > SIZE_MAX - readChunk ? SIZE_MAX : size + readChunk;
}

size_t inGrains(size_t size) {
    constexpr size_t most = SIZE_MAX / storageGrain * storageGrain;
    return size >= most ? most : (size + storageGrain - 1) / storageGrain * storageGrain;
}

// Moves the `used` bytes read so far into fresh storage of `size` bytes.
bool moveToStorage(WholeFile& file, size_t used, size_t size, int& error) {
    void* storage = takePages(size, error);
    if (storage == nullptr) {
        return false;
    }
    adviseHugePages(storage, size);
    if (used != 0) {
        std::memcpy(storage, file.storage, used);
    }
    if (file.storage != nullptr) {
        givePagesBack(file.storage, file.storageSize);
    }
    file.storage = storage;
    file.storageSize = size;
    return true;
}

// Reads to the end. The bytes are copied rather than mapped, so a file cut
// short by another program while it is read cannot crash the reader; and
// anything longer than `largest` is refused rather than held, or /dev/zero
// would fill the memory. Storage follows what arrives, starting from
// `expected`, so a small file takes little address space whatever `largest`.
bool readAllBytes(intptr_t handle, size_t expected, size_t largest, WholeFile& file, int& error) {
    const size_t most = inGrains(plusChunk(largest));
    size_t used = 0;
    for (;;) {
        if (used > largest) {
            error = EFBIG;
            return false;
        }
        if (used == file.storageSize) {
            const size_t doubled = used <= most / 2 ? 2 * used : most;
            const size_t size = std::min(most, inGrains(std::max(expected, doubled)));
            if (!moveToStorage(file, used, size, error)) {
                return false;
            }
        }
        auto* bytes = static_cast<uint8_t*>(file.storage);
        size_t got = 0;
        if (!readSome(handle, bytes + used, std::min(readChunk, file.storageSize - used), got,
                      error)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    file.data = static_cast<const uint8_t*>(file.storage);
    file.size = used;
    return true;
}

}  // namespace

bool readWholeFile(const char* path, size_t largest, WholeFile& file, int& error) {
    file = {nullptr, 0, nullptr, 0};
    intptr_t handle = 0;
    OpenedKind kind = OpenedKind::stream;
    uint64_t size = 0;
    if (!openForReading(path, handle, kind, size, error)) {
        return false;
    }
    bool loaded = false;
    if (kind == OpenedKind::folder) {
        error = EISDIR;
    } else if (kind == OpenedKind::regular && size > largest) {
        error = EFBIG;
    } else {
        // A regular file's size as announced, and the read that finds its end.
        const size_t expected =
            kind == OpenedKind::regular ? plusChunk(static_cast<size_t>(size)) : firstStreamStorage;
        loaded = readAllBytes(handle, expected, largest, file, error);
    }
    closeOpened(handle);
    if (!loaded) {
        releaseWholeFile(file);
    }
    return loaded;
}

void releaseWholeFile(WholeFile& file) {
    if (file.storage != nullptr) {
        givePagesBack(file.storage, file.storageSize);
    }
    file = {nullptr, 0, nullptr, 0};
}

}  // namespace qormap
