#include "support/row_jobs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "tests/shared/worker_count.h"

using namespace qormap;

namespace {

TEST(RowJobs, EveryRowRunsExactlyOnceInWholeChunks) {
    const WorkerCountRestored restored;
    struct Case {
        int32_t first, end, chunkRows;
    };
    const Case cases[] = {
        {0, 512, 16},   // the split the generator uses: 32 even chunks
        {0, 512, 500},  // one full chunk and a short last one
        {3, 10, 4},     // a range not starting at 0, ending mid-chunk
        {0, 1, 16},     // fewer rows than one chunk
        {7, 7, 16},     // no rows at all: no call
        {0, 97, 1},     // chunks of one row, more chunks than threads
    };
    for (int32_t threads = 1; threads <= maxWorkerCount; ++threads) {
        setWorkerCount(threads);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << threads << " threads, rows [" << c.first << ", "
                                            << c.end << ") by " << c.chunkRows);
            std::vector<std::atomic<int32_t>> runs(static_cast<size_t>(c.end) + 1);
            std::atomic<int32_t> badChunks{0};
            forEachRowChunk(c.first, c.end, c.chunkRows, [&](int32_t chunkFirst, int32_t chunkEnd) {
                const bool aligned = (chunkFirst - c.first) % c.chunkRows == 0;
                const bool whole = chunkEnd == std::min(chunkFirst + c.chunkRows, c.end);
                if (!aligned || !whole || chunkFirst < c.first || chunkEnd <= chunkFirst) {
                    badChunks.fetch_add(1);
                    return;
                }
                for (int32_t row = chunkFirst; row < chunkEnd; ++row) {
                    runs[static_cast<size_t>(row)].fetch_add(1);
                }
            });
            EXPECT_EQ(badChunks.load(), 0);
            for (int32_t row = 0; row <= c.end; ++row) {
                const bool inside = row >= c.first && row < c.end;
                EXPECT_EQ(runs[static_cast<size_t>(row)].load(), inside ? 1 : 0) << "row " << row;
            }
        }
    }
}

TEST(RowJobs, ThreadCountIsClamped) {
    const WorkerCountRestored restored;
    const struct {
        int32_t asked, got;
    } cases[] = {{0, 1},
                 {-5, 1},
                 {1, 1},
                 {3, 3},
                 {maxWorkerCount, maxWorkerCount},
                 {maxWorkerCount + 1, maxWorkerCount}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        setWorkerCount(c.asked);
        EXPECT_EQ(workerCount(), c.got);
    }
}

}  // namespace
