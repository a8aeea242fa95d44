// A fixture for tests that build a world by hand and write it: every test
// starts from an empty world and has a scratch folder of its own.
#pragma once

#include "tests/shared/scratch_folder_fixture.h"
#include "world/world.h"

class WorldFileTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        qormap::clearWorld();
        ScratchFolderTest::SetUp();
    }
};
