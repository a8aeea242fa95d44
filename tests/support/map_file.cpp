#include "tests/support/map_file.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdio>

#include "tests/support/run_process.h"
#include "vxl/writer.h"

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

std::string sha256Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

std::vector<uint8_t> writeWorldBytes(const std::string& folder) {
    const std::string path = folder + "/map.vxl";
    EXPECT_EQ(writeVxl(path.c_str()).status, VxlWriteStatus::ok);
    const std::string text = readAll(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}
