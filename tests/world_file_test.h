// A fixture for tests that build a world by hand and write it: every test
// starts from an empty world and has a scratch folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_process.h"
#include "world/world.h"

class WorldFileTest : public testing::Test {
protected:
    void SetUp() override {
        clearWorld();
        folder = makeScratchFolder();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder;
};
