#include "platform/world_pages.h"

#include <sys/mman.h>

namespace qormap {

void adviseHugePages([[maybe_unused]] void* start, [[maybe_unused]] size_t size) {
#ifdef MADV_HUGEPAGE
    // Failure (no transparent huge pages in this kernel) leaves 4 KiB pages.
    madvise(start, size, MADV_HUGEPAGE);
#endif
}

void releasePages(void* start, size_t size) {
    // Private anonymous pages read as zero after this and are faulted in anew.
    madvise(start, size, MADV_DONTNEED);
}

}  // namespace qormap
