// Holds signals back on the calling thread for a scope: blocked from
// construction, the thread's earlier mask restored at destruction. A signal
// sent to the process meanwhile waits, or goes to a thread that accepts it.
#pragma once

#include <pthread.h>
#include <signal.h>

namespace qormap {

struct SignalsHeld {
    explicit SignalsHeld(const sigset_t& held) { pthread_sigmask(SIG_BLOCK, &held, &previous); }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

    sigset_t previous;
};

}  // namespace qormap
