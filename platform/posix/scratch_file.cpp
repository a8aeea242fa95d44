#include "platform/scratch_file.h"

namespace qormap {

// The C library's own: its file is removed from the folder as it is made.
std::FILE* openScratchFile() {
    return std::tmpfile();
}

}  // namespace qormap
