#include "platform/helper_threads.h"

#include <pthread.h>
#include <windows.h>

#include <bit>

namespace qormap {

int32_t usableCpuCount() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
        return static_cast<int32_t>(std::popcount(static_cast<uint64_t>(process)));
    }
    return static_cast<int32_t>(std::thread::hardware_concurrency());
}

// As on Linux, a new thread tends to start on its creator's CPU. Only the
// process's first group of 64 CPUs is considered.
void keepOffCallersCpu(std::thread& helper) {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    const DWORD current = GetCurrentProcessorNumber();
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || current >= 64) {
        return;
    }
    const DWORD_PTR others = process & ~(DWORD_PTR{1} << current);
    if (others == 0 || others == process) {
        return;
    }
    SetThreadAffinityMask(pthread_gethandle(helper.native_handle()), others);
}

void startWithSignalsHeld(void (*start)(void* context), void* context) {
    start(context);
}

}  // namespace qormap
