#include "platform/fork_guard.h"

#include <pthread.h>

namespace qormap {

bool guardAcrossFork(void (*prepare)(), void (*inParent)(), void (*inChild)()) {
    // The C library forgets the handlers when a library that set them is unloaded.
    return pthread_atfork(prepare, inParent, inChild) == 0;
}

}  // namespace qormap
