// What a map holds, in numbers: sizes, voxel counts, surface heights, colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "reading/decoder.h"

struct MapInfo {
    size_t fileSize;
    int64_t spans;
    int64_t solidVoxels;
    int64_t coloredVoxels;  // solid voxels that store a colour
    int64_t emptyColumns;   // columns without a solid voxel
    // Columns by the height of their topmost solid voxel above the bottom
    // layer (63 minus its file z); empty columns are not counted.
    int64_t surfaceHeights[qormap::worldSizeZ];
    int64_t distinctColors;
};

// Adds one column's spans, voxels and surface height to `info`; the distinct
// colours need the whole map.
void countColumn(MapInfo& info, const qormap::VxlColumn& column);

// Decodes the map and fills `info`; false with `error` set on an invalid map.
bool summarizeMap(const uint8_t* data, size_t size, MapInfo& info, qormap::VxlDecodeError& error);

// The summary for people: one fact per line and a bar chart of the heights.
std::string formatMapInfo(const std::string& path, const MapInfo& info);

// The summary as one JSON object, for scripts.
std::string formatMapInfoJson(const std::string& path, const MapInfo& info);

// `text` as a JSON string literal, quotes included; a byte that is not part
// of UTF-8 becomes \udc80 to \udcff (the byte plus 0xdc00).
std::string jsonString(const std::string& text);
