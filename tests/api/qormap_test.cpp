// The C interface as a server meets it: statuses for every bad argument,
// files replaced whole or not at all, several threads at once, and memory
// given back between maps. Whole-map bytes are held to the golden table in
// golden_test.cpp.
#include "qormap/qormap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/shared/golden_maps.h"
#include "tests/shared/map_file.h"
#include "tests/shared/scratch_folder.h"
#include "tests/shared/sha256_hex.h"
#include "world/world.h"

using namespace qormap;

// tests/api/other_header_callers.c: a C program built against an older
// (newer == 0) or a newer header.
extern "C" int other_header_caller(int newer, int32_t seed, int32_t pillars, unsigned char** data,
                                   size_t* size, int* generated);

namespace {

// From the golden table: the default map of seed 1 and of seed 2.
constexpr char seedOneSha256[] = "57785b160dd1ae48becaa1b345a927dda361f4dc9d2809e6aad4dc21f62f7cfa";
constexpr char seedTwoSha256[] = "fae29bcbd3e49a77a5178c003533a57157dadb3f724702030028bac716b6f0ae";

std::string generated(const qormap_options& options) {
    unsigned char* data = nullptr;
    size_t size = 0;
    EXPECT_EQ(qormap_generate(&options, &data, &size), QORMAP_OK);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    qormap_free(data);
    return bytes;
}

// Resident pages of this process, in bytes; -1 where the system does not say.
long long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    if (!(statm >> pages >> resident)) {
        return -1;
    }
    return resident * 4096;
}

class CInterface : public testing::Test {
protected:
    void SetUp() override { folder = makeScratchFolder(); }
    void TearDown() override {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder);
    }
    std::string folder;
};

}  // namespace

TEST(CInterfaceOptions, DefaultsAreThoseOfAPlainRun) {
    // The golden table records -s 1 as a plain run gives it.
    EXPECT_EQ(sha256Hex(generated(qormap_default_options(1))), goldenMap({"-s", "1"}).sha256);
    EXPECT_EQ(qormap_default_options(-7).seed, -7);
}

TEST(CInterfaceOptions, OnlyOptionsOfAReadableSizeAreSetUpAndRead) {
    struct Case {
        const char* name;
        size_t size;
        int status;
    };
    const Case cases[] = {
        {"this header's", sizeof(qormap_options), QORMAP_OK},
        {"an older header's, up to pillars", 4 * sizeof(int32_t), QORMAP_OK},
        {"not set up (zero)", 0, QORMAP_ERROR_ARGUMENT},
        {"shorter than any header's", sizeof(uint32_t), QORMAP_ERROR_ARGUMENT},
        {"ends inside a field", 4 * sizeof(int32_t) + 2, QORMAP_ERROR_ARGUMENT},
        {"a later header's", sizeof(qormap_options) + 4, QORMAP_ERROR_ARGUMENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Bytes past the caller's struct must be neither written nor read:
        // read as connectors and debug they would change the map.
        alignas(qormap_options) unsigned char room[64];
        std::memset(room, 0xee, sizeof room);
        auto* options = reinterpret_cast<qormap_options*>(room);
        EXPECT_EQ(qormap_init_options(options, c.size, 1), c.status);
        EXPECT_EQ(static_cast<size_t>(std::count(room + c.size, room + sizeof room, 0xee)),
                  sizeof room - c.size);
        unsigned char* data = nullptr;
        size_t size = 0;
        EXPECT_EQ(qormap_generate(options, &data, &size), c.status);
        if (c.status == QORMAP_OK) {
            EXPECT_EQ(options->size, c.size);
            EXPECT_EQ(sha256Hex(std::string(reinterpret_cast<char*>(data), size)), seedOneSha256);
        }
        qormap_free(data);
    }
    EXPECT_EQ(qormap_init_options(nullptr, sizeof(qormap_options), 1), QORMAP_ERROR_ARGUMENT);
}

TEST(CInterfaceOptions, ProgramsBuiltAgainstOtherHeaders) {
    // The older struct ends at pillars: connectors and debug take their
    // defaults. The newer one is refused. AddressSanitizer fails any access
    // past either.
    unsigned char* data = nullptr;
    size_t size = 0;
    int generated = QORMAP_OK;
    EXPECT_EQ(other_header_caller(0, 1, 0, &data, &size, &generated), QORMAP_OK);
    EXPECT_EQ(generated, QORMAP_OK);
    EXPECT_EQ(sha256Hex(std::string(reinterpret_cast<char*>(data), size)),
              goldenMap({"-s", "1", "-p", "0"}).sha256);
    qormap_free(data);
    EXPECT_EQ(other_header_caller(1, 1, 0, &data, &size, &generated), QORMAP_ERROR_ARGUMENT);
    EXPECT_EQ(generated, QORMAP_ERROR_ARGUMENT);
}

TEST(CInterfaceStatus, EveryStatusHasItsOwnText) {
    const int statuses[] = {QORMAP_OK,         QORMAP_ERROR_ARGUMENT, QORMAP_ERROR_MEMORY,
                            QORMAP_ERROR_OPEN, QORMAP_ERROR_WRITE,    QORMAP_ERROR_THREAD};
    std::set<std::string> texts;
    for (int status : statuses) {
        ASSERT_NE(qormap_strerror(status), nullptr);
        texts.insert(qormap_strerror(status));
    }
    EXPECT_EQ(texts.size(), std::size(statuses));
    EXPECT_STREQ(qormap_strerror(12345), "unknown status");
    EXPECT_STREQ(qormap_version(), QORMAP_PROJECT_VERSION);
    char header[32];
    std::snprintf(header, sizeof header, "%d.%d.%d", QORMAP_VERSION_MAJOR, QORMAP_VERSION_MINOR,
                  QORMAP_VERSION_PATCH);
    EXPECT_STREQ(header, QORMAP_PROJECT_VERSION);
}

TEST(CInterfaceGenerate, NullArgumentsAreRefused) {
    const qormap_options options = qormap_default_options(1);
    unsigned char* data = reinterpret_cast<unsigned char*>(&data);  // must be cleared
    size_t size = 99;
    EXPECT_EQ(qormap_generate(nullptr, &data, &size), QORMAP_ERROR_ARGUMENT);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(qormap_generate(&options, nullptr, &size), QORMAP_ERROR_ARGUMENT);
    EXPECT_EQ(qormap_generate(&options, &data, nullptr), QORMAP_ERROR_ARGUMENT);
    EXPECT_EQ(data, nullptr);
    qormap_free(nullptr);
}

// Whole worlds for logic no compiler or CPU changes: not run at -O0 or emulated.
TEST(CInterfaceWholeWorlds, OutOfRangeOptionsAreClampedAsTheCommandClamps) {
    // -b 150 -p 70000 -c -1 on the command line is -b 100 -p 65536 -c 0.
    qormap_options wild = qormap_default_options(1);
    wild.bumpiness = 150;
    wild.pillars = 70000;
    wild.connectors = -1;
    wild.debug = 42;  // any non-zero value is -d
    qormap_options tame = wild;
    tame.bumpiness = 100;
    tame.pillars = 65536;
    tame.connectors = 0;
    tame.debug = 1;
    EXPECT_EQ(sha256Hex(generated(wild)), sha256Hex(generated(tame)));
}

TEST(CInterfaceGenerate, EightThreadsAtOnceEachGetTheirOwnMap) {
    constexpr int threadCount = 8;
    std::vector<std::string> hashes(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back(
            [t, &hashes] { hashes[t] = sha256Hex(generated(qormap_default_options(1 + t % 2))); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < threadCount; ++t) {
        EXPECT_EQ(hashes[t], t % 2 == 0 ? seedOneSha256 : seedTwoSha256) << "thread " << t;
    }
}

TEST(CInterfaceGenerate, AMapDoesNotDependOnTheOneBefore) {
    qormap_options crowded = qormap_default_options(99);
    crowded.bumpiness = 100;
    crowded.pillars = 2000;
    crowded.connectors = 2000;
    crowded.debug = 1;
    generated(crowded);
    EXPECT_EQ(sha256Hex(generated(qormap_default_options(1))), seedOneSha256);
}

TEST(CInterfaceGenerate, TheWorldIsNotKeptBetweenMaps) {
    releaseWorldPages();  // whatever tests before this one left
    const long long before = residentBytes();
    if (before < 0) {
        GTEST_SKIP() << "this system does not report resident memory";
    }
    generated(qormap_default_options(1));
    generated(qormap_default_options(2));
    // The world alone is 84 MiB; what may remain is the map buffers' heap, the
    // code the first map paged in and, under AddressSanitizer, its bookkeeping.
    EXPECT_LT(residentBytes() - before, 40ll << 20);
}

TEST_F(CInterface, WriteRefusesBadPathsAndKeepsTheEarlierFile) {
    namespace fs = std::filesystem;
    const qormap_options options = qormap_default_options(1);
    const std::string earlier = folder + "/earlier.vxl";
    { std::ofstream(earlier) << "an earlier map"; }
    fs::create_directory(folder + "/sub");
    struct Case {
        const char* name;
        const char* path;
        int status;
        int error;  // errno afterwards; 0 when not looked at
    };
    const std::string inMissingFolder = folder + "/missing/map.vxl";
    const std::string aFolder = folder + "/sub";
    const Case cases[] = {
        {"null path", nullptr, QORMAP_ERROR_ARGUMENT, 0},
        {"empty path", "", QORMAP_ERROR_ARGUMENT, 0},
        {"missing folder", inMissingFolder.c_str(), QORMAP_ERROR_OPEN, ENOENT},
        {"a folder", aFolder.c_str(), QORMAP_ERROR_OPEN, EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errno = 0;
        EXPECT_EQ(qormap_write(&options, c.path), c.status);
        if (c.error != 0) {
            EXPECT_EQ(errno, c.error) << std::strerror(errno);
        }
    }
    EXPECT_EQ(qormap_write(nullptr, earlier.c_str()), QORMAP_ERROR_ARGUMENT);
    EXPECT_EQ(readAll(earlier), "an earlier map");
    EXPECT_FALSE(fs::exists(folder + "/missing"));  // no folder is ever created

    ASSERT_EQ(qormap_write(&options, earlier.c_str()), QORMAP_OK);
    EXPECT_EQ(sha256Hex(readAll(earlier)), seedOneSha256);
    EXPECT_EQ(folderEntries(folder).size(), 2u);  // no temporary file left

    // Read-only binds root too.
    fs::permissions(earlier, fs::perms::owner_read);
    errno = 0;
    EXPECT_EQ(qormap_write(&options, earlier.c_str()), QORMAP_ERROR_OPEN);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(sha256Hex(readAll(earlier)), seedOneSha256);
    fs::permissions(earlier, fs::perms::owner_all);  // Windows removes no read-only file
}
