// Splits a run of independent rows into contiguous bands, one per worker
// thread. Every band computes exactly what one thread would compute for those
// rows, so results never depend on how many threads there are.
#pragma once

#include <cstdint>
#include <system_error>
#include <thread>

// The most threads a split uses, whatever is asked for.
constexpr int32_t maxWorkerCount = 8;

// Threads a split uses: 2 (the machines this is tuned for have two cores), or
// 1 where the system reports a single core.
int32_t workerCount();

// Changes the thread count, clamped to 1..maxWorkerCount; for tests and
// benchmarks that compare counts.
void setWorkerCount(int32_t count);

// Calls work(band, first, end) for workerCount() contiguous bands that cover
// rows [first, end) in order (band 0 first), each on its own thread, and
// returns once all are done. The calling thread takes the last band, and any
// band whose thread cannot be started.
template <typename Work>
void forEachBand(int32_t first, int32_t end, Work work) {
    const int32_t bands = workerCount();
    const int32_t rows = end - first;
    std::thread helpers[maxWorkerCount];
    const auto bandStart = [&](int32_t band) { return first + rows * band / bands; };
    for (int32_t band = 0; band + 1 < bands; ++band) {
        try {
            helpers[band] = std::thread(work, band, bandStart(band), bandStart(band + 1));
        } catch (const std::system_error&) {
            work(band, bandStart(band), bandStart(band + 1));
        }
    }
    work(bands - 1, bandStart(bands - 1), end);
    for (std::thread& helper : helpers) {
        if (helper.joinable()) {
            helper.join();
        }
    }
}
