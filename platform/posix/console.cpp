#include "platform/console.h"

#include <sys/stat.h>
#include <unistd.h>

namespace qormap {

bool isStandardOutputFile(const char* path) {
    struct stat target {};
    struct stat console {};
    return stat(path, &target) == 0 && fstat(STDOUT_FILENO, &console) == 0 &&
           target.st_dev == console.st_dev && target.st_ino == console.st_ino &&
           !S_ISCHR(target.st_mode);
}

bool isConsole(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

}  // namespace qormap
