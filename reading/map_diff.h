// Compares two maps voxel by voxel: solid flags, and colours where stored.
#pragma once

#include <cstddef>
#include <cstdint>

#include "reading/decoder.h"
#include "reading/render.h"

struct MapDifference {
    int64_t columns;         // columns with at least one differing voxel
    int64_t voxels;          // voxels whose solid flag, stored colour or colour word differ
    int32_t firstX, firstY;  // first differing column in file order; -1 when none
};

// Walks both maps in step. Returns false on an invalid map, with `error` set and
// `faultyMap` 0 for the first map or 1 for the second.
bool compareMaps(const uint8_t* dataA, size_t sizeA, const uint8_t* dataB, size_t sizeB,
                 MapDifference& difference, qormap::VxlDecodeError& error, int& faultyMap);

// compareMaps, painting `picture` as well: the first map's top view, dimmed
// where the maps agree and bright red in every column where they differ.
bool paintDifferences(const uint8_t* dataA, size_t sizeA, const uint8_t* dataB, size_t sizeB,
                      Image& picture, MapDifference& difference, qormap::VxlDecodeError& error,
                      int& faultyMap);
