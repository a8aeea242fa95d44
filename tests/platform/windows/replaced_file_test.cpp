// The Windows side of whole-or-nothing output, run under wine in CI.
#include "platform/replaced_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/driver.h"
#include "tests/platform/replaced_file_contract.h"
#include "tests/shared/scratch_folder.h"

using namespace qormap;

namespace fs = std::filesystem;

// Named outside any anonymous namespace, as the contract's test names show it.
struct WindowsFiles {
    static bool makeReadOnly(const std::string& path) {
        return SetFileAttributesW(fs::u8path(path).c_str(), FILE_ATTRIBUTE_READONLY) != 0;
    }
    static void makeWritable(const std::string& path) {
        SetFileAttributesW(fs::u8path(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    static std::vector<RefusedTarget> refusedTargets(const std::string& folder) {
        return {{folder + "\\missing\\map.vxl", ENOENT}, {folder + "/folder/", EISDIR}};
    }
    static std::vector<StreamTarget> streamTargets() {
        return {{"NUL", true, 0}, {"nul.vxl", true, 0}, {"//./NUL", true, 0}};
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(ReplacedFileContract, ReplacedFileContract, WindowsFiles);

namespace {

using WindowsReplacedFile = ReplacedFileContract<WindowsFiles>;

// Runs the program in this process, its console lines captured.
struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

ProgramRun runCaptured(std::vector<std::string> words) {
    std::vector<char*> arguments;
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = runProgram(static_cast<int>(words.size()), arguments.data());
    std::string out = testing::internal::GetCapturedStdout();
    return {status, out, testing::internal::GetCapturedStderr()};
}

}  // namespace

// The move itself refused: another program holds the map open without
// letting it be replaced.
TEST_F(WindowsReplacedFile, EarlierMapKeptWhenTheMoveIsRefused) {
    const std::string target = folder + "/map.vxl";
    writeFile(target, "earlier");
    ReplacedFile output;
    int error = 0;
    ASSERT_TRUE(openReplacement(target, output, error)) << std::strerror(error);
    std::fputs("whole map", output.file);
    const HANDLE holder = CreateFileW(fs::u8path(target).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const bool committed = commitReplacement(output, error);
    CloseHandle(holder);
    EXPECT_FALSE(committed);
    EXPECT_EQ(error, EACCES) << std::strerror(error);
    EXPECT_EQ(readAll(target), "earlier");
    EXPECT_EQ(entries(), std::vector<std::string>{"map.vxl"});
}

namespace {

// The "\\?\" form of `path`, which the system takes past 260 characters.
std::wstring prefixedPath(const std::string& path) {
    return L"\\\\?\\" + fs::absolute(fs::u8path(path)).make_preferred().wstring();
}

}  // namespace

// UTF-8 names reach the system intact, and so do paths past 260 characters.
TEST_F(WindowsReplacedFile, Utf8AndLongPaths) {
    const std::string utf8Folder = folder + "/cart\xC3\xA9s \xE2\x82\xAC";  // "cartés €"
    std::vector<std::string> longFolders;
    std::string longFolder = folder;
    while (longFolder.size() < 300) {
        longFolder += "/a-long-folder-name";
        longFolders.push_back(longFolder);
        ASSERT_TRUE(CreateDirectoryW(prefixedPath(longFolder).c_str(), nullptr));
    }
    fs::create_directory(fs::u8path(utf8Folder));
    for (const std::string& target : {utf8Folder + "/m\xC3\xB6.vxl", longFolder + "/map.vxl"}) {
        SCOPED_TRACE(target);
        ReplacedFile output;
        int error = 0;
        ASSERT_TRUE(openReplacement(target, output, error)) << std::strerror(error);
        std::fputs("map", output.file);
        ASSERT_TRUE(commitReplacement(output, error)) << std::strerror(error);
    }
    std::string text;
    std::ifstream(fs::u8path(utf8Folder + "/m\xC3\xB6.vxl"), std::ios::binary) >> text;
    EXPECT_EQ(text, "map");
    const std::wstring longTarget = prefixedPath(longFolder + "/map.vxl");
    EXPECT_NE(GetFileAttributesW(longTarget.c_str()), INVALID_FILE_ATTRIBUTES);
    // Taken down by hand: the folder helpers stop at 260 characters.
    DeleteFileW(longTarget.c_str());
    for (auto at = longFolders.rbegin(); at != longFolders.rend(); ++at) {
        RemoveDirectoryW(prefixedPath(*at).c_str());
    }
}

TEST_F(WindowsReplacedFile, ProgramNamesThePathAndTheReason) {
    fs::create_directory(folder + "/folder");
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {folder + "/missing/map.vxl", "No such file or directory"},
        {folder + "/folder", "Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const ProgramRun run = runCaptured({"C:\\games\\qormap.exe", "-s", "1", "-o", c.path});
        EXPECT_EQ(run.status, exitFailure);
        EXPECT_EQ(run.err,
                  "qormap.exe: cannot create map file '" + c.path + "': " + c.reason + "\n");
    }
    EXPECT_EQ(entries(), std::vector<std::string>{"folder"});
}

// Without -o the map goes to \program files\brindlemoor\vxl on the current
// drive, which is never created.
TEST_F(WindowsReplacedFile, DefaultPathNamesTheCurrentDrive) {
    wchar_t full[MAX_PATH];
    ASSERT_NE(GetFullPathNameW(fs::u8path(defaultOutputPath).c_str(), MAX_PATH, full, nullptr), 0u);
    wchar_t current[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    EXPECT_EQ(std::wstring(full).substr(0, 3), std::wstring(current).substr(0, 2) + L"\\");
    EXPECT_EQ(std::wstring(full).substr(2), L"\\program files\\brindlemoor\\vxl\\qormap.vxl");

    const std::wstring brand = std::wstring(full).substr(0, 3) + L"program files\\brindlemoor";
    if (GetFileAttributesW(brand.c_str()) != INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "this machine has the game's folder";
    }
    const ProgramRun run = runCaptured({"qormap", "-s", "1"});
    EXPECT_EQ(run.status, exitFailure);
    EXPECT_EQ(run.err, std::string("qormap: cannot create map file '") + defaultOutputPath +
                           "': No such file or directory (choose the file with -o)\n");
    EXPECT_EQ(GetFileAttributesW(brand.c_str()), INVALID_FILE_ATTRIBUTES);
}
