// The program as users meet it: run as a process, judged by its exit status,
// its console lines and the file it leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/shared/golden_maps.h"
#include "tests/shared/locations.h"
#include "tests/shared/map_file.h"
#include "tests/shared/run_process.h"
#include "tests/shared/scratch_folder_fixture.h"
#include "tests/shared/sha256_hex.h"

namespace {

const std::string program = generatorProgram();

// The map of -s 1 with default options, as the golden table records it.
const GoldenMap& seedOneMap() {
    return goldenMap({"-s", "1"});
}

// What a killed run may leave beside map.vxl.
bool isTemporaryName(const std::string& name) {
    const std::string prefix = ".map.vxl.tmp-";
    return name.size() == prefix.size() + 6 && name.rfind(prefix, 0) == 0;
}

// The usage as the README's Options block shows it (run there as
// ./build/qormap), with the invocation name put in: the program and its
// documentation cannot drift apart.
std::string usageFor(const std::string& name) {
    const std::string documentedName = "./build/qormap";
    std::ifstream readme(readmeFile());
    std::string line;
    std::string block;
    bool inSection = false;
    bool inBlock = false;
    while (std::getline(readme, line)) {
        if (line == "## Options") {
            inSection = true;
        } else if (inSection && line.rfind("```", 0) == 0) {
            if (inBlock) {
                break;
            }
            inBlock = true;
        } else if (inBlock) {
            block += line + "\n";
        }
    }
    const size_t at = block.find(documentedName);
    return at == std::string::npos ? std::string("(no usage in ") + readmeFile() + ")"
                                   : block.replace(at, documentedName.size(), name);
}

class Cli : public ScratchFolderTest {
protected:
    ProcessResult run(std::vector<std::string> words, const std::string& name = "qormap",
                      const ProcessLimits& limits = {}) {
        words.insert(words.begin(), name);
        return runProcess(program, words, limits);
    }

    std::set<std::string> entries() const {
        const std::vector<std::string> names = folderEntries(folder);
        return {names.begin(), names.end()};
    }

    std::string temporaryFile() const {
        for (const std::string& name : entries()) {
            if (isTemporaryName(name)) {
                return name;
            }
        }
        return "";
    }

    void writeEarlierMap(const std::string& path) const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fputs(earlierMap, file);
        std::fclose(file);
    }

    static constexpr char earlierMap[] = "an earlier map";
};

}  // namespace

TEST_F(Cli, HelpPrintsUsageAndWritesNothing) {
    struct Case {
        std::string name;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"qormap", {"-h"}},
        {"qormap", {"-?"}},
        {"/usr/local/bin/qormap", {"-h"}},  // the invocation name as given
        {"./anything", {"-h"}},
        {"qormap", {"-dh"}},                       // the flag is set, then help ends the run
        {"qormap", {"-s", "5", "-h", "-s", "x"}},  // entries after help are not looked at
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + testing::PrintToString(c.words));
        std::vector<std::string> words = {"-o", folder + "/map.vxl"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        const ProcessResult result = run(words, c.name);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.out, usageFor(c.name));
        EXPECT_EQ(result.err, "");
        EXPECT_FALSE(std::filesystem::exists(folder + "/map.vxl"));
    }
}

TEST_F(Cli, PrintsPathAndSeedThenFinished) {
    struct Case {
        std::vector<std::string> words;
        const char* seed;
    };
    const Case cases[] = {
        {{"-s", "1"}, "1"},
        {{"-s7", "-s", "9"}, "9"},             // the last -s wins
        {{"-s", "4000000000"}, "-294967296"},  // the bit pattern, printed signed
        {{"-s", "-1"}, "-1"},
        {{"-s", "x"}, "0"},             // not a number reads as 0
        {{"-S", "5", "-s", "3"}, "3"},  // capital S is an ignored flag
        {{"-x", "5", "-s", "2", "loose"}, "2"},
        {{"-s", "8", "-b", "150", "-p", "-1", "-c", "65536", "-d"}, "8"},
    };
    const std::string path = folder + "/map.vxl";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        std::vector<std::string> words = c.words;
        words.insert(words.begin(), {"-o", path});
        const ProcessResult result = run(words);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.out,
                  "Generating to '" + path + "' using seed '" + c.seed + "'\nFinished\n");
        EXPECT_EQ(result.err, "");
        // Every record holds at least a header and one top colour.
        EXPECT_GE(std::filesystem::file_size(path), 8u * 512 * 512);
        std::filesystem::remove(path);
    }
}

TEST_F(Cli, SeedComesFromTheClockWithoutDashS) {
    const std::string path = folder + "/map.vxl";
    const long long before = static_cast<int32_t>(std::time(nullptr));
    const ProcessResult result = run({"-o", path});
    const long long after = static_cast<int32_t>(std::time(nullptr));
    ASSERT_EQ(result.exitStatus, 0);
    const std::string prefix = "Generating to '" + path + "' using seed '";
    ASSERT_EQ(result.out.rfind(prefix, 0), 0u) << result.out;
    const long long seed = std::stoll(result.out.substr(prefix.size()));
    EXPECT_GE(seed, before);
    EXPECT_LE(seed, after);
}

TEST_F(Cli, UnwritableOutputFailsWithOneLine) {
    std::filesystem::create_directory(folder + "/folder");
    struct Case {
        std::string path;
        const char* reason;
        const char* action;
    };
    const Case cases[] = {
        {folder + "/missing/map.vxl", "No such file or directory", "cannot create"},
        {folder + "/folder", "Is a directory", "cannot create"},
        {"/dev/full", "No space left on device", "cannot write"},
        {"", "the file name is empty", "cannot create"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const ProcessResult result = run({"-s", "1", "-o", c.path});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.out, "Generating to '" + c.path + "' using seed '1'\n");
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1)
            << "exactly one line: " << result.err;
        EXPECT_NE(
            result.err.find("qormap: " + std::string(c.action) + " map file '" + c.path + "'"),
            std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("choose the file"), std::string::npos)
            << "-o was given: " << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder + "/missing"));
}

TEST_F(Cli, PermissionDeniedIsReported) {
    if (!permissionsApply()) {
        GTEST_SKIP() << "permissions do not bind this process";
    }
    namespace fs = std::filesystem;
    const std::string locked = folder + "/locked";
    fs::create_directory(locked);
    const std::string readOnly = folder + "/read-only.vxl";
    writeEarlierMap(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read);
    struct Case {
        const char* name;
        std::string path;
    };
    const Case cases[] = {
        {"a folder that may not be written", locked + "/map.vxl"},
        {"a map its owner made read-only", readOnly},
    };
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = run({"-s", "1", "-o", c.path});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err,
                  "qormap: cannot create map file '" + c.path + "': Permission denied\n");
    }
    EXPECT_EQ(readAll(readOnly), earlierMap);
    fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(Cli, DefaultPathFailureHintsAtDashO) {
    const std::string defaultPath = "/program files/brindlemoor/vxl/qormap.vxl";
    if (std::filesystem::exists(std::filesystem::path(defaultPath).parent_path())) {
        GTEST_SKIP() << "the default folder exists on this machine";
    }
    const ProcessResult result = run({"-s", "3"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "Generating to '" + defaultPath + "' using seed '3'\n");
    EXPECT_NE(result.err.find(defaultPath), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("(choose the file with -o)"), std::string::npos) << result.err;
}

TEST_F(Cli, MissingValueIsAUsageError) {
    struct Case {
        std::vector<std::string> words;
        const char* option;
    };
    const Case cases[] = {
        {{"-s"}, "-s"},
        {{"-ds"}, "-s"},
        {{"-s", "1", "-o"}, "-o"},
        {{"-b"}, "-b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        const ProcessResult result = run(c.words);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "qormap: option " + std::string(c.option) +
                                  " needs a value; run 'qormap -h' for the options\n");
    }
}

TEST_F(Cli, FailedWriteLeavesTheEarlierMap) {
    struct Case {
        const char* name;
        long long fileSizeLimit;
    };
    const Case cases[] = {
        {"the disk fills up half-way", 1 << 20},
        {"only the last byte does not fit: the final flush fails",
         static_cast<long long>(seedOneMap().size) - 1},
    };
    const std::string path = folder + "/map.vxl";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeEarlierMap(path);
        const ProcessResult result =
            run({"-s", "1", "-o", path}, "qormap", ProcessLimits{c.fileSizeLimit, {}});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.out, "Generating to '" + path + "' using seed '1'\n");
        EXPECT_EQ(result.err, "qormap: cannot write map file '" + path + "': File too large\n");
        EXPECT_EQ(readAll(path), earlierMap);
        EXPECT_EQ(entries(), std::set<std::string>{"map.vxl"});
    }
}

TEST_F(Cli, InterruptedRunLeavesTheEarlierMap) {
    const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGKILL};
    const std::string path = folder + "/map.vxl";
    for (const int signalNumber : signals) {
        SCOPED_TRACE(strsignal(signalNumber));
        writeEarlierMap(path);
        // Caught while the map is being written: stopped as soon as its
        // temporary file shows and while that is still there, then signalled.
        bool caught = false;
        for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
            const int child = startProcess(program, {"qormap", "-s", "1", "-o", path});
            int status = 0;
            while (temporaryFile().empty() && waitpid(child, &status, WNOHANG) == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            kill(child, SIGSTOP);
            caught = !temporaryFile().empty();
            kill(child, caught ? signalNumber : SIGKILL);
            kill(child, SIGCONT);
            ASSERT_EQ(waitpid(child, &status, 0), child);
            if (!caught) {
                writeEarlierMap(path);
                continue;
            }
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), signalNumber);
        }
        ASSERT_TRUE(caught) << "the write was never caught in progress";
        EXPECT_EQ(readAll(path), earlierMap);
        // Nothing can clean up after SIGKILL: the stale file is named after the map.
        const std::string stale = signalNumber == SIGKILL ? temporaryFile() : "";
        EXPECT_EQ(entries().size(), stale.empty() ? 1u : 2u);
        if (!stale.empty()) {
            std::filesystem::remove(folder + "/" + stale);
        }
    }
}

TEST_F(Cli, KillAtAnyMomentLeavesAWholeMap) {
    const std::string path = folder + "/map.vxl";
    for (int delay = 0; delay <= 400; delay += 50) {
        SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
        writeEarlierMap(path);
        const int child = startProcess(program, {"qormap", "-s", "1", "-o", path});
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const std::string map = readAll(path);
        if (map != earlierMap) {
            EXPECT_EQ(sha256Hex(map), seedOneMap().sha256);
        }
        for (const std::string& name : entries()) {
            EXPECT_TRUE(name == "map.vxl" || isTemporaryName(name)) << name;
            if (name != "map.vxl") {
                std::filesystem::remove(folder + "/" + name);
            }
        }
    }
}

TEST_F(Cli, MapThroughAPipe) {
    const std::string errPath = folder + "/err";
    const std::string command = "'" + program + "' -s 1 -o /dev/stdout 2>'" + errPath + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string map;
    char buffer[1 << 16];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        map.append(buffer, got);
    }
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(map.size(), seedOneMap().size);
    EXPECT_EQ(sha256Hex(map), seedOneMap().sha256);
    // The console lines would have been written into the map.
    EXPECT_EQ(readAll(errPath), "Generating to '/dev/stdout' using seed '1'\nFinished\n");
}

// A path that names one of the program's own descriptors writes into that
// descriptor where it stands, as a shell redirect set it up; the file behind
// it keeps what it held.
TEST_F(Cli, OwnDescriptorsAreWrittenWhereTheyStand) {
    ASSERT_EQ(run({"-s", "1", "-o", folder + "/f"}).exitStatus, 0);
    const std::string map = readAll(folder + "/f");
    ASSERT_EQ(sha256Hex(map), seedOneMap().sha256);
    const std::string q = "'" + program + "' -s 1 2>/dev/null -o ";
    const struct {
        std::string shell;  // run in the scratch folder, leaving `f`
        std::string expected;
        int status;
    } cases[] = {
        {"echo log >f; " + q + "/dev/stdout >>f", "log\n" + map, 0},
        {"{ echo header; " + q + "/dev/stdout; echo trailer; } >f", "header\n" + map + "trailer\n",
         0},
        {"{ " + q + "/dev/fd/1; " + q + "/proc/self/fd/1; } >f", map + map, 0},
        {"echo log >f; " + q + "/dev/fd/3 3>>f", "log\n" + map, 0},
        {"echo log >f; " + q + "/dev/stderr 2>>f >/dev/null", "log\n" + map, 0},
        {"echo log >f; " + q + "/dev/fd/3 3<f", "log\n", 1},  // read-only: refused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shell);
        const ProcessResult result =
            runProcess("/bin/sh", {"sh", "-c", "cd '" + folder + "' && " + c.shell});
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_EQ(sha256Hex(readAll(folder + "/f")), sha256Hex(c.expected));
        EXPECT_EQ(entries(), std::set<std::string>{"f"});
    }
}

TEST_F(Cli, ConsoleLinesStayOnStandardOutputUnlessTheMapGoesThere) {
    struct Case {
        const char* path;
        bool mapOnStandardOutput;
    };
    const Case cases[] = {
        {"/dev/stdout", true},  // a regular file behind it here
        {"/dev/null", false},   // a device keeps no bytes to corrupt
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const ProcessResult result = run({"-s", "1", "-o", c.path});
        EXPECT_EQ(result.exitStatus, 0);
        const std::string lines =
            "Generating to '" + std::string(c.path) + "' using seed '1'\nFinished\n";
        if (c.mapOnStandardOutput) {
            EXPECT_EQ(sha256Hex(result.out), seedOneMap().sha256);
            EXPECT_EQ(result.err, lines);
        } else {
            EXPECT_EQ(result.out, lines);
            EXPECT_EQ(result.err, "");
        }
    }
}
