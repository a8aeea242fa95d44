// Items made on helper threads in any order and taken by the calling thread in
// order: item i is taken only after items 0 to i-1, and a helper starts an item
// only while it lies fewer than `ahead` past the next to be taken, so a run of
// any length holds at most `ahead` items. The helpers are started with the
// process's signals held back, so an interrupt is always taken by a thread
// that was there before them, such as the one taking the items.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// One job: items [0, count), item i made in and taken from slot i % ahead (a
// slot is reused only once its item has been taken).
struct OrderedJob {
    // Makes item `index` into `slot`, on a helper; false, with `failure` one
    // line saying why, stops the run.
    bool (*make)(void* work, size_t index, size_t slot, std::string& failure);
    // Takes item `index` out of `slot`, on the calling thread; false stops the
    // run (it has said why).
    bool (*take)(void* work, size_t index, size_t slot);
    // Called on the calling thread after each item taken, and at least every
    // `interval` while it waits for one, with the number taken so far.
    void (*waited)(void* work, size_t taken);
    void* work;
    size_t count;
    unsigned helpers;  // 1 or more
    size_t ahead;      // 1 or more
    std::chrono::milliseconds interval;
};

// Helpers for `items`: one per core, at most 16, and no more than the items.
unsigned orderedHelperCount(size_t items);

// Runs the job until every item is taken (true) or the run stops (false):
// with `failure` set when an item could not be made or a helper could not be
// started, empty when a take stopped it. Every helper is joined on return.
bool runOrderedJob(const OrderedJob& job, std::string& failure);
