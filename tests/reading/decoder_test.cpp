#include "reading/decoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "api/pipeline.h"
#include "random/random.h"
#include "tests/shared/column_records.h"
#include "tests/shared/map_file.h"
#include "tests/shared/random_world.h"
#include "tests/shared/reference_encoder.h"
#include "tests/shared/scratch_folder.h"
#include "tests/shared/world_file_fixture.h"
#include "vxl/writer.h"
#include "world/structures.h"
#include "world/world.h"

using namespace qormap;

namespace {

constexpr size_t smallColumnSize = 8;

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

// The smallest sound column: air down to z = 62, one exposed voxel at the bottom.
const Bytes smallColumn = spanBytes({{0, 63, 63, 0, {63}}});

// A whole file of small columns with `record` in place of column `at`
// (nothing after it when `last` is set).
Bytes fileWith(int32_t at, const Bytes& record, bool last = false) {
    Bytes bytes;
    bytes.reserve(static_cast<size_t>(columnCount) * smallColumnSize + record.size());
    for (int32_t c = 0; c < at; ++c) {
        bytes.insert(bytes.end(), smallColumn.begin(), smallColumn.end());
    }
    bytes.insert(bytes.end(), record.begin(), record.end());
    for (int32_t c = at + 1; c < columnCount && !last; ++c) {
        bytes.insert(bytes.end(), smallColumn.begin(), smallColumn.end());
    }
    return bytes;
}

VxlColumn decodeOne(const Bytes& record) {
    VxlCursor cursor = startVxl(record.data(), record.size());
    VxlColumn column;
    VxlDecodeError error{};
    EXPECT_TRUE(decodeVxlColumn(cursor, column, error)) << describeVxlError(error);
    EXPECT_EQ(cursor.offset, record.size());
    return column;
}

// Compares every column of `file` with the world it was written from, turned
// into file orientation: the same solid voxels, and colours on exactly the
// exposed ones.
void expectFileHoldsWorld(const Bytes& file) {
    flipWorld();
    VxlCursor cursor = startVxl(file.data(), file.size());
    VxlColumn column;
    VxlDecodeError error{};
    int32_t mismatches = 0;
    for (int32_t y = 0; y < worldSizeY; ++y) {
        for (int32_t x = 0; x < worldSizeX; ++x) {
            ASSERT_TRUE(decodeVxlColumn(cursor, column, error)) << describeVxlError(error);
            for (int32_t z = 0; z < worldSizeZ; ++z) {
                const bool isSolid = solid[voxelIndex(x, y, z)] != 0;
                const bool exposed = isExposed(x, y, z) != 0;
                const VoxelColor expected = exposed ? color[voxelIndex(x, y, z)] : 0;
                if (((column.solidMask >> z) & 1) != isSolid ||
                    ((column.colorMask >> z) & 1) != exposed || column.colors[z] != expected) {
                    if (++mismatches <= 5) {
                        ADD_FAILURE() << "voxel (" << x << ", " << y << ", " << z << ")";
                    }
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(finishVxl(cursor, error)) << describeVxlError(error);
}

class Decoder : public WorldFileTest {};
// Whole worlds for logic no compiler or CPU changes: not run at -O0 or emulated.
class DecoderWholeWorlds : public Decoder {};

}  // namespace

TEST_F(Decoder, ReadsTheWorkedColumns) {
    struct Case {
        const char* name;
        Bytes record;
        uint64_t solidMask, colorMask;
        int32_t spans;
    };
    std::vector<Case> cases;
    for (const WorkedColumn& worked : workedColumns()) {
        cases.push_back({worked.name, spanBytes(worked.spans), worked.solid, worked.exposed,
                         static_cast<int32_t>(worked.spans.size())});
    }
    // shapes only hand-built worlds have
    const Case handBuilt[] = {
        {"a hidden voxel at z = 0 (top end -1 held as 255)", spanBytes({{0, 0, 255, 0, {}}}),
         zBits(0, 63), 0, 1},
        {"all air", spanBytes({{0, 64, 63, 0, {}}}), 0, 0, 1},
        {"air at the bottom", spanBytes({{2, 10, 10, 0, {10}}, {0, 64, 63, 11, {}}}), zBits(10, 10),
         zBits(10, 10), 2},
    };
    cases.insert(cases.end(), std::begin(handBuilt), std::end(handBuilt));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const VxlColumn column = decodeOne(c.record);
        EXPECT_EQ(column.solidMask, c.solidMask);
        EXPECT_EQ(column.colorMask, c.colorMask);
        EXPECT_EQ(column.spanCount, c.spans);
        for (int32_t z = 0; z < worldSizeZ; ++z) {
            const VoxelColor expected = (c.colorMask >> z) & 1 ? colorForZ(z) : 0;
            EXPECT_EQ(column.colors[z], expected) << "z = " << z;
        }
    }
}

TEST(DecoderFaults, NameTheByteTheColumnAndTheReason) {
    // Column 513 is (1, 1); its record starts at byte 513 * 8 = 4104.
    constexpr int32_t at = 513;
    constexpr int32_t lastColumn = columnCount - 1;
    struct Case {
        const char* name;
        Bytes file;
        VxlFault fault;
        const char* message;
    };
    const Case cases[] = {
        {"a header cut short",
         fileWith(at, join({spanBytes({{2, 10, 10, 0, {10}}}), {0, 20}}), true),
         VxlFault::truncatedHeader,
         "byte 4112, column (1, 1): the file ends inside a span header (2 of 4 bytes)"},
        {"last span's colours cut short", fileWith(at, spanBytes({{0, 10, 12, 0, {10, 11}}}), true),
         VxlFault::truncatedColors,
         "byte 4104, column (1, 1): the file ends inside the column's last span (12 of 16 "
         "bytes)"},
        {"an empty file", Bytes{}, VxlFault::missingColumns,
         "byte 0, column (0, 0): the file ends after 0 of 262144 columns"},
        {"bytes after the last column", fileWith(lastColumn, join({smallColumn, {1, 2, 3}})),
         VxlFault::trailingBytes,
         "byte 2097152, column (511, 511): 3 bytes follow the last column"},
        {"top start past the bottom", fileWith(at, spanBytes({{0, 65, 63, 0, {}}})),
         VxlFault::topStartOutOfRange,
         "byte 4105, column (1, 1): top start 65 is out of range (0 to 64)"},
        {"top end past the bottom", fileWith(at, spanBytes({{0, 10, 64, 0, {}}})),
         VxlFault::topEndOutOfRange,
         "byte 4106, column (1, 1): top end 64 is out of range (0 to 63)"},
        {"top end 255 below a top start other than 0",
         fileWith(at, spanBytes({{0, 5, 255, 0, {}}})), VxlFault::topEndOutOfRange,
         "byte 4106, column (1, 1): top end 255 is out of range (0 to 63)"},
        {"air start past the bottom",
         fileWith(at, spanBytes({{2, 10, 10, 0, {10}}, {0, 64, 63, 65, {}}})),
         VxlFault::airStartOutOfRange,
         "byte 4115, column (1, 1): air start 65 is out of range (0 to 64)"},
        {"first span not at the top", fileWith(at, spanBytes({{0, 10, 10, 3, {10}}})),
         VxlFault::firstAirStartNotZero,
         "byte 4107, column (1, 1): the column's first span has air start 3, not 0"},
        {"a span over the previous one's bottom colour",
         fileWith(at, spanBytes({{3, 10, 10, 0, {10, 11}}, {0, 11, 11, 11, {11}}})),
         VxlFault::airStartOverlaps,
         "byte 4119, column (1, 1): air start 11 lies inside the previous span (it must be 12 "
         "or more)"},
        {"a span that covers no voxel",
         fileWith(at, spanBytes({{1, 0, 255, 0, {}}, {0, 0, 255, 0, {}}})),
         VxlFault::airStartOverlaps,
         "byte 4111, column (1, 1): air start 0 lies inside the previous span (it must be 1 or "
         "more)"},
        {"air start below top start",
         fileWith(at, spanBytes({{2, 10, 10, 0, {10}}, {0, 20, 20, 21, {20}}})),
         VxlFault::airStartBelowTop,
         "byte 4115, column (1, 1): air start 21 lies below top start 20"},
        {"top end two above top start", fileWith(at, spanBytes({{0, 10, 8, 0, {}}})),
         VxlFault::topEndBeforeStart,
         "byte 4106, column (1, 1): top end 8 lies above top start 10 by more than one"},
        {"length inside the top colours", fileWith(at, spanBytes({{2, 10, 12, 0, {10, 11, 12}}})),
         VxlFault::lengthTooShort,
         "byte 4104, column (1, 1): span length 2 ends inside its own top colours (at least 4 "
         "needed)"},
        {"length past the end of the file",
         fileWith(lastColumn, spanBytes({{9, 10, 10, 0, {10}}}), true), VxlFault::lengthPastEnd,
         "byte 2097144, column (511, 511): span length 9 points past the end of the file (2 units "
         "left)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VxlDecodeError error{};
        int64_t spans = -1;
        EXPECT_FALSE(checkVxl(c.file.data(), c.file.size(), error, &spans));
        EXPECT_EQ(error.fault, c.fault);
        EXPECT_EQ(spans, -1);
        EXPECT_EQ(describeVxlError(error), c.message);
        EXPECT_FALSE(decodeVxlVoxels(c.file.data(), c.file.size(), solid, color, error));
        EXPECT_EQ(error.fault, c.fault);
    }
}

TEST(DecoderFaults, MissingColumnsNameTheFirstOneAbsent) {
    Bytes file;
    for (int32_t c = 0; c < 1000; ++c) {
        file.insert(file.end(), smallColumn.begin(), smallColumn.end());
    }
    VxlDecodeError error{};
    EXPECT_FALSE(checkVxl(file.data(), file.size(), error, nullptr));
    EXPECT_EQ(describeVxlError(error),
              "byte 8000, column (488, 1): the file ends after 1000 of 262144 columns");
}

TEST(DecoderFaults, ACursorStaysPutOnAFault) {
    const Bytes record = spanBytes({{2, 10, 10, 0, {10}}, {0, 20, 20, 21, {20}}});
    VxlCursor cursor = startVxl(record.data(), record.size());
    VxlColumn column;
    VxlDecodeError error{};
    EXPECT_FALSE(decodeVxlColumn(cursor, column, error));
    EXPECT_EQ(cursor.offset, 0u);
    EXPECT_EQ(cursor.column, 0);
}

TEST_F(Decoder, HandBuiltWorldsComeBackExactly) {
    // Generation orientation here: z = 63 is the file's top layer.
    fillBox(0, 40, 470, 511, 0, 40, 0x80506070u);     // ground against two borders
    fillBox(10, 20, 480, 490, 41, 45, 0x80102030u);   // a step on it
    fillBox(100, 120, 100, 120, 0, 63, 0x80405060u);  // up to the top layer: z = 0 hidden
    fillBox(105, 115, 105, 115, 30, 35, 0);           // a cave inside it
    fillBox(505, 511, 0, 6, 5, 62, 0x80607080u);      // floating: air at the bottom
    fillBox(200, 201, 200, 201, 0, 63, 0x80708090u);  // a thin pillar
    fillColumnSpan(200, 200, 20, 20, 0);              // with an air pocket
    fillColumnSpan(201, 201, 0, 0, 0);                // and air at its very bottom
    expectFileHoldsWorld(writeWorldBytes(folder));
}

TEST_F(Decoder, WorkedExampleWorldsComeBackExactly) {
    // The writer's worked columns side by side, built in file orientation and
    // turned over to be written.
    int32_t x = 100;
    for (const WorkedColumn& worked : workedColumns()) {
        placeWorkedColumn(x, 200, worked);
        x += 10;
    }
    flipWorld();
    expectFileHoldsWorld(writeWorldBytes(folder));
}

TEST_F(Decoder, RandomWorldsComeBackExactly) {
    // Every pattern of neighbours, at every density, in every corner.
    fillRandomWorld(randomWorldSeeds[0]);
    expectFileHoldsWorld(writeWorldBytes(folder));
}

TEST_F(DecoderWholeWorlds, GeneratedMapsComeBackExactly) {
    struct Run {
        uint32_t seed;
        int32_t b, p, c;
        bool debug;
    };
    const Run runs[] = {
        {1, defaultBumpinessPercent, defaultPillarCount, defaultConnectorCount, false},
        {7, 0, defaultPillarCount, defaultConnectorCount, true},
        {static_cast<uint32_t>(-5), 100, 2000, 3000, false},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(testing::Message() << "seed " << static_cast<int32_t>(run.seed));
        clearWorld();
        ASSERT_TRUE(generateMap(
            deriveParameters(static_cast<int32_t>(run.seed), run.b, run.p, run.c, run.debug)));
        const Bytes file = writeWorldBytes(folder);
        expectFileHoldsWorld(file);

        // The decoded world, turned back, encodes to the very same bytes.
        VxlDecodeError error{};
        clearWorld();
        ASSERT_TRUE(decodeVxlVoxels(file.data(), file.size(), solid, color, error))
            << describeVxlError(error);
        flipWorld();
        EXPECT_EQ(writeWorldBytes(folder), file);
    }
    clearPillars();
}

TEST(DecoderCheck, CountsTheSpansOfASoundFile) {
    const Bytes file = fileWith(513, spanBytes({{2, 10, 10, 0, {10}}, {0, 20, 20, 11, {20}}}));
    VxlDecodeError error{};
    int64_t spans = 0;
    EXPECT_TRUE(checkVxl(file.data(), file.size(), error, &spans)) << describeVxlError(error);
    EXPECT_EQ(spans, columnCount + 1);
}

TEST(DecoderWalk, VisitsEachColumnInFileOrderUpToTheFirstFault) {
    struct Case {
        const char* name;
        Bytes file;
        bool sound;
        int32_t visits;
        VxlFault fault;
    };
    const Case cases[] = {
        {"a sound file", fileWith(513, smallColumn), true, columnCount, VxlFault::none},
        {"a fault in column (1, 1)", fileWith(513, spanBytes({{0, 10, 8, 0, {}}})), false, 513,
         VxlFault::topEndBeforeStart},
        {"a byte after the last column", join({fileWith(0, smallColumn), {0}}), false, columnCount,
         VxlFault::trailingBytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t visits = 0;
        int32_t outOfOrder = 0;
        VxlDecodeError error{};
        EXPECT_EQ(forEachVxlColumn(c.file.data(), c.file.size(), error,
                                   [&](int32_t x, int32_t y, const VxlColumn&) {
                                       outOfOrder +=
                                           x != visits % worldSizeX || y != visits / worldSizeX;
                                       ++visits;
                                   }),
                  c.sound);
        EXPECT_EQ(visits, c.visits);
        EXPECT_EQ(outOfOrder, 0);
        EXPECT_EQ(error.fault, c.fault);
    }
}
