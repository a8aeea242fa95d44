#include "platform/fork_guard.h"

bool guardAcrossFork(void (*)(), void (*)(), void (*)()) {
    return true;  // Windows processes do not fork.
}
