// The library within its process: no thread of its own left after a call, an
// exit in the middle of a map, and a child forked mid-map making maps.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "qormap/qormap.h"
#include "tests/shared/golden_maps.h"
#include "tests/shared/sha256_hex.h"

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

// The exit status of a forked child; -1 when it crashed or still ran after
// 20 seconds (it is then killed).
int statusOf(pid_t child) {
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

template <typename Body>
pid_t startChild(Body&& body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    return child;
}

template <typename Body>
int childStatus(Body&& body) {
    return statusOf(startChild(body));
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

// The busy thread asks for its next map the moment one ends, heavy maps
// among them; a fork still waits only for the map in progress, and the child
// makes maps of its own.
TEST(CInterfaceProcessWholeWorlds, AForkWaitsOnlyForTheMapInProgress) {
    goldenMaps();  // read before any fork; the busy thread takes no hashes
    for (const int32_t count : {300, 65536}) {
        SCOPED_TRACE("pillars and connectors " + std::to_string(count));
        std::atomic<bool> stop{false};
        std::atomic<int> made{0};
        std::thread busy([&] {
            qormap_options options = qormap_default_options(2);
            options.pillars = options.connectors = count;
            std::vector<unsigned char*> maps;  // freed at the end: no pause between maps
            while (!stop.load()) {
                unsigned char* data = nullptr;
                size_t size = 0;
                qormap_generate(&options, &data, &size);
                maps.push_back(data);
                ++made;
            }
            std::for_each(maps.begin(), maps.end(), qormap_free);
        });
        for (int fork_ = 0; fork_ < 6; ++fork_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(15 + 10 * fork_));
            const int before = made.load();
            const pid_t child = startChild([] { return makesGoldenMap(1) ? 0 : 1; });
            EXPECT_LE(made.load() - before, 1) << "fork " << fork_ << " waited for later maps";
            EXPECT_EQ(statusOf(child), 0) << "fork " << fork_ << " (-1: the child hung or crashed)";
        }
        stop.store(true);
        busy.join();
    }
}
