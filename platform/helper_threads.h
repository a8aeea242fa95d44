// What the row jobs' helper threads need from the system: how many CPUs the
// process may use, where a new helper should run, and what it inherits.
#pragma once

#include <cstdint>
#include <thread>

namespace qormap {

// CPUs this process may run on (its affinity, which taskset or a job object
// may narrow); 0 when the system does not say.
int32_t usableCpuCount();

// Keeps a newly started helper off the CPU the calling thread is on, where
// the process may use another; otherwise leaves it to the scheduler.
void keepOffCallersCpu(std::thread& helper);

// Calls start(context) with the process's signals (all but faults) held back
// on this thread, so that threads it starts leave them to the threads that
// were there before. Windows has no such signals: start is simply called.
void startWithSignalsHeld(void (*start)(void* context), void* context);

}  // namespace qormap
