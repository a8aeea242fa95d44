#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr size_t readChunk = size_t{1} << 20;
constexpr size_t hugePageSize = size_t{2} << 20;

// Reads to the end. The bytes are copied rather than mapped, so a file cut
// short by another program while it is read cannot crash the reader; and
// anything longer than `largest` is refused rather than held, or /dev/zero
// would fill the memory.
bool readAllBytes(int descriptor, size_t largest, WholeFile& file, int& error) {
    // Room for the largest file and the read that finds the end, in whole
    // huge pages: touching a few 2 MiB pages costs far less than hundreds of
    // 4 KiB ones. Address space only: pages are touched as bytes arrive.
    const size_t storageSize =
        (largest + readChunk + hugePageSize - 1) / hugePageSize * hugePageSize;
    void* storage =
        mmap(nullptr, storageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (storage == MAP_FAILED) {
        error = errno;
        return false;
    }
    madvise(storage, storageSize, MADV_HUGEPAGE);
    file.storage = storage;
    file.storageSize = storageSize;
    auto* bytes = static_cast<uint8_t*>(storage);
    size_t used = 0;
    for (;;) {
        if (used > largest) {
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
    file.data = bytes;
    file.size = used;
    return true;
}

}  // namespace

bool readWholeFile(const char* path, size_t largest, WholeFile& file, int& error) {
    file = {nullptr, 0, nullptr, 0};
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
    } else if (S_ISREG(status.st_mode) && static_cast<size_t>(status.st_size) > largest) {
        error = EFBIG;
    } else {
        loaded = readAllBytes(descriptor, largest, file, error);
    }
    close(descriptor);
    if (!loaded) {
        releaseWholeFile(file);
    }
    return loaded;
}

void releaseWholeFile(WholeFile& file) {
    if (file.storage != nullptr) {
        munmap(file.storage, file.storageSize);
    }
    file = {nullptr, 0, nullptr, 0};
}
