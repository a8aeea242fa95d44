#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/whole_file_system.h"

namespace qormap {

bool openForReading(const char* path, intptr_t& handle, OpenedKind& kind, uint64_t& size,
                    int& error) {
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0) {
        error = errno;
        if (descriptor >= 0) {
            close(descriptor);
        }
        return false;
    }
    handle = descriptor;
    kind = S_ISDIR(status.st_mode)   ? OpenedKind::folder
           : S_ISREG(status.st_mode) ? OpenedKind::regular
                                     : OpenedKind::stream;
    size = static_cast<uint64_t>(status.st_size);
    return true;
}

bool readSome(intptr_t handle, uint8_t* into, size_t room, size_t& got, int& error) {
    for (;;) {
        const ssize_t count = read(static_cast<int>(handle), into, room);
        if (count >= 0) {
            got = static_cast<size_t>(count);
            return true;
        }
        if (errno != EINTR) {
            error = errno;
            return false;
        }
    }
}

void closeOpened(intptr_t handle) {
    close(static_cast<int>(handle));
}

void* takePages(size_t size, int& error) {
    void* start = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) {
        error = errno;
        return nullptr;
    }
    return start;
}

void givePagesBack(void* start, size_t size) {
    munmap(start, size);
}

}  // namespace qormap
