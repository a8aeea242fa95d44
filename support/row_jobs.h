// Runs independent rows of work on the calling thread and a few helper
// threads. Rows are claimed in chunks, first come first served; every
// chunk computes what one thread alone would compute for those rows, so the
// results never depend on the number of threads or on who ran what.
#pragma once

#include <cstdint>
#include <type_traits>

namespace qormap {

// The most threads a job uses, the calling thread included.
constexpr int32_t maxWorkerCount = 8;

// Rows of x a thread takes at a time in the stages that split a 512-row
// world: 32 chunks, enough for two threads to finish together.
constexpr int32_t rowsPerChunk = 16;

// Threads a job uses, the calling thread included: 2 (the machines this is
// tuned for have two cores), or 1 where the system reports a single core.
int32_t workerCount();

// Changes the thread count, clamped to 1..maxWorkerCount; for tests and
// benchmarks that compare counts. Not to be called while a job runs.
void setWorkerCount(int32_t count);

// One job: rows [first, end) in chunks of `chunkRows` (the last may be
// shorter), each chunk passed to run(work, chunkFirst, chunkEnd).
struct RowJob {
    void (*run)(void* work, int32_t chunkFirst, int32_t chunkEnd);
    void* work;
    int32_t first;
    int32_t end;
    int32_t chunkRows;
};

// Runs every chunk of the job, on this thread and the helpers that are free
// to join in, and returns once all have finished. A helper that cannot be
// started leaves its share to this thread. Jobs are run one at a time.
void runRowJob(const RowJob& job);

// The helper threads live while one of these does: started when the first is
// made, stopped and joined when the last goes, so none outlives the call that
// needed it (nothing is left running in a library being unloaded, nor waited
// for in a forked child). A job run outside any starts helpers for itself.
struct RowJobHelpers {
    RowJobHelpers();
    ~RowJobHelpers();
    RowJobHelpers(const RowJobHelpers&) = delete;
    RowJobHelpers& operator=(const RowJobHelpers&) = delete;
};

// Calls work(chunkFirst, chunkEnd) for every chunk of rows [first, end), each
// exactly once, on any of the job's threads; returns once all have finished.
template <typename Work>
void forEachRowChunk(int32_t first, int32_t end, int32_t chunkRows, Work&& work) {
    using WorkType = std::remove_reference_t<Work>;
    const RowJob job{[](void* context, int32_t chunkFirst, int32_t chunkEnd) {
                         (*static_cast<WorkType*>(context))(chunkFirst, chunkEnd);
                     },
                     const_cast<void*>(static_cast<const void*>(&work)), first, end, chunkRows};
    runRowJob(job);
}

}  // namespace qormap
