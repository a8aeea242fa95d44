#include "platform/replaced_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

class ReplacedFileTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        savedMask = umask(022);
    }
    void TearDown() override {
        umask(savedMask);
        ScratchFolderTest::TearDown();
    }

    std::vector<std::string> entries() const { return folderEntries(folder); }

    void writeFile(const std::string& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }

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
        {"a file taken for a folder", folder + "/file/x.png", ENOTDIR},
        {"a loop of links", folder + "/loop", ELOOP},
    };
    writeFile(folder + "/file", "");
    fs::create_symlink("loop", folder + "/loop");
    const std::vector<std::string> before = entries();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacedFile output;
        int error = 0;
        EXPECT_FALSE(openReplacement(c.target, output, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(entries(), before);
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

TEST_F(ReplacedFileTest, SymbolicLinkKeepsPointingAtTheNewFile) {
    struct Case {
        const char* name;
        std::string pointsTo;  // what the link holds
        std::string lands;     // the file that gets the bytes
        bool existsBefore;
    };
    const Case cases[] = {
        {"an absolute link", folder + "/real.vxl", folder + "/real.vxl", true},
        {"a relative link", "real.vxl", folder + "/real.vxl", true},
        {"a dangling link", "later.vxl", folder + "/later.vxl", false},
        {"a link to a link", "hop.vxl", folder + "/real.vxl", true},
    };
    fs::create_symlink("real.vxl", folder + "/hop.vxl");
    const std::string link = folder + "/link.vxl";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.existsBefore) {
            writeFile(c.lands, "old");
        }
        fs::create_symlink(c.pointsTo, link);
        ReplacedFile output;
        int error = 0;
        ASSERT_TRUE(openReplacement(link, output, error));
        std::fputs("new", output.file);
        ASSERT_TRUE(commitReplacement(output, error)) << std::strerror(error);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(readAll(c.lands), "new");
        fs::remove(link);
        fs::remove(c.lands);
    }
}

TEST_F(ReplacedFileTest, ReadOnlyFileIsNotReplaced) {
    if (!permissionsApply()) {
        GTEST_SKIP() << "permissions do not bind this process";
    }
    const std::string target = folder + "/locked.vxl";
    writeFile(target, "kept");
    chmod(target.c_str(), 0444);
    ReplacedFile output;
    int error = 0;
    EXPECT_FALSE(openReplacement(target, output, error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(readAll(target), "kept");
}

TEST_F(ReplacedFileTest, OneReplacementPendingAtATime) {
    ReplacedFile first;
    ReplacedFile second;
    int error = 0;
    ASSERT_TRUE(openReplacement(folder + "/a.vxl", first, error));
    EXPECT_FALSE(openReplacement(folder + "/b.vxl", second, error));
    EXPECT_EQ(error, EBUSY);
    abandonReplacement(first);
    ASSERT_TRUE(openReplacement(folder + "/b.vxl", second, error));
    abandonReplacement(second);
    EXPECT_TRUE(entries().empty());
}

// Each case runs in a child process, which the signal ends.
TEST_F(ReplacedFileTest, InterruptRemovesTheTemporaryFile) {
    struct Case {
        int signalNumber;
        bool ignoredBefore;  // started with the signal ignored, as under nohup
    };
    const Case cases[] = {
        {SIGINT, false},
        {SIGTERM, false},
        {SIGHUP, false},
        {SIGHUP, true},
    };
    const std::string target = folder + "/map.vxl";
    for (const Case& c : cases) {
        SCOPED_TRACE(strsignal(c.signalNumber) + std::string(c.ignoredBefore ? ", ignored" : ""));
        writeFile(target, "old map");
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            signal(c.signalNumber, c.ignoredBefore ? SIG_IGN : SIG_DFL);
            removeTemporaryFilesOnInterrupt();
            ReplacedFile output;
            int error = 0;
            if (!openReplacement(target, output, error)) {
                _exit(3);
            }
            std::fputs("half a map", output.file);
            std::fflush(output.file);
            raise(c.signalNumber);
            _exit(commitReplacement(output, error) ? 0 : 4);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (c.ignoredBefore) {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(readAll(target), "half a map");
        } else {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), c.signalNumber);
            EXPECT_EQ(readAll(target), "old map");
        }
        EXPECT_EQ(entries(), std::vector<std::string>{"map.vxl"});
    }
}
