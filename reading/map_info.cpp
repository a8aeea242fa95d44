#include "reading/map_info.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <vector>

using namespace qormap;

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

namespace {

// The length of the UTF-8 sequence that starts at `text[i]`, or 0 when the
// bytes there are not one (stray, overlong, surrogate or beyond U+10FFFF).
size_t utf8Length(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;  // the bounds of the second byte
    unsigned char high = 0xbf;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    }
    if (length == 0 || i + length > text.size() || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xbf) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        const size_t length = utf8Length(text, i);
        char escape[8];
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || length == 0) {
            // A byte that is no UTF-8 becomes the lone surrogate U+DC80 to
            // U+DCFF, as Python's surrogateescape names it: parsers accept it,
            // and os.fsencode gives the byte back.
            std::snprintf(escape, sizeof escape, "\\u%04x", length == 0 ? 0xdc00 + byte : byte);
            quoted += escape;
        } else {
            quoted.append(text, i, length);
            i += length;
            continue;
        }
        ++i;
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
