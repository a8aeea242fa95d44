#include "vxl/encoder.h"
#include "vxl/memory_sink.h"
#include "vxl/writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/row_jobs.h"
#include "tests/shared/column_records.h"
#include "tests/shared/map_file.h"
#include "tests/shared/random_world.h"
#include "tests/shared/reference_encoder.h"
#include "tests/shared/scratch_folder.h"
#include "tests/shared/worker_count.h"
#include "tests/shared/world_file_fixture.h"
#include "world/world.h"

using namespace qormap;

namespace {

Bytes readFile(const std::string& path) {
    const std::string bytes = readAll(path);
    return Bytes(bytes.begin(), bytes.end());
}

// The bytes `write` puts on a stream, through a scratch file: the C library's
// memory streams are not on every system.
template <typename Write>
Bytes streamedBytes(Write&& write) {
    const std::string folder = makeScratchFolder();
    const std::string path = folder + "/stream";
    std::FILE* stream = std::fopen(path.c_str(), "wb");
    write(stream);
    std::fclose(stream);
    Bytes bytes = readFile(path);
    std::filesystem::remove_all(folder);
    return bytes;
}

Bytes encodeToBytes(int32_t x, int32_t y) {
    return streamedBytes([&](std::FILE* stream) { encodeColumn(stream, x, y); });
}

class Writer : public WorldFileTest {};
// Whole worlds for logic no compiler or CPU changes: not run at -O0 or emulated.
class WriterWholeWorlds : public Writer {};

}  // namespace

TEST_F(Writer, WordsAreLittleEndian) {
    const Bytes written = streamedBytes([](std::FILE* stream) {
        writeWordLE(stream, 0x806060FFu);
        writeWordLE(stream, 0x01020304u);
    });
    const Bytes expected = {0xFF, 0x60, 0x60, 0x80, 0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(written, expected);
}

TEST_F(Writer, ExposureIgnoresNeighboursOutsideTheWorld) {
    fillBox(0, 3, 0, 3, 20, 63, colorForZ(0));
    fillBox(508, 511, 508, 511, 20, 63, colorForZ(0));
    struct Case {
        int32_t x, y, z, exposed;
    };
    const Case cases[] = {
        {0, 1, 40, 0},      // on the x = 0 border, solid all round inside the world
        {0, 0, 63, 0},      // bottom corner
        {2, 2, 40, 0},      // interior
        {1, 1, 20, 1},      // air above
        {3, 1, 40, 1},      // air at x + 1
        {1, 3, 40, 1},      // air at y + 1
        {1, 1, 19, 0},      // air is never exposed
        {511, 509, 40, 0},  // on the x = 511 border
        {509, 511, 40, 0},  // on the y = 511 border
        {508, 509, 40, 1},  // air at x - 1
        {509, 508, 40, 1},  // air at y - 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '(' << c.x << ", " << c.y << ", " << c.z << ')');
        EXPECT_EQ(isExposed(c.x, c.y, c.z), c.exposed);
    }
}

TEST_F(Writer, ColumnSpansMatchTheWorkedExamples) {
    constexpr int32_t x = 100, y = 200;
    for (const WorkedColumn& example : workedColumns()) {
        SCOPED_TRACE(example.name);
        clearWorld();
        placeWorkedColumn(x, y, example);
        EXPECT_EQ(encodeToBytes(x, y), spanBytes(example.spans));
    }
}

TEST_F(Writer, AirColumnIsOneEmptySpan) {
    EXPECT_EQ(encodeToBytes(5, 5), (Bytes{0, 64, 63, 0}));
}

TEST_F(Writer, AllAirWorldWritesEveryRecord) {
    const std::string path = folder + "/air.vxl";
    const VxlWriteResult result = writeVxl(path.c_str());
    ASSERT_EQ(result.status, VxlWriteStatus::ok);
    const Bytes file = readFile(path);
    ASSERT_EQ(file.size(), 4u * columnCount);
    for (size_t at = 0; at < file.size(); at += 4) {
        ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 4), (Bytes{0, 64, 63, 0})) << at;
    }
}

TEST_F(Writer, WritesColumnsUpsideDownInRowsOfXInsideY) {
    // Generation orientation: z = 0 at the bottom. Every column holds z 0..2;
    // columns (1, 0) and (0, 1) stand taller so their records can be told apart.
    for (int32_t x = 0; x < worldSizeX; ++x) {
        for (int32_t y = 0; y < worldSizeY; ++y) {
            fillColumnByZ(x, y, 0, 2);
        }
    }
    fillColumnByZ(1, 0, 0, 5);
    fillColumnByZ(0, 1, 0, 7);

    const std::string path = folder + "/order.vxl";
    ASSERT_EQ(writeVxl(path.c_str()).status, VxlWriteStatus::ok);
    const Bytes file = readFile(path);
    EXPECT_EQ(file.size(), 8u * columnCount + 8 + 16);
    const std::vector<size_t> offsets = recordOffsets(file);
    ASSERT_EQ(offsets.size(), static_cast<size_t>(columnCount));

    auto record = [&](size_t index) {
        const size_t end = index + 1 < offsets.size() ? offsets[index + 1] : file.size();
        return Bytes(file.begin() + offsets[index], file.begin() + end);
    };
    // File z = 63 - generation z; colours still name the generation z.
    EXPECT_EQ(record(0), spanBytes({{0, 61, 61, 0, {2}}}));                // (0, 0)
    EXPECT_EQ(record(1), spanBytes({{0, 58, 60, 0, {5, 4, 3}}}));          // (1, 0)
    EXPECT_EQ(record(2), spanBytes({{0, 61, 61, 0, {2}}}));                // (2, 0)
    EXPECT_EQ(record(511), spanBytes({{0, 61, 61, 0, {2}}}));              // (511, 0)
    EXPECT_EQ(record(512), spanBytes({{0, 56, 60, 0, {7, 6, 5, 4, 3}}}));  // (0, 1)
    EXPECT_EQ(record(513), spanBytes({{0, 61, 61, 0, {2}}}));              // (1, 1)
    EXPECT_EQ(solid[voxelIndex(1, 0, 5)], 1) << "the world stays as generated";
    EXPECT_EQ(solid[voxelIndex(1, 0, 58)], 0) << "the world stays as generated";
}

TEST_F(Writer, ReportsFilesThatCannotBeOpenedWithoutTouchingTheWorld) {
    std::filesystem::create_directory(folder + "/folder");
    struct Case {
        std::string path;
        int error;
    };
    const Case cases[] = {
        {folder + "/missing/map.vxl", ENOENT},
        {folder + "/folder", EISDIR},
    };
    fillColumnByZ(0, 0, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const VxlWriteResult result = writeVxl(c.path.c_str());
        EXPECT_EQ(result.status, VxlWriteStatus::openFailed);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(solid[voxelIndex(0, 0, 0)], 1) << "the world must not change";
    }
    EXPECT_FALSE(std::filesystem::exists(folder + "/missing"));
}

TEST_F(Writer, ReportsAFailedWrite) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const VxlWriteResult result = writeVxl("/dev/full");
    EXPECT_EQ(result.status, VxlWriteStatus::writeFailed);
    EXPECT_EQ(result.error, ENOSPC);
}

namespace {

// Every record through the plain span rule, on the world flipped in place.
Bytes encodeFlippedWorld() {
    flipWorld();
    const Bytes bytes = streamedBytes([](std::FILE* stream) {
        for (int32_t y = 0; y < worldSizeY; ++y) {
            for (int32_t x = 0; x < worldSizeX; ++x) {
                encodeColumn(stream, x, y);
            }
        }
    });
    flipWorld();
    return bytes;
}

size_t firstDifference(const Bytes& a, const Bytes& b) {
    const size_t common = std::min(a.size(), b.size());
    return static_cast<size_t>(
        std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(common), b.begin()).first -
        a.begin());
}

}  // namespace

TEST_F(WriterWholeWorlds, ExposureMasksMatchTheDefinition) {
    for (uint32_t seed : randomWorldSeeds) {
        SCOPED_TRACE(testing::Message() << "world " << seed);
        clearWorld();
        fillRandomWorld(seed);
        std::vector<uint64_t> solidMasks(columnCount);
        std::vector<uint64_t> exposedMasks(columnCount);
        const auto maskOr = [&](int32_t x, int32_t y) {
            const bool inside = x >= 0 && x < worldSizeX && y >= 0 && y < worldSizeY;
            return inside ? fileSolidMask(x, y) : ~uint64_t{0};
        };
        for (int32_t x = 0; x < worldSizeX; ++x) {
            for (int32_t y = 0; y < worldSizeY; ++y) {
                solidMasks[columnIndex(x, y)] = fileSolidMask(x, y);
                exposedMasks[columnIndex(x, y)] =
                    exposedMask(fileSolidMask(x, y), maskOr(x - 1, y), maskOr(x + 1, y),
                                maskOr(x, y - 1), maskOr(x, y + 1));
            }
        }
        flipWorld();
        int32_t mismatches = 0;
        for (int32_t x = 0; x < worldSizeX; ++x) {
            for (int32_t y = 0; y < worldSizeY; ++y) {
                for (int32_t z = 0; z < worldSizeZ; ++z) {
                    const uint64_t bit = uint64_t{1} << z;
                    const bool isSolid = solid[voxelIndex(x, y, z)] != 0;
                    const bool exposed = isExposed(x, y, z) != 0;
                    if (((solidMasks[columnIndex(x, y)] & bit) != 0) != isSolid ||
                        ((exposedMasks[columnIndex(x, y)] & bit) != 0) != exposed) {
                        if (++mismatches <= 5) {
                            ADD_FAILURE() << "voxel (" << x << ", " << y << ", " << z << ")";
                        }
                    }
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST_F(WriterWholeWorlds, FastEncodingMatchesTheSpanRule) {
    for (uint32_t seed : randomWorldSeeds) {
        SCOPED_TRACE(testing::Message() << "world " << seed);
        clearWorld();
        fillRandomWorld(seed);
        const Bytes expected = encodeFlippedWorld();
        // Band edges anywhere: the first and last rows alone, and uneven bands.
        const int32_t edges[] = {0, 1, 2, 77, 300, 510, 511, 512};
        // Room for the worst case, of which only the pages written are touched.
        const std::unique_ptr<uint8_t[]> buffer(new uint8_t[maxRecordBytes * columnCount]);
        size_t size = 0;
        for (size_t band = 0; band + 1 < std::size(edges); ++band) {
            size += encodeRows(buffer.get() + size, edges[band], edges[band + 1]);
        }
        const Bytes encoded(buffer.get(), buffer.get() + size);
        EXPECT_TRUE(encoded == expected)
            << "the first difference is at byte " << firstDifference(encoded, expected);
    }
}

TEST_F(WriterWholeWorlds, FileAndMemoryDoNotDependOnTheThreadCount) {
    fillRandomWorld(randomWorldSeeds[0]);
    const Bytes expected = encodeFlippedWorld();
    const std::string path = folder + "/threads.vxl";
    const WorkerCountRestored restored;
    for (int32_t threads : {1, 2, 3, maxWorkerCount}) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        setWorkerCount(threads);
        ASSERT_EQ(writeVxl(path.c_str()).status, VxlWriteStatus::ok);
        EXPECT_TRUE(readFile(path) == expected);
        MapBuffer memory;
        int error = 0;
        ASSERT_TRUE(encodeIntoMemory(memory, error));
        EXPECT_TRUE(Bytes(memory.data, memory.data + memory.size) == expected);
        std::free(memory.data);
    }
}
