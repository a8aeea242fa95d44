// vxltool gallery: a page of many maps side by side, from files or made from
// seeds in this process, each map's pictures and figures on a card.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qormap/qormap.h"

struct GalleryRequest {
    std::vector<std::string> files;  // the maps, when not made from seeds
    bool fromSeeds;
    int32_t firstSeed, lastSeed;  // inclusive, first <= last
    qormap_options options;       // for every seed; its seed is ignored
    std::string optionWords;      // the options as a qormap command line spells them
    bool keepMaps;                // also write the maps made from seeds
    std::string folder;
};

// Makes the pictures and DIR/index.html, printing what it did and any fault
// on standard error; returns vxltool's exit status.
int runGallery(const GalleryRequest& request);
