#include "tests/shared/map_file.h"

#include <gtest/gtest.h>

#include "tests/shared/scratch_folder.h"
#include "vxl/writer.h"

using namespace qormap;

std::vector<size_t> recordOffsets(std::span<const uint8_t> file) {
    std::vector<size_t> offsets;
    size_t at = 0;
    while (at < file.size()) {
        offsets.push_back(at);
        while (at + 4 <= file.size() && file[at] != 0) {
            at += 4u * file[at];
        }
        if (at + 4 > file.size()) {
            break;
        }
        at += 4u * (1 + (file[at + 2] + 1 - file[at + 1]));
    }
    EXPECT_EQ(at, file.size()) << "the last record runs past the end of the file";
    return offsets;
}

std::span<const uint8_t> asBytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::vector<uint8_t> writeWorldBytes(const std::string& folder) {
    const std::string path = folder + "/map.vxl";
    EXPECT_EQ(writeVxl(path.c_str()).status, VxlWriteStatus::ok);
    const std::string text = readAll(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}
