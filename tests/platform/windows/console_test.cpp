// The console checks on Windows, where the C runtime's file identities are
// always 0.
#include "platform/console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/file_names.h"
#include "tests/shared/scratch_folder.h"

using namespace qormap;

TEST(WindowsConsole, StandardOutputFileIsRecognised) {
    const std::string folder = makeScratchFolder();
    const std::string captured = folder + "/out.txt";
    const std::string other = folder + "/other.txt";
    std::ofstream(other) << "x";
    std::fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    const int file = _open(captured.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY, 0600);
    ASSERT_GE(file, 0);
    _dup2(file, _fileno(stdout));
    const bool same = isStandardOutputFile(captured.c_str());
    const bool sameOtherSpelling = isStandardOutputFile((folder + "\\out.txt").c_str());
    const bool otherFile = isStandardOutputFile(other.c_str());
    _dup2(saved, _fileno(stdout));
    _close(file);
    _close(saved);
    EXPECT_TRUE(same);
    EXPECT_TRUE(sameOtherSpelling);
    EXPECT_FALSE(otherFile);
    EXPECT_FALSE(isStandardOutputFile("NUL"));
    EXPECT_FALSE(isStandardOutputFile((folder + "/missing.txt").c_str()));
    std::filesystem::remove_all(folder);
}

TEST(WindowsFileNames, FolderEndsAtEitherSlash) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"qormap.exe", "qormap.exe"},
        {"C:\\games\\qormap.exe", "qormap.exe"},
        {"C:/games/qormap.exe", "qormap.exe"},
        {"C:qormap.exe", "qormap.exe"},  // in drive C:'s current folder
        {"..\\bin/qormap", "qormap"},
        {"bin/tools\\", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(withoutFolder(c.path), c.name) << c.path;
    }
}
