// How the world's one static block lies in memory and what the system is told
// about its pages.
#pragma once

#include <cstddef>

namespace qormap {

// The block's alignment: a 2 MiB huge page where the executable format allows
// it (ELF), a 4 KiB page on Windows, whose format caps it at 8 KiB. Set by
// the build for the platform it compiles for.
constexpr size_t worldBlockAlignment = QORMAP_WORLD_ALIGNMENT;

// Asks the system to back [start, start + size) with huge pages; only advice,
// ignored where the system declines. Call before anything writes there.
void adviseHugePages(void* start, size_t size);

// Gives the pages of [start, start + size) back to the system; the next use
// takes them again. What they then hold is unspecified (zero on Linux), so
// only memory that is written before it is read may be handed back.
void releasePages(void* start, size_t size);

}  // namespace qormap
