// The gallery's page: one self-contained HTML file (its style and script
// inline, nothing fetched from elsewhere) showing a card per map. Its cards
// are made one at a time, so that a page of any length is written as it goes.
#pragma once

#include <cstdint>
#include <string>

#include "reading/map_info.h"

struct GalleryPicture {
    std::string full;       // path relative to the page
    std::string thumbnail;  // path relative to the page
    int32_t width, height;  // the thumbnail's
};

struct GalleryCard {
    std::string name;  // the file as given, or "seed N"
    bool hasSeed;
    int32_t seed;
    std::string command;  // the qormap command that makes the map; empty for files
    std::string viewer;   // the map page showing this map, relative; empty when none
    std::string mapFile;  // the kept map, relative to the page; empty when none
    bool readable;        // false when the bytes could not be had at all
    bool sound;           // false for an invalid map or one that could not be read
    std::string fault;    // why, when not sound
    MapInfo info;         // the figures of a sound map; fileSize of any readable one
    GalleryPicture topDown, isometric;
};

// The page up to its first card; `subtitle` says where the maps came from.
std::string galleryPageStart(const std::string& subtitle);

// One card; `order` is its place on the page, from 0.
std::string galleryCard(const GalleryCard& card, size_t order);

// The page after its last card.
std::string galleryPageEnd();
