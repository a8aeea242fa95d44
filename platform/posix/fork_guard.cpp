#include "platform/fork_guard.h"

#include <pthread.h>

namespace qormap {

bool guardAcrossFork(void (*prepare)(), void (*resume)()) {
    // The C library forgets the handlers when a library that set them is unloaded.
    return pthread_atfork(prepare, resume, resume) == 0;
}

}  // namespace qormap
