#include "tests/shared/column_records.h"

using namespace qormap;

namespace {

void appendWord(Bytes& bytes, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>(word >> shift));
    }
}

}  // namespace

VoxelColor colorForZ(int32_t z) {
    return 0x80C0A000u | static_cast<uint32_t>(z);
}

void fillColumnByZ(int32_t x, int32_t y, int32_t z0, int32_t z1) {
    for (int32_t z = z0; z <= z1; ++z) {
        fillColumnSpan(x, y, z, z, colorForZ(z));
    }
}

Bytes spanBytes(const std::vector<Span>& spans) {
    Bytes bytes;
    for (const Span& span : spans) {
        bytes.insert(bytes.end(), {span.length, span.topStart, span.topEnd, span.airStart});
        for (int32_t z : span.colorZ) {
            appendWord(bytes, colorForZ(z));
        }
    }
    return bytes;
}

std::vector<int32_t> zRange(int32_t first, int32_t last) {
    std::vector<int32_t> zs;
    for (int32_t z = first; z <= last; ++z) {
        zs.push_back(z);
    }
    return zs;
}

uint64_t zBits(int32_t first, int32_t last) {
    uint64_t bits = 0;
    for (int32_t z = first; z <= last; ++z) {
        bits |= uint64_t{1} << z;
    }
    return bits;
}

const std::vector<WorkedColumn>& workedColumns() {
    static const std::vector<WorkedColumn> columns = {
        {"air 0-9, exp 10, hid 11-63", {}, {{0, 10, 10, 0, {10}}}, zBits(10, 63), zBits(10, 10)},
        {"air 0-9, exp 10, hid 11-13, exp 14, air 15-19, exp 20, hid 21-63",
         {{0, 0, 15, 19}},
         {{3, 10, 10, 0, {10, 14}}, {0, 20, 20, 15, {20}}},
         zBits(10, 14) | zBits(20, 63),
         zBits(10, 10) | zBits(14, 14) | zBits(20, 20)},
        {"air 0-9, exp 10, hid 11-29, exp 30-63",
         {{1, 0, 30, 63}},
         {{2, 10, 10, 0, {10}}, {0, 30, 63, 30, zRange(30, 63)}},
         zBits(10, 63),
         zBits(10, 10) | zBits(30, 63)},
        {"air 0-9, exp 10, air 11-19, exp 20, hid 21-63",
         {{0, 0, 11, 19}},
         {{2, 10, 10, 0, {10}}, {0, 20, 20, 11, {20}}},
         zBits(10, 10) | zBits(20, 63),
         zBits(10, 10) | zBits(20, 20)},
        {"air 0-9, exp 10, hid 11-29, exp 30-35, hid 36-63",
         {{1, 0, 30, 35}},
         {{8, 10, 10, 0, {10, 30, 31, 32, 33, 34, 35}}, {0, 36, 35, 36, {}}},
         zBits(10, 63),
         zBits(10, 10) | zBits(30, 35)},
    };
    return columns;
}

void placeWorkedColumn(int32_t x, int32_t y, const WorkedColumn& column) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
            fillColumnByZ(x + dx, y + dy, 10, worldSizeZ - 1);
        }
    }
    for (const Carve& carve : column.carves) {
        fillColumnSpan(x + carve.dx, y + carve.dy, carve.z0, carve.z1, 0);
    }
}
