#include "platform/world_pages.h"

#include <windows.h>

namespace qormap {

// Windows gives large pages only to a process holding the lock-memory
// privilege, and only to memory allocated for them: a static block stays on
// 4 KiB pages.
void adviseHugePages(void*, size_t) {}

// Reset pages keep their place but their contents are no longer wanted, so
// they are never written to the paging file; unlocking pages that were
// never locked then takes them out of the working set at once. Both are
// requests: a refusal leaves the memory in use, which is harmless.
void releasePages(void* start, size_t size) {
    if (VirtualAlloc(start, size, MEM_RESET, PAGE_READWRITE) != nullptr) {
        VirtualUnlock(start, size);
    }
}

}  // namespace qormap
