// What the page's worker calls in the WebAssembly module: make or take a map,
// check and describe it, and draw it as pictures and faces. Maps live in
// slots: the shown map, the one compared with it, and a scratch slot that a
// new map replaces one of them from only once it proved sound and was drawn.
// Running out of memory is an answer, never an abort: an abort would stop
// the module for good, with the maps it holds.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "qormap/qormap.h"
#include "reading/decoder.h"
#include "reading/map_diff.h"
#include "reading/map_info.h"
#include "reading/mesh.h"
#include "reading/render.h"
#include "world/world.h"

using namespace qormap;

namespace {

constexpr int scratchSlot = 2;
constexpr int slotCount = 3;

struct MapBytes {
    unsigned char* data = nullptr;
    size_t size = 0;
};

MapBytes slots[slotCount];

// The results of the last call that makes them; the worker copies them out
// before the next call.
std::string description;
Image topPicture;
Image isometricPicture;
Image differencePicture;
std::vector<FaceRecord> faces;

// What `work` returns, or `fallback` when memory runs out on the way.
template <typename Result, typename Work>
Result unlessOutOfMemory(Result fallback, Work&& work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return fallback;
    }
}

bool validSlot(int slot) {
    return slot >= 0 && slot < slotCount;
}

void release(MapBytes& map) {
    std::free(map.data);
    map = {};
}

}  // namespace

extern "C" {

#define WEB_TEXT_OF(value) #value
#define WEB_TEXT(value) WEB_TEXT_OF(value)
#define WEB_LIMIT(name, most, fallback)                                                            \
    "\"" name "\":{\"min\":0,\"max\":" WEB_TEXT(most) ",\"fallback\":" WEB_TEXT(fallback) "}"

// The options' ranges and defaults, the library's, as JSON: the page fills its
// form from them at start-up.
#define BUMPINESS WEB_LIMIT("bumpiness", QORMAP_MAX_BUMPINESS, QORMAP_DEFAULT_BUMPINESS)
#define PILLARS WEB_LIMIT("pillars", QORMAP_MAX_COUNT, QORMAP_DEFAULT_PILLARS)
#define CONNECTORS WEB_LIMIT("connectors", QORMAP_MAX_COUNT, QORMAP_DEFAULT_CONNECTORS)
EMSCRIPTEN_KEEPALIVE const char* web_option_limits() {
    return "{" BUMPINESS "," PILLARS "," CONNECTORS "}";
}

// Where the world's block lies in the module's memory, and its size: the
// worker touches its pages before the first map needs them.
EMSCRIPTEN_KEEPALIVE const void* web_world_address() {
    return &voxelWorld;
}

EMSCRIPTEN_KEEPALIVE size_t web_world_size() {
    return sizeof voxelWorld;
}

// Room for `size` bytes of a map file in the scratch slot, for the caller to fill.
EMSCRIPTEN_KEEPALIVE unsigned char* web_reserve(size_t size) {
    release(slots[scratchSlot]);
    // One byte at least, so that an empty file still has a place.
    slots[scratchSlot].data = static_cast<unsigned char*>(std::malloc(size != 0 ? size : 1));
    slots[scratchSlot].size = slots[scratchSlot].data != nullptr ? size : 0;
    return slots[scratchSlot].data;
}

// Makes the map of these options in the scratch slot; a qormap status.
EMSCRIPTEN_KEEPALIVE int web_generate(int32_t seed, int32_t bumpiness, int32_t pillars,
                                      int32_t connectors, int32_t debug) {
    release(slots[scratchSlot]);
    qormap_options options = qormap_default_options(seed);
    options.bumpiness = bumpiness;
    options.pillars = pillars;
    options.connectors = connectors;
    options.debug = debug;
    return qormap_generate(&options, &slots[scratchSlot].data, &slots[scratchSlot].size);
}

// Checks and summarises the scratch map: "ok" and its figures as JSON, or
// the fault ("byte B, column (X, Y): REASON") with an empty summary; null
// when memory ran out.
EMSCRIPTEN_KEEPALIVE const char* web_describe() {
    return unlessOutOfMemory<const char*>(nullptr, [] {
        // Without the distinct colours (-1), which the page does not show:
        // counting them takes a copy of every colour, as much memory again as
        // a big map.
        MapInfo info{};
        info.fileSize = slots[scratchSlot].size;
        info.distinctColors = -1;
        VxlDecodeError error{};
        const MapBytes& map = slots[scratchSlot];
        if (forEachVxlColumn(
                map.data, map.size, error,
                [&](int32_t, int32_t, const VxlColumn& column) { countColumn(info, column); })) {
            description = "{\"verdict\": \"ok\", \"info\": " + formatMapInfoJson("", info) + "}";
        } else {
            description =
                "{\"verdict\": " + jsonString(describeVxlError(error)) + ", \"info\": null}";
        }
        return description.c_str();
    });
}

// Moves the scratch map into `slot`, replacing what was there.
EMSCRIPTEN_KEEPALIVE void web_keep(int slot) {
    if (validSlot(slot) && slot != scratchSlot) {
        release(slots[slot]);
        slots[slot] = std::exchange(slots[scratchSlot], MapBytes{});
    }
}

EMSCRIPTEN_KEEPALIVE const unsigned char* web_map_data(int slot) {
    return validSlot(slot) ? slots[slot].data : nullptr;
}

EMSCRIPTEN_KEEPALIVE size_t web_map_size(int slot) {
    return validSlot(slot) ? slots[slot].size : 0;
}

// Paints picture `which` (0 top-down, 1 isometric) of the map in `slot`;
// false on an invalid map or when memory ran out. One at a time, so that the
// worker draws only the views that are shown.
EMSCRIPTEN_KEEPALIVE int web_render(int slot, int which) {
    if (!validSlot(slot) || (which != 0 && which != 1)) {
        return false;
    }
    return unlessOutOfMemory(false, [slot, which] {
        VxlDecodeError error{};
        return which == 0
                   ? renderTopDown(slots[slot].data, slots[slot].size, topPicture, error)
                   : renderIsometric(slots[slot].data, slots[slot].size, isometricPicture, error);
    });
}

// The pictures: 0 top-down, 1 isometric, 2 differences.
EMSCRIPTEN_KEEPALIVE const uint8_t* web_picture(int which) {
    const Image* pictures[] = {&topPicture, &isometricPicture, &differencePicture};
    return which >= 0 && which < 3 ? pictures[which]->rgba.data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int32_t web_picture_width(int which) {
    const Image* pictures[] = {&topPicture, &isometricPicture, &differencePicture};
    return which >= 0 && which < 3 ? pictures[which]->width : 0;
}

EMSCRIPTEN_KEEPALIVE int32_t web_picture_height(int which) {
    const Image* pictures[] = {&topPicture, &isometricPicture, &differencePicture};
    return which >= 0 && which < 3 ? pictures[which]->height : 0;
}

// Counts the exposed faces of the map in `slot` and builds them when they
// are at most `limit`; their count (at most 64 * 6 a column), -1 on an
// invalid map, -2 when memory ran out.
EMSCRIPTEN_KEEPALIVE int32_t web_build_faces(int slot, int32_t limit) {
    if (!validSlot(slot)) {
        return -1;
    }
    return unlessOutOfMemory(-2, [slot, limit] {
        VxlDecodeError error{};
        return static_cast<int32_t>(
            buildFaces(slots[slot].data, slots[slot].size, limit, faces, error));
    });
}

EMSCRIPTEN_KEEPALIVE const FaceRecord* web_faces() {
    return faces.data();
}

// Gives back the faces' memory once the page holds a copy.
EMSCRIPTEN_KEEPALIVE void web_release_faces() {
    std::vector<FaceRecord>().swap(faces);
}

// Paints the columns in which slots 0 and 1 differ; their count, or -1
// (also when memory ran out).
EMSCRIPTEN_KEEPALIVE int32_t web_compare() {
    return unlessOutOfMemory(-1, [] {
        VxlDecodeError error{};
        MapDifference difference{};
        int faultyMap = 0;
        const bool sound =
            paintDifferences(slots[0].data, slots[0].size, slots[1].data, slots[1].size,
                             differencePicture, difference, error, faultyMap);
        return sound ? static_cast<int32_t>(difference.columns) : -1;
    });
}

}  // extern "C"
