// What a path names, asked of the system (links followed).
#pragma once

namespace qormap {

enum class FileKind { absent, regular, folder, other };  // other: a device, pipe or socket

// The kind of file at `path` (UTF-8); absent too when it cannot be asked.
FileKind fileKind(const char* path);

}  // namespace qormap
