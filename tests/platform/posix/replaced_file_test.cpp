#include "platform/replaced_file.h"

#include <fcntl.h>
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

#include "tests/platform/replaced_file_contract.h"
#include "tests/shared/scratch_folder.h"

using namespace qormap;

namespace fs = std::filesystem;

// Named outside any anonymous namespace, as the contract's test names show it.
struct PosixFiles {
    static bool makeReadOnly(const std::string& path) {
        return chmod(path.c_str(), 0444) == 0;  // refused to root as well
    }
    static void makeWritable(const std::string& path) { chmod(path.c_str(), 0644); }
    static std::vector<RefusedTarget> refusedTargets(const std::string& folder) {
        std::ofstream(folder + "/file") << "";
        fs::create_symlink("loop", folder + "/loop");
        return {{folder + "/file/x.png", ENOTDIR}, {folder + "/loop", ELOOP}};
    }
    static std::vector<StreamTarget> streamTargets() {
        return {{"/dev/null", true, 0}, {"/dev/full", false, ENOSPC}};
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(ReplacedFileContract, ReplacedFileContract, PosixFiles);

namespace {

using ReplacedFileTest = ReplacedFileContract<PosixFiles>;

mode_t modeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode;
}

}  // namespace

TEST_F(ReplacedFileTest, NewFilesFollowTheUmaskAndReplacementsKeepTheirMode) {
    const mode_t savedMask = umask(022);
    const struct {
        const char* name;
        mode_t before;  // 0: no file before
        mode_t after;
    } cases[] = {{"new.png", 0, 0644}, {"old.png", 0600, 0600}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = folder + "/" + c.name;
        if (c.before != 0) {
            writeFile(target, "old");
            chmod(target.c_str(), c.before);
        }
        ReplacedFile output;
        int error = 0;
        ASSERT_TRUE(openReplacement(target, output, error));
        std::fputs("new", output.file);
        ASSERT_TRUE(commitReplacement(output, error)) << std::strerror(error);
        EXPECT_EQ(modeOf(target) & 0777, c.after);
        EXPECT_EQ(entries(), std::vector<std::string>{c.name});
        fs::remove(target);
    }
    umask(savedMask);
}

// A regular file is replaced whole wherever it lives; only what is not kept
// under its name is streamed.
TEST_F(ReplacedFileTest, StreamedOrReplacedByWhatTheFileIs) {
    const std::string plain = folder + "/plain.vxl";
    writeFile(plain, "old");
    mkfifo((folder + "/fifo").c_str(), 0600);
    const int descriptor = open(plain.c_str(), O_RDONLY);
    const struct {
        std::string path;
        bool streamed;
    } cases[] = {
        {plain, false},
        {"/dev/shm/a.vxl", false},
        {folder + "/fifo", true},
        {"/dev/stdin", true},
        {"/proc/self/fd/" + std::to_string(descriptor), true},  // a regular file behind it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isStreamPath(c.path), c.streamed) << c.path;
    }
    close(descriptor);
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

// Another user's link in a sticky, world-writable folder is not followed, as
// the kernel refuses it (fs.protected_symlinks); the caller's own link, or the
// folder owner's, is.
TEST_F(ReplacedFileTest, LinksInASharedFolderAreFollowedOnlyFromTrustedOwners) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "giving a link to another user needs root";
    }
    constexpr uid_t other = 65534;  // nobody
    const struct {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
    } cases[] = {
        {"another user's link", 01777, 0, other, false},
        {"the caller's link", 01777, 0, 0, true},
        {"the folder owner's link", 01777, other, other, true},
        {"a folder that is not sticky", 0777, 0, other, true},
        {"a sticky folder others cannot write", 01755, 0, other, true},
    };
    const std::string shared = folder + "/shared";
    const std::string target = folder + "/target.vxl";
    const std::string link = shared + "/map.vxl";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_directory(shared);
        ASSERT_EQ(chown(shared.c_str(), c.folderOwner, 0), 0);
        ASSERT_EQ(chmod(shared.c_str(), c.folderMode), 0);
        writeFile(target, "kept");
        fs::create_symlink(target, link);
        ASSERT_EQ(lchown(link.c_str(), c.linkOwner, 0), 0);
        ReplacedFile output;
        int error = 0;
        ASSERT_EQ(openReplacement(link, output, error), c.followed) << std::strerror(error);
        if (c.followed) {
            std::fputs("new", output.file);
            ASSERT_TRUE(commitReplacement(output, error)) << std::strerror(error);
        } else {
            EXPECT_EQ(error, EACCES);
            EXPECT_FALSE(isStreamPath(link));
        }
        EXPECT_EQ(readAll(target), c.followed ? "new" : "kept");
        EXPECT_TRUE(fs::is_symlink(link));
        fs::remove_all(shared);
    }
}
