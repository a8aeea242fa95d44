// The library within its process: no thread of its own left after a call, an
// exit in the middle of a map, and a child forked mid-map making maps.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "qormap/qormap.h"
#include "tests/support/golden_maps.h"
#include "tests/support/sha256_hex.h"

namespace {

bool makesGoldenMap(int32_t seed) {
    const qormap_options options = qormap_default_options(seed);
    unsigned char* data = nullptr;
    size_t size = 0;
    const int status = qormap_generate(&options, &data, &size);
    const std::string bytes(reinterpret_cast<char*>(data), size);
    qormap_free(data);
    return status == QORMAP_OK &&
           sha256Hex(bytes) == goldenMap({"-s", std::to_string(seed)}).sha256;
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
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(CInterfaceProcess, NoThreadOutlivesACall) {
    namespace fs = std::filesystem;
    if (!fs::exists("/proc/self/task")) {
        GTEST_SKIP() << "this system does not list a process's threads";
    }
    const auto threads = [] {
        return std::distance(fs::directory_iterator("/proc/self/task"), {});
    };
    const auto before = threads();
    ASSERT_TRUE(makesGoldenMap(1));
    EXPECT_EQ(threads(), before);
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
    goldenMaps();  // read before any fork; the busy thread takes no hashes
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
    // The busy thread holds the generation lock nearly all the time.
    for (int fork_ = 0; fork_ < 3; ++fork_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15 + 20 * fork_));
        EXPECT_EQ(childStatus([] { return makesGoldenMap(1) ? 0 : 1; }), 0)
            << "fork " << fork_ << " (-1: the child hung or crashed)";
    }
    stop.store(true);
    busy.join();
}
