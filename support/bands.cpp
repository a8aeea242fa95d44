#include "support/bands.h"

#include <algorithm>

namespace {

constexpr int32_t defaultWorkerCount = 2;

int32_t initialWorkerCount() {
    return std::thread::hardware_concurrency() == 1 ? 1 : defaultWorkerCount;
}

int32_t workers = initialWorkerCount();

}  // namespace

int32_t workerCount() {
    return workers;
}

void setWorkerCount(int32_t count) {
    workers = std::clamp(count, int32_t{1}, maxWorkerCount);
}
