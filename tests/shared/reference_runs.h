// What the world holds after each stage of a few reference runs, from an
// independent build of the same design. Every test that checks a stage reads
// this one table, so that a legitimate change is recorded in one place. Whole
// files (size, hash) are the golden table's (golden_maps.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

// Whole-world figures after a stage.
struct Checkpoint {
    int32_t solidVoxels;
    uint32_t colorSum;   // every colour word, wrapping
    uint32_t nextWord;   // the generator's next word: the next stage's first draw
    int32_t listLength;  // pillars and anchors
};

struct ReferenceRun {
    uint32_t seed;
    float bumpiness;
    int32_t pillarCount, connectorCount;
    bool outlined;  // start regions drawn (-d)
    Checkpoint terrain, pillars, connectors, startRegions;
};

inline constexpr ReferenceRun referenceRuns[] = {
    {1,
     0.5f,
     400,
     300,
     false,
     {8037313, 2856286656u, 1313075388u, 0},
     {8068809, 2575118302u, 837750982u, 400},
     {8111525, 1664533409u, 1880969381u, 402},
     {8111525, 1664533409u, 1880969381u, 402}},
    {0,
     1.0f,
     400,
     300,
     false,
     {8202229, 403798784u, 2419448601u, 0},
     {8228434, 3017389109u, 3378535759u, 400},
     {8266061, 263747269u, 3446949291u, 402},
     {8266061, 263747269u, 3446949291u, 402}},
    {7,
     0.5f,
     400,
     300,
     true,
     {8051181, 4144515264u, 3702734276u, 0},
     {8084658, 52334627u, 3700707458u, 400},
     {8124622, 1423467263u, 1481601341u, 402},
     {8124622, 1320460712u, 1481601341u, 402}},  // outlines recolour only
    {99,
     0.5f,
     2000,
     2000,
     false,
     {8040726, 3890725184u, 3130001724u, 0},
     {8195923, 4071939093u, 609131732u, 2000},
     {8422363, 3200742285u, 643471535u, 2002},
     {8422363, 3200742285u, 643471535u, 2002}},
};

// Seed 1 with the default options: the map of `qormap -s 1`.
inline constexpr const ReferenceRun& seedOneRun = referenceRuns[0];

// Columns of the two outer regions, the same whatever the seed: the low ground
// stands at height 0, the walls at 58.
inline constexpr int32_t lowGroundColumns = 85641;
inline constexpr int32_t wallColumnHeight = 58;
inline constexpr int32_t wallColumns = 130910;

// Seed 1's terrain: the columns at each height from 0 to 9 (the low ground,
// then the valley). Besides the walls no other height occurs.
inline constexpr int32_t seedOneLowHeightColumns[] = {
    lowGroundColumns, 2201, 5233, 8196, 12498, 14665, 584, 525, 581, 1110};

// Seed 1's terrain as a count of columns for each of `heights` heights.
inline std::vector<int32_t> seedOneHeightCounts(size_t heights) {
    std::vector<int32_t> counts(heights, 0);
    std::copy(std::begin(seedOneLowHeightColumns), std::end(seedOneLowHeightColumns),
              counts.begin());
    counts[wallColumnHeight] = wallColumns;
    return counts;
}
