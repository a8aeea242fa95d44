// What g++'s static C++ runtime, built against a newer glibc, asks of the C
// library beyond what glibc 2.31 has, for the manylinux module: defined here,
// inside the module, so that it loads on an older glibc.
#include <cstdint>
#include <cstdlib>

#include <unistd.h>

extern "C" {

// glibc 2.32 sets this once a process is known to have one thread, so the
// runtime may skip atomic operations. Zero, "maybe several", is always right.
__attribute__((visibility("hidden"))) char __libc_single_threaded = 0;

// glibc 2.36's; std::random_device could ask for it, the module never does.
// Fails as glibc's does, when the system has no randomness to give.
__attribute__((visibility("hidden"))) uint32_t arc4random() {
    uint32_t value = 0;
    if (getentropy(&value, sizeof value) != 0) {
        std::abort();
    }
    return value;
}
}
