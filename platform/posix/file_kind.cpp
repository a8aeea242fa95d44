#include "platform/file_kind.h"

#include <sys/stat.h>

namespace qormap {

FileKind fileKind(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) {
        return FileKind::absent;
    }
    if (S_ISREG(status.st_mode)) {
        return FileKind::regular;
    }
    return S_ISDIR(status.st_mode) ? FileKind::folder : FileKind::other;
}

}  // namespace qormap
