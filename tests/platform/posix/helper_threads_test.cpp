#include "platform/helper_threads.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/row_jobs.h"
#include "tests/shared/worker_count.h"

using namespace qormap;

namespace {

// A signal sent to the process while the main thread briefly blocks it (as
// the output file's cleanup does around creating its temporary file) must
// wait for that thread, not run its handler on a helper in the meantime.
TEST(HelperThreads, HelpersLeaveProcessSignalsToTheMainThread) {
    const WorkerCountRestored restored;
    setWorkerCount(2);
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> helperRan{false};
    std::atomic<int32_t> unblocked{0};
    forEachRowChunk(0, 2, 1, [&](int32_t, int32_t) {
        if (std::this_thread::get_id() != caller) {
            sigset_t mask;
            pthread_sigmask(SIG_BLOCK, nullptr, &mask);
            for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
                unblocked.fetch_add(sigismember(&mask, signalNumber) ? 0 : 1);
            }
            helperRan.store(true);
            return;
        }
        // Holds the caller's chunk until the helper has taken the other one.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!helperRan.load() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(helperRan.load()) << "no helper thread took part";
    EXPECT_EQ(unblocked.load(), 0);
}

}  // namespace
