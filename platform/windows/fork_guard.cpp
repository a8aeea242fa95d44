#include "platform/fork_guard.h"

namespace qormap {

bool guardAcrossFork(void (*)(), void (*)(), void (*)()) {
    return true;  // Windows processes do not fork.
}

}  // namespace qormap
