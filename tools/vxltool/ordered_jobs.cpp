#include "tools/vxltool/ordered_jobs.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/helper_threads.h"

using namespace qormap;

namespace {

constexpr unsigned mostHelpers = 16;

// What the helpers and the taking thread share.
struct Run {
    explicit Run(const OrderedJob& job) : job(job), made(job.ahead, false) {}

    const OrderedJob& job;
    std::mutex lock;  // guards what follows
    std::condition_variable changed;
    size_t next = 0;         // the next item a helper takes up
    size_t taken = 0;        // the items taken
    std::vector<bool> made;  // by slot: holds an item made and not yet taken
    bool stopping = false;
    std::string failure;  // a helper's, as one line
};

void work(Run& run) {
    const OrderedJob& job = run.job;
    for (;;) {
        size_t index = 0;
        {
            std::unique_lock<std::mutex> hold(run.lock);
            run.changed.wait(hold, [&] {
                return run.stopping || run.next >= job.count || run.next < run.taken + job.ahead;
            });
            if (run.stopping || run.next >= job.count) {
                break;
            }
            index = run.next++;
        }
        std::string failure;
        const bool done = job.make(job.work, index, index % job.ahead, failure);
        {
            const std::lock_guard<std::mutex> hold(run.lock);
            if (done) {
                run.made[index % job.ahead] = true;
            } else {
                run.failure = failure;
                run.stopping = true;
            }
        }
        run.changed.notify_all();
        if (!done) {
            break;
        }
    }
    run.changed.notify_all();
}

// The helpers of a run, stopped and joined however the run ends.
struct Helpers {
    explicit Helpers(Run& run) : run(run) {}
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;
    ~Helpers() {
        {
            const std::lock_guard<std::mutex> hold(run.lock);
            run.stopping = true;
        }
        run.changed.notify_all();
        for (std::thread& thread : threads) {
            thread.join();
        }
    }

    Run& run;
    std::vector<std::thread> threads;
};

void startHelpers(void* context) {
    auto& helpers = *static_cast<Helpers*>(context);
    for (unsigned i = 0; i < helpers.run.job.helpers; ++i) {
        helpers.threads.emplace_back(work, std::ref(helpers.run));
    }
}

// Takes the items in order as the helpers make them; false when the run
// stopped, with `failure` set when a helper stopped it.
bool takeInOrder(Run& run, std::string& failure) {
    const OrderedJob& job = run.job;
    std::unique_lock<std::mutex> hold(run.lock);
    while (run.taken < job.count && run.failure.empty()) {
        const size_t slot = run.taken % job.ahead;
        if (!run.made[slot]) {
            run.changed.wait_for(hold, job.interval);
        } else {
            run.made[slot] = false;
            hold.unlock();
            if (!job.take(job.work, run.taken, slot)) {
                return false;
            }
            hold.lock();
            ++run.taken;
            run.changed.notify_all();
        }
        hold.unlock();
        job.waited(job.work, run.taken);
        hold.lock();
    }
    failure = run.failure;
    return failure.empty();
}

}  // namespace

unsigned orderedHelperCount(size_t items) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<size_t>(std::min(cores, mostHelpers), items));
}

bool runOrderedJob(const OrderedJob& job, std::string& failure) {
    Run run(job);
    Helpers helpers(run);
    try {
        startWithSignalsHeld(startHelpers, &helpers);
    } catch (const std::system_error& error) {
        failure = std::string("cannot start a helper thread: ") + error.what();
        return false;
    }
    return takeInOrder(run, failure);
}
