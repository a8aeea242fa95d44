// The contract of whole-or-nothing output, one suite for every system: each
// system's test file instantiates it with a type that says how that system
// marks a file read-only, which targets it refuses and which it streams.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/replaced_file.h"
#include "tests/shared/scratch_folder_fixture.h"

struct RefusedTarget {
    std::string path;
    int error;
};

struct StreamTarget {
    std::string path;
    bool commits;
    int error;
};

template <typename System>
class ReplacedFileContract : public ScratchFolderTest {
protected:
    void writeFile(const std::string& path, const std::string& text) const {
        std::ofstream(std::filesystem::u8path(path), std::ios::binary) << text;
    }
    std::vector<std::string> entries() const { return folderEntries(folder); }
};

TYPED_TEST_SUITE_P(ReplacedFileContract);

// Long names too: the temporary name never pushes a name the system takes
// over its limit (255 bytes, or 255 UTF-16 units on Windows).
TYPED_TEST_P(ReplacedFileContract, ReplacesOnlyWhenComplete) {
    // Bytes a text-mode stream would turn or stop at: \n, 0x1A.
    const std::string bytes("new\n\x1Amap", 8);
    std::string accents;
    for (int i = 0; i < 120; ++i) {
        accents += "\xC3\xA9";  // é: two bytes, one UTF-16 unit
    }
    const struct {
        std::string name;
        std::optional<std::string> earlier;
    } cases[] = {{"new.png", std::nullopt},
                 {"map.vxl", "earlier"},
                 {std::string(255, 'm'), "earlier"},
                 {accents, std::nullopt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = this->folder + "/" + c.name;
        if (c.earlier) {
            this->writeFile(target, *c.earlier);
        }
        qormap::ReplacedFile output;
        int error = 0;
        ASSERT_TRUE(qormap::openReplacement(target, output, error)) << std::strerror(error);
        std::fwrite(bytes.data(), 1, bytes.size(), output.file);
        EXPECT_EQ(readAll(target), c.earlier.value_or(""));
        ASSERT_TRUE(qormap::commitReplacement(output, error)) << std::strerror(error);
        EXPECT_EQ(readAll(target), bytes);
        EXPECT_EQ(this->entries(), std::vector<std::string>{c.name});
        std::filesystem::remove(std::filesystem::u8path(target));
    }
}

TYPED_TEST_P(ReplacedFileContract, AbandonedOutputLeavesTheTargetAlone) {
    const std::string target = this->folder + "/kept.png";
    this->writeFile(target, "kept");
    qormap::ReplacedFile output;
    int error = 0;
    ASSERT_TRUE(qormap::openReplacement(target, output, error)) << std::strerror(error);
    std::fputs("half a pict", output.file);
    qormap::abandonReplacement(output);
    EXPECT_EQ(readAll(target), "kept");
    EXPECT_EQ(this->entries(), std::vector<std::string>{"kept.png"});
}

TYPED_TEST_P(ReplacedFileContract, ReadOnlyTargetIsRefused) {
    const std::string target = this->folder + "/read-only.vxl";
    this->writeFile(target, "kept");
    if (!TypeParam::makeReadOnly(target)) {
        GTEST_SKIP() << "permissions do not bind this process";
    }
    qormap::ReplacedFile output;
    int error = 0;
    EXPECT_FALSE(qormap::openReplacement(target, output, error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(readAll(target), "kept");
    EXPECT_EQ(this->entries(), std::vector<std::string>{"read-only.vxl"});
    TypeParam::makeWritable(target);
}

TYPED_TEST_P(ReplacedFileContract, TargetsThatCannotBeOpened) {
    std::filesystem::create_directory(this->folder + "/folder");
    std::vector<RefusedTarget> cases = {
        {"", ENOENT},
        {this->folder + "/missing/map.vxl", ENOENT},
        {this->folder + "/folder", EISDIR},
    };
    for (const RefusedTarget& c : TypeParam::refusedTargets(this->folder)) {
        cases.push_back(c);
    }
    const std::vector<std::string> before = this->entries();
    for (const RefusedTarget& c : cases) {
        SCOPED_TRACE(c.path);
        qormap::ReplacedFile output;
        int error = 0;
        EXPECT_FALSE(qormap::openReplacement(c.path, output, error));
        EXPECT_EQ(error, c.error) << std::strerror(error);
        EXPECT_EQ(this->entries(), before);
    }
    EXPECT_TRUE(std::filesystem::is_empty(this->folder + "/folder"));
}

TYPED_TEST_P(ReplacedFileContract, StreamsAreWrittenDirectlyAndNeverRemoved) {
    for (const StreamTarget& c : TypeParam::streamTargets()) {
        SCOPED_TRACE(c.path);
        EXPECT_TRUE(qormap::isStreamPath(c.path));
        qormap::ReplacedFile output;
        int error = 0;
        ASSERT_TRUE(qormap::openReplacement(c.path, output, error)) << std::strerror(error);
        EXPECT_TRUE(output.temporary.empty());
        std::fputs("map", output.file);
        EXPECT_EQ(qormap::commitReplacement(output, error), c.commits);
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(qormap::isStreamPath(c.path));
    }
}

TYPED_TEST_P(ReplacedFileContract, OneReplacementPendingAtATime) {
    qormap::ReplacedFile first;
    qormap::ReplacedFile second;
    int error = 0;
    ASSERT_TRUE(qormap::openReplacement(this->folder + "/a.vxl", first, error));
    EXPECT_FALSE(qormap::openReplacement(this->folder + "/b.vxl", second, error));
    EXPECT_EQ(error, EBUSY);
    qormap::abandonReplacement(first);
    ASSERT_TRUE(qormap::openReplacement(this->folder + "/b.vxl", second, error));
    qormap::abandonReplacement(second);
    EXPECT_TRUE(this->entries().empty());
}

REGISTER_TYPED_TEST_SUITE_P(ReplacedFileContract, ReplacesOnlyWhenComplete,
                            AbandonedOutputLeavesTheTargetAlone, ReadOnlyTargetIsRefused,
                            TargetsThatCannotBeOpened, StreamsAreWrittenDirectlyAndNeverRemoved,
                            OneReplacementPendingAtATime);
