// The library within its process: no thread of its own left running after a
// call, an exit in the middle of a map, and a child forked mid-map that makes
// maps of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>

#include "qormap/qormap.h"
#include "tests/support/golden_maps.h"
#include "tests/support/sha256_hex.h"

namespace {

// Whether the map of `seed` comes out as the golden table records it.
bool makesGoldenMap(int32_t seed) {
    const qormap_options options = qormap_default_options(seed);
    unsigned char* data = nullptr;
    size_t size = 0;
    const bool made = qormap_generate(&options, &data, &size) == QORMAP_OK;
    const std::string bytes(reinterpret_cast<char*>(data), size);
    qormap_free(data);
    return made && sha256Hex(bytes) == goldenMap({"-s", std::to_string(seed)}).sha256;
}

// The exit status of body() run in a forked child; -1 when the child crashed
// or still ran after 20 seconds (it is then killed).
template <typename Body>
int childStatus(Body&& body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Threads of this process; -1 where the system does not list them.
long threadCount() {
    std::error_code error;
    const std::filesystem::directory_iterator tasks("/proc/self/task", error);
    return error ? -1 : static_cast<long>(std::distance(tasks, {}));
}

}  // namespace

TEST(CInterfaceProcess, NoThreadOutlivesACall) {
    const long before = threadCount();
    if (before < 0) {
        GTEST_SKIP() << "this system does not list a process's threads";
    }
    ASSERT_TRUE(makesGoldenMap(1));
    EXPECT_EQ(threadCount(), before);
}

TEST(CInterfaceProcess, ExitingWhileAnotherThreadGeneratesEndsCleanly) {
    EXPECT_EQ(childStatus([] {
                  std::thread(makesGoldenMap, 1).detach();
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
                  std::exit(0);  // static destructors run with the map half made
                  return 1;
              }),
              0);
}

TEST(CInterfaceProcess, AChildForkedMidMapGeneratesItsOwn) {
    goldenMaps();  // read before any fork, as no hash is taken on the busy thread
    std::atomic<bool> stop{false};
    std::thread busy([&] {
        const qormap_options options = qormap_default_options(2);
        while (!stop.load()) {
            unsigned char* data = nullptr;
            size_t size = 0;
            qormap_generate(&options, &data, &size);
            qormap_free(data);
        }
    });
    // The other thread holds the generation lock nearly all the time: some
    // of the forks land inside a map.
    for (int fork_ = 0; fork_ < 3; ++fork_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15 + 20 * fork_));
        EXPECT_EQ(childStatus([] { return makesGoldenMap(1) ? 0 : 1; }), 0)
            << "fork " << fork_ << " (-1: the child hung or crashed)";
    }
    stop.store(true);
    busy.join();
}
