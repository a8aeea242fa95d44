// The library within its process: no thread of its own left running after a
// call, and a child forked in the middle of a map able to make maps.
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

// How the child ended, or -1 when it was still running after `limit`.
int exitStatusWithin(pid_t child, std::chrono::seconds limit) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    const qormap_options options = qormap_default_options(1);
    unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_EQ(qormap_generate(&options, &data, &size), QORMAP_OK);
    qormap_free(data);
    EXPECT_EQ(threadCount(), before);
}

TEST(CInterfaceProcess, ExitingWhileAnotherThreadGeneratesEndsCleanly) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::thread([] {
            const qormap_options options = qormap_default_options(1);
            unsigned char* data = nullptr;
            size_t size = 0;
            qormap_generate(&options, &data, &size);
        }).detach();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::exit(0);  // static destructors run with the map half made
    }
    EXPECT_EQ(exitStatusWithin(child, std::chrono::seconds(20)), 0);
}

TEST(CInterfaceProcess, AChildForkedMidMapGeneratesItsOwn) {
    const std::string expected = goldenMap({"-s", "1"}).sha256;
    std::atomic<bool> stop{false};
    std::atomic<int> maps{0};
    std::thread busy([&] {
        const qormap_options options = qormap_default_options(2);
        while (!stop.load()) {
            unsigned char* data = nullptr;
            size_t size = 0;
            qormap_generate(&options, &data, &size);
            qormap_free(data);
            maps.fetch_add(1);
        }
    });
    // The other thread holds the generation lock nearly all the time; fork
    // a few times so that some forks land inside a map.
    for (int fork_ = 0; fork_ < 3; ++fork_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15 + 20 * fork_));
        const pid_t child = fork();
        if (child == 0) {
            const qormap_options options = qormap_default_options(1);
            unsigned char* data = nullptr;
            size_t size = 0;
            const bool made = qormap_generate(&options, &data, &size) == QORMAP_OK;
            const bool right =
                made && sha256Hex(std::string(reinterpret_cast<char*>(data), size)) == expected;
            _exit(right ? 0 : 1);
        }
        const int status = child == -1 ? -2 : exitStatusWithin(child, std::chrono::seconds(20));
        EXPECT_EQ(status, 0) << "fork " << fork_ << " (-1: the child hung or crashed)";
        if (status != 0) {
            break;
        }
    }
    stop.store(true);
    busy.join();
    EXPECT_GT(maps.load(), 0);
}
