#include "platform/file_names.h"

namespace qormap {

const char* withoutFolder(const char* path) {
    const char* name = path;
    for (const char* at = path; *at != '\0'; ++at) {
        // A drive's colon ends a folder too: "C:map.vxl" is map.vxl in C:'s current folder.
        if (*at == '/' || *at == '\\' || (at == path + 1 && *at == ':')) {
            name = at + 1;
        }
    }
    return name;
}

}  // namespace qormap
