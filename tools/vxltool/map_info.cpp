#include "tools/vxltool/map_info.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <vector>

namespace {

constexpr int32_t barWidth = 40;

struct Fact {
    const char* label;  // for people
    const char* key;    // for scripts
    int64_t value;
};

constexpr size_t factCount = 8;

// The counts both formats show, in the order they show them.
std::array<Fact, factCount> factsOf(const MapInfo& info) {
    return {{
        {"bytes", "bytes", static_cast<int64_t>(info.fileSize)},
        {"columns", "columns", columnCount},
        {"spans", "spans", info.spans},
        {"solid voxels", "solid_voxels", info.solidVoxels},
        {"coloured voxels", "colored_voxels", info.coloredVoxels},
        {"hidden voxels", "hidden_voxels", info.solidVoxels - info.coloredVoxels},
        {"empty columns", "empty_columns", info.emptyColumns},
        {"distinct colours", "distinct_colors", info.distinctColors},
    }};
}

}  // namespace

void countColumn(MapInfo& info, const VxlColumn& column) {
    info.spans += column.spanCount;
    info.solidVoxels += std::popcount(column.solidMask);
    info.coloredVoxels += std::popcount(column.colorMask);
    const int32_t height = surfaceHeight(column);
    if (height < 0) {
        ++info.emptyColumns;
    } else {
        ++info.surfaceHeights[height];
    }
}

bool summarizeMap(const uint8_t* data, size_t size, MapInfo& info, VxlDecodeError& error) {
    info = MapInfo{};
    info.fileSize = size;
    std::vector<VoxelColor> colors;
    const bool sound =
        forEachVxlColumn(data, size, error, [&](int32_t, int32_t, const VxlColumn& column) {
            countColumn(info, column);
            for (uint64_t bits = column.colorMask; bits != 0; bits &= bits - 1) {
                colors.push_back(column.colors[std::countr_zero(bits)]);
            }
        });
    if (!sound) {
        return false;
    }
    std::sort(colors.begin(), colors.end());
    info.distinctColors = std::unique(colors.begin(), colors.end()) - colors.begin();
    return true;
}

std::string formatMapInfo(const std::string& path, const MapInfo& info) {
    std::string text = "file              " + path + "\n";
    for (const Fact& fact : factsOf(info)) {
        char row[96];
        std::snprintf(row, sizeof row, "%-17s %lld\n", fact.label,
                      static_cast<long long>(fact.value));
        text += row;
    }
    text += "surface heights   (height above the bottom layer: columns)\n";
    const int64_t most = *std::max_element(info.surfaceHeights, info.surfaceHeights + worldSizeZ);
    for (int32_t h = 0; h < worldSizeZ; ++h) {
        const int64_t count = info.surfaceHeights[h];
        if (count == 0) {
            continue;
        }
        // Every non-empty height gets at least one mark, however rare.
        const int64_t marks = std::max<int64_t>(1, count * barWidth / most);
        char row[64];
        std::snprintf(row, sizeof row, "  %2d %8lld ", h, static_cast<long long>(count));
        text += row + std::string(static_cast<size_t>(marks), '#') + "\n";
    }
    return text;
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

std::string formatMapInfoJson(const std::string& path, const MapInfo& info) {
    std::string text = "{\"file\": " + jsonString(path) + ", ";
    for (const Fact& fact : factsOf(info)) {
        char field[64];
        std::snprintf(field, sizeof field, "\"%s\": %lld, ", fact.key,
                      static_cast<long long>(fact.value));
        text += field;
    }
    text += "\"surface_heights\": [";
    for (int32_t h = 0; h < worldSizeZ; ++h) {
        if (h > 0) {
            text += ", ";
        }
        text += std::to_string(info.surfaceHeights[h]);
    }
    return text + "]}\n";
}
