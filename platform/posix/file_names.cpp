#include "platform/file_names.h"

#include <cstring>

namespace qormap {

const char* withoutFolder(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

}  // namespace qormap
