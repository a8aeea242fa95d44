#include "support/row_jobs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

#include "platform/helper_threads.h"

namespace qormap {

namespace {

constexpr int32_t defaultWorkerCount = 2;

// How long an idle helper keeps looking for the next job before it sleeps.
// The stages of one map follow each other within a few milliseconds, and a
// sleeping thread can take that long to be scheduled again.
constexpr auto idleSpin = std::chrono::milliseconds(3);

// A process limited to one CPU (taskset, a cgroup) gains nothing from a
// second thread.
int32_t initialWorkerCount() {
    return usableCpuCount() == 1 ? 1 : defaultWorkerCount;
}

int32_t workers = initialWorkerCount();

// The job being run and the state it shares with the helpers.
std::atomic<const RowJob*> currentJob{nullptr};
std::atomic<int32_t> nextRow{0};
std::atomic<int32_t> helpersWanted{0};
std::atomic<uint32_t> jobSerial{0};
// Helpers that may be reading currentJob; the caller waits for none before
// the job (which lives on its stack) goes away.
std::atomic<int32_t> helpersInJob{0};
// Set, with jobSerial moved on, to send the helpers home.
std::atomic<bool> helpersStopping{false};
// Helpers that have seen helpersStopping and left their loop.
std::atomic<int32_t> helpersGone{0};

// Never destroyed: should the process exit while a call runs elsewhere, a
// destructor would find its helpers still running and end the process.
std::thread* const helpers = new std::thread[maxWorkerCount - 1];
int32_t helpersStarted = 0;
int32_t helperScopes = 0;

void runChunks(const RowJob& job) {
    for (;;) {
        const int32_t chunkFirst = nextRow.fetch_add(job.chunkRows);
        if (chunkFirst >= job.end) {
            return;
        }
        job.run(job.work, chunkFirst, std::min(chunkFirst + job.chunkRows, job.end));
    }
}

uint32_t awaitNextJob(uint32_t seen) {
    const auto giveUp = std::chrono::steady_clock::now() + idleSpin;
    for (;;) {
        const uint32_t serial = jobSerial.load();
        if (serial != seen) {
            return serial;
        }
        if (std::chrono::steady_clock::now() > giveUp) {
            jobSerial.wait(seen);
        } else {
            // Should this thread share a CPU with the caller, the caller runs.
            std::this_thread::yield();
        }
    }
}

void helperLoop(int32_t index, uint32_t seen) {
    for (;;) {
        seen = awaitNextJob(seen);
        if (helpersStopping.load()) {
            helpersGone.fetch_add(1);
            return;
        }
        helpersInJob.fetch_add(1);
        const RowJob* job = currentJob.load();
        if (job != nullptr && index < helpersWanted.load()) {
            runChunks(*job);
        }
        helpersInJob.fetch_sub(1);
    }
}

void startHelpers(int32_t wanted) {
    // Signals sent to the process are left to the threads that were there
    // before the helpers.
    startWithSignalsHeld(
        [](void* context) {
            const int32_t target = *static_cast<const int32_t*>(context);
            while (helpersStarted < target) {
                try {
                    helpers[helpersStarted] =
                        std::thread(helperLoop, helpersStarted, jobSerial.load());
                    keepOffCallersCpu(helpers[helpersStarted]);
                } catch (const std::system_error&) {
                    return;
                }
                ++helpersStarted;
            }
        },
        &wanted);
}

void stopHelpers() {
    helpersStopping.store(true);
    // Where the C++ runtime has no futex (MinGW's), a helper that starts to
    // wait just as it is woken can miss that wake-up and would sleep through
    // the join; so wake them until every one has gone.
    while (helpersGone.load() < helpersStarted) {
        jobSerial.fetch_add(1);
        jobSerial.notify_all();
        std::this_thread::yield();
    }
    for (int32_t h = 0; h < helpersStarted; ++h) {
        helpers[h].join();
    }
    helpersStarted = 0;
    helpersGone.store(0);
    helpersStopping.store(false);
}

void runWithHelpers(const RowJob& job) {
    const int32_t wanted = std::min(workers - 1, helpersStarted);
    helpersWanted.store(wanted);
    nextRow.store(job.first);
    currentJob.store(&job);
    if (wanted > 0) {
        jobSerial.fetch_add(1);
        jobSerial.notify_all();
    }
    runChunks(job);
    // Every order of these steps and a helper's is safe: a helper counted in
    // before this store may still hold the job, and is waited for; one counted
    // in after it finds no job.
    currentJob.store(nullptr);
    while (helpersInJob.load() != 0) {
        std::this_thread::yield();
    }
}

}  // namespace

RowJobHelpers::RowJobHelpers() {
    if (helperScopes++ == 0) {
        startHelpers(workers - 1);
    }
}

RowJobHelpers::~RowJobHelpers() {
    if (--helperScopes == 0) {
        stopHelpers();
    }
}

int32_t workerCount() {
    return workers;
}

void setWorkerCount(int32_t count) {
    workers = std::clamp(count, int32_t{1}, maxWorkerCount);
}

void runRowJob(const RowJob& job) {
    if (helperScopes > 0) {
        runWithHelpers(job);
        return;
    }
    const RowJobHelpers forThisJob;
    runWithHelpers(job);
}

}  // namespace qormap
