#include "support/replaced_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_process.h"

namespace {

namespace fs = std::filesystem;

class ReplacedFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder = makeScratchFolder();
        savedMask = umask(022);
    }
    void TearDown() override {
        umask(savedMask);
        fs::remove_all(folder);
    }

    // Names in the folder, so that a stray temporary file shows.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    void writeFile(const std::string& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }

    std::string folder;
    mode_t savedMask = 0;
};

mode_t modeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode;
}

}  // namespace

TEST_F(ReplacedFileTest, NewFileAppearsOnlyWhenComplete) {
    const std::string target = folder + "/new.png";
    ReplacedFile output;
    int error = 0;
    ASSERT_TRUE(openReplacement(target, output, error));
    std::fputs("picture", output.file);
    EXPECT_FALSE(fs::exists(target));
    ASSERT_TRUE(commitReplacement(output, error)) << std::strerror(error);
    EXPECT_EQ(readAll(target), "picture");
    EXPECT_EQ(modeOf(target) & 0777, 0644u);
    EXPECT_EQ(entries(), std::vector<std::string>{"new.png"});
}

TEST_F(ReplacedFileTest, ReplacementKeepsTheTargetsMode) {
    const std::string target = folder + "/old.png";
    writeFile(target, "old");
    chmod(target.c_str(), 0600);
    ReplacedFile output;
    int error = 0;
    ASSERT_TRUE(openReplacement(target, output, error));
    std::fputs("new", output.file);
    EXPECT_EQ(readAll(target), "old");
    ASSERT_TRUE(commitReplacement(output, error)) << std::strerror(error);
    EXPECT_EQ(readAll(target), "new");
    EXPECT_EQ(modeOf(target) & 0777, 0600u);
    EXPECT_EQ(entries(), std::vector<std::string>{"old.png"});
}

TEST_F(ReplacedFileTest, AbandonedOutputLeavesTheTargetAlone) {
    const std::string target = folder + "/kept.png";
    writeFile(target, "kept");
    ReplacedFile output;
    int error = 0;
    ASSERT_TRUE(openReplacement(target, output, error));
    std::fputs("half a pict", output.file);
    abandonReplacement(output);
    EXPECT_EQ(readAll(target), "kept");
    EXPECT_EQ(entries(), std::vector<std::string>{"kept.png"});
}

TEST_F(ReplacedFileTest, TargetsThatCannotBeOpened) {
    struct Case {
        const char* name;
        std::string target;
        int error;
    };
    const Case cases[] = {
        {"a missing folder", folder + "/no/such/x.png", ENOENT},
        {"a folder", folder, EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacedFile output;
        int error = 0;
        EXPECT_FALSE(openReplacement(c.target, output, error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(entries().empty());
    }
}

TEST_F(ReplacedFileTest, DevicesAreWrittenDirectlyAndNeverRemoved) {
    struct Case {
        const char* device;
        bool commits;
        int error;
    };
    const Case cases[] = {
        {"/dev/null", true, 0},
        {"/dev/full", false, ENOSPC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        ReplacedFile output;
        int error = 0;
        ASSERT_TRUE(openReplacement(c.device, output, error));
        EXPECT_TRUE(output.temporary.empty());
        std::fputs("picture", output.file);
        EXPECT_EQ(commitReplacement(output, error), c.commits);
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(S_ISCHR(modeOf(c.device)));
    }
}
