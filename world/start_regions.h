// Debug overlay: outlines of the blue and the green start regions.
#pragma once

#include "world/world.h"

namespace qormap {

constexpr VoxelColor blueOutlineColor = 0x806060FF;
constexpr VoxelColor greenOutlineColor = 0x8030D030;

// Recolours every voxel of the outline columns (each region's outline is
// open towards its own map edge); run only for -d. Only colours change: solid flags and heights
// stay, so air in those columns stays air.
void drawStartRegions();

}  // namespace qormap
