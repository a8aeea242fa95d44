// Puts the thread count back when a test that changes it ends, however it ends.
#pragma once

#include <cstdint>

#include "support/row_jobs.h"

struct WorkerCountRestored {
    WorkerCountRestored() : saved(qormap::workerCount()) {}
    ~WorkerCountRestored() { qormap::setWorkerCount(saved); }
    WorkerCountRestored(const WorkerCountRestored&) = delete;
    WorkerCountRestored& operator=(const WorkerCountRestored&) = delete;

    int32_t saved;
};
