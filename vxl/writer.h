// Writes the world as a map file, whole or not at all.
#pragma once

namespace qormap {

enum class VxlWriteStatus { ok, openFailed, writeFailed };

struct VxlWriteResult {
    VxlWriteStatus status;
    int error;  // errno of the failure; 0 when the status is ok
};

// Writes the world as a map to `path`. A regular file is replaced only once
// the whole map is written; devices and pipes are written directly. Reports a
// file that cannot be opened (nothing is then encoded or written) and a failed
// write or close (the earlier file then stays as it was).
VxlWriteResult writeVxl(const char* path);

}  // namespace qormap
