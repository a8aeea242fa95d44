// Scratch space on disk that no one else sees and nothing has to clean up.
#pragma once

#include <cstdio>

namespace qormap {

// A new empty file open for reading and writing, in the system's temporary
// folder, that goes away when closed or when the process ends however it
// ends; null with errno set when none can be made.
std::FILE* openScratchFile();

}  // namespace qormap
