// Names within paths.
#pragma once

namespace qormap {

// The part of `path` after its last folder separator ('/', and on Windows
// '\' and a drive's colon too): a program's name without the folder it was
// started from, a file's name without its folder.
const char* withoutFolder(const char* path);

}  // namespace qormap
