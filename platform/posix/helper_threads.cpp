#include "platform/helper_threads.h"

#include <pthread.h>
#include <signal.h>
#ifdef __linux__
#include <sched.h>
#endif

#include "platform/posix/signals_held.h"

namespace qormap {

int32_t usableCpuCount() {
#ifdef __linux__
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        return CPU_COUNT(&allowed);
    }
#endif
    return static_cast<int32_t>(std::thread::hardware_concurrency());
}

// A new thread starts on its creator's CPU and can stay there for tens of
// milliseconds while another CPU idles.
void keepOffCallersCpu([[maybe_unused]] std::thread& helper) {
#ifdef __linux__
    cpu_set_t allowed;
    const int current = sched_getcpu();
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || current < 0 ||
        current >= CPU_SETSIZE || !CPU_ISSET(current, &allowed) || CPU_COUNT(&allowed) < 2) {
        return;
    }
    CPU_CLR(current, &allowed);
    pthread_setaffinity_np(helper.native_handle(), sizeof allowed, &allowed);
#endif
}

// Code that blocks a signal on its own thread for a moment (to change what a
// handler would see) must not have a helper take it then. Faults stay
// unblocked, so a helper's own crash is reported as usual.
void startWithSignalsHeld(void (*start)(void* context), void* context) {
    sigset_t set;
    sigfillset(&set);
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS}) {
        sigdelset(&set, fault);
    }
    // A new thread inherits its creator's signal mask.
    const SignalsHeld held(set);
    start(context);
}

}  // namespace qormap
