#include "api/generation_turn.h"

#include <condition_variable>
#include <mutex>
#include <new>

#include "platform/fork_guard.h"

namespace qormap {

namespace {

// A plain mutex lets the thread that just finished a map take it again at
// once, ahead of a waiting fork, for as long as it keeps making maps. A fork
// that waits holds back every map not yet begun instead.
std::mutex state;
std::condition_variable changed;
bool generating = false;
int forksWaiting = 0;

// Waits for the map in progress and keeps `state` locked across the fork, so
// that no map begins and the child finds nothing half changed.
void beforeFork() {
    std::unique_lock<std::mutex> held(state);
    ++forksWaiting;
    changed.wait(held, [] { return !generating; });
    --forksWaiting;
    held.release();
}

void afterForkInParent() {
    state.unlock();
    changed.notify_all();
}

// The parent's waiting threads do not exist in the child, but the condition
// still counts them, and waking them would never end: the child starts anew.
void afterForkInChild() {
    new (&changed) std::condition_variable();
    state.unlock();
}

[[maybe_unused]] const bool forksGuarded =
    guardAcrossFork(beforeFork, afterForkInParent, afterForkInChild);

}  // namespace

GenerationTurn::GenerationTurn() {
    std::unique_lock<std::mutex> held(state);
    changed.wait(held, [] { return !generating && forksWaiting == 0; });
    generating = true;
}

GenerationTurn::~GenerationTurn() {
    {
        const std::lock_guard<std::mutex> held(state);
        generating = false;
    }
    changed.notify_all();
}

}  // namespace qormap
