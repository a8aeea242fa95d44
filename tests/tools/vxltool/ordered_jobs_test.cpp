#include "tools/vxltool/ordered_jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace {

// Items are their own index; a take fails or a make fails at `failAt`.
struct Work {
    size_t ahead;
    size_t failAt;
    bool takeFails;
    std::vector<size_t> slots;
    std::atomic<size_t> taken{0};
    std::vector<size_t> order;  // the items taken, SIZE_MAX for one not in its slot
    size_t lastWaited = 0;
};

bool make(void* context, size_t index, size_t slot, std::string& failure) {
    auto& work = *static_cast<Work*>(context);
    // Begun outside its window, it would overwrite an item not yet taken.
    if (index >= work.taken.load() + work.ahead) {
        failure = "item " + std::to_string(index) + " begun too early";
        return false;
    }
    if (index == work.failAt && !work.takeFails) {
        failure = "item " + std::to_string(index) + " failed";
        return false;
    }
    work.slots[slot] = index;
    return true;
}

bool take(void* context, size_t index, size_t slot) {
    auto& work = *static_cast<Work*>(context);
    // Slow, so that helpers free to run ahead would.
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    work.order.push_back(work.slots[slot] == index ? index : SIZE_MAX);
    work.taken.fetch_add(1);
    return !(index == work.failAt && work.takeFails);
}

void waited(void* context, size_t taken) {
    static_cast<Work*>(context)->lastWaited = taken;
}

}  // namespace

TEST(OrderedJobs, TakesEveryItemInOrderWithinItsWindowAndStopsAtAFailure) {
    constexpr size_t none = SIZE_MAX;
    struct Case {
        unsigned helpers;
        size_t ahead, count, failAt;
        bool takeFails;
        size_t leastTaken, mostTaken;
        const char* failure;
    };
    const Case cases[] = {
        {1, 1, 1, none, false, 1, 1, ""},
        {4, 2, 60, none, false, 60, 60, ""},
        {16, 3, 100, none, false, 100, 100, ""},
        // item 17 is begun only once 12 are taken; those before it may be taken
        {3, 6, 40, 17, false, 12, 17, "item 17 failed"},
        {3, 6, 40, 17, true, 18, 18, ""},  // the take has said why
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.helpers << " helpers, " << c.ahead << " ahead, "
                                        << c.count << " items, failing at " << c.failAt);
        Work work{c.ahead, c.failAt, c.takeFails, std::vector<size_t>(c.ahead), {0}, {}, 0};
        const OrderedJob job{make,    take,      waited,  &work,
                             c.count, c.helpers, c.ahead, std::chrono::milliseconds(100)};
        std::string failure;
        EXPECT_EQ(runOrderedJob(job, failure), c.failAt == none);
        EXPECT_EQ(failure, c.failure);
        EXPECT_GE(work.order.size(), c.leastTaken);
        EXPECT_LE(work.order.size(), c.mostTaken);
        for (size_t i = 0; i < work.order.size(); ++i) {
            EXPECT_EQ(work.order[i], i);
        }
        if (c.failAt == none) {
            EXPECT_EQ(work.lastWaited, c.count);
        }
    }
}
