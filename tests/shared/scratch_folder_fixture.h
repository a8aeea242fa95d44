// A fixture for tests that write files: every test has a fresh scratch folder
// of its own, removed when it ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/shared/scratch_folder.h"

class ScratchFolderTest : public testing::Test {
protected:
    void SetUp() override { folder = makeScratchFolder(); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder;
};
