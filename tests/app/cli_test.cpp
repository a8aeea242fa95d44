// The program as users meet it: run as a process, judged by its exit status,
// its console lines and the file it leaves behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "run_process.h"

namespace {

const std::string program = QORMAP_EXECUTABLE;

// Written out in full, not taken from the program, so that any drift shows.
std::string usageFor(const std::string& name) {
    return "Usage: " + name +
           " {options}\n"
           "Options:\n"
           "   -s {seed}      Random seed; always generates the same map for a seed\n"
           "   -o {filename}  Filename to write to\n"
           "   -d             Debug; draws green & blue start regions\n"
           "   -p #          number of pillars (0-65536, default 400)\n"
           "   -c #          number of jungle-gym connectors (0-65536, default 300)\n"
           "   -b #          ground bumpiness (0-100, default 50)\n"
           "\n"
           "If no seed is specified, a random one is generated.\n"
           "If no filename is written, writes to 'c:/program files/brindlemoor/vxl/qormap.vxl\n";
}

class Cli : public testing::Test {
protected:
    void SetUp() override { folder = makeScratchFolder(); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    ProcessResult run(std::vector<std::string> words, const std::string& name = "qormap") {
        words.insert(words.begin(), name);
        return runProcess(program, words);
    }

    std::string folder;
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
    if (geteuid() == 0) {
        GTEST_SKIP() << "root may write anywhere";
    }
    const std::string locked = folder + "/locked";
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    const ProcessResult result = run({"-s", "1", "-o", locked + "/map.vxl"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("Permission denied"), std::string::npos) << result.err;
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
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
