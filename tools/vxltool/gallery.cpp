#include "tools/vxltool/gallery.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <system_error>

#include "platform/scratch_file.h"
#include "reading/render.h"
#include "tools/vxltool/commands.h"
#include "tools/vxltool/gallery_folder.h"
#include "tools/vxltool/gallery_page.h"
#include "tools/vxltool/loaded_map.h"
#include "tools/vxltool/ordered_jobs.h"
#include "tools/vxltool/page_files.h"
#include "tools/vxltool/png_file.h"
#include "tools/vxltool/progress.h"

using namespace qormap;

namespace {

namespace fs = std::filesystem;

constexpr char commandName[] = "vxltool gallery";
constexpr char pageName[] = "index.html";
constexpr char mapPageName[] = "qormap.html";
constexpr char picturesFolder[] = "pictures";
constexpr char mapsFolder[] = "maps";
constexpr char topDownView[] = "-top";
constexpr char isometricView[] = "-iso";
constexpr int32_t thumbnailFactor = 2;
// Finished cards may wait this many per helper for their turn on the page;
// it bounds the memory a run holds, whatever the number of maps.
constexpr size_t cardsAheadPerHelper = 2;
// Keeps the longest picture name (stem and "-iso-small.png") far below the
// 255 bytes a name may have, whatever the map file is called.
constexpr size_t longestStem = 120;
constexpr auto redrawInterval = std::chrono::milliseconds(100);

// A file a card needs, made by a helper and written by the main thread.
struct CardFile {
    std::string relative;
    std::vector<uint8_t> bytes;
    const char* what;
};

// A card made, waiting for its turn on the page.
struct MadeCard {
    GalleryCard card;
    std::vector<CardFile> files;
};

// A file's name without folder and ".vxl", in characters safe in any file
// system and URL.
std::string safeStem(const std::string& path) {
    std::string stem = fs::path(path).filename().string();
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".vxl") == 0) {
        stem.resize(stem.size() - 4);
    }
    for (char& c : stem) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!safe) {
            c = '_';
        }
    }
    stem.resize(std::min(stem.size(), longestStem));
    return stem.empty() || stem[0] == '.' ? "map" + stem : stem;
}

// What the map's pictures and kept file are named after: the seed and its
// options, or the file's place in the list and its name.
std::string stemOf(const GalleryRequest& request, size_t index) {
    if (request.fromSeeds) {
        std::string stem =
            "seed-" + std::to_string(request.firstSeed + static_cast<int64_t>(index));
        for (const char c : request.optionWords) {
            if (c != ' ') {
                stem += c;
            }
        }
        return stem;
    }
    char number[24];
    std::snprintf(number, sizeof number, "%04zu-", index + 1);
    return number + safeStem(request.files[index]);
}

// Where a picture named after `stem` goes, inside the gallery's folder.
std::string picturePath(const std::string& stem, bool thumbnail) {
    return std::string(picturesFolder) + "/" + stem + (thumbnail ? "-small.png" : ".png");
}

// The full picture and its thumbnail, named after the stem.
void addPictures(MadeCard& made, const Image& image, const std::string& stem,
                 GalleryPicture& picture) {
    const Image thumbnail = shrinkImage(image, thumbnailFactor);
    picture = {picturePath(stem, false), picturePath(stem, true), thumbnail.width,
               thumbnail.height};
    for (const auto& [relative, source] :
         {std::pair{picture.full, &image}, std::pair{picture.thumbnail, &thumbnail}}) {
        CardFile file{relative, {}, "picture"};
        if (!encodePng(*source, file.bytes)) {
            throw std::bad_alloc();
        }
        made.files.push_back(std::move(file));
    }
}

// Reads the map once, counting and painting both pictures as it goes.
void describeMap(const uint8_t* data, size_t size, const std::string& stem, MadeCard& made) {
    GalleryCard& card = made.card;
    card.readable = true;
    card.info = MapInfo{};
    card.info.fileSize = size;
    Image topDown = blankTopDown();
    IsometricCanvas isometric = blankIsometric();
    VxlDecodeError error{};
    card.sound =
        forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
            countColumn(card.info, column);
            paintTopDown(topDown, x, y, column);
            paintIsometric(isometric, x, y, column);
        });
    if (!card.sound) {
        card.fault = describeVxlError(error);
        return;
    }
    addPictures(made, topDown, stem + topDownView, card.topDown);
    addPictures(made, isometric.image, stem + isometricView, card.isometric);
}

// The map page's address for the map, every option spelled out.
std::string mapPageLink(const qormap_options& options) {
    return std::string(mapPageName) + "#s=" + std::to_string(options.seed) +
           "&b=" + std::to_string(options.bumpiness) + "&p=" + std::to_string(options.pillars) +
           "&c=" + std::to_string(options.connectors) + (options.debug != 0 ? "&d=1" : "");
}

void makeCardFromSeed(const GalleryRequest& request, size_t index, MadeCard& made) {
    GalleryCard& card = made.card;
    const std::string stem = stemOf(request, index);
    card.hasSeed = true;
    card.seed = request.firstSeed + static_cast<int32_t>(index);
    card.name = "seed " + std::to_string(card.seed);
    card.command =
        "qormap -s " + std::to_string(card.seed) + request.optionWords + " -o " + stem + ".vxl";
    qormap_options options = request.options;
    options.seed = card.seed;
    if (mapPage.size > 0) {
        card.viewer = mapPageLink(options);
    }
    unsigned char* bytes = nullptr;
    size_t size = 0;
    const int status = qormap_generate(&options, &bytes, &size);
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> map(bytes, qormap_free);
    if (status != QORMAP_OK) {
        card.fault = std::string("cannot make the map: ") + qormap_strerror(status);
        return;
    }
    if (request.keepMaps) {
        card.mapFile = std::string(mapsFolder) + "/" + stem + ".vxl";
        made.files.push_back({card.mapFile, {map.get(), map.get() + size}, "map"});
    }
    describeMap(map.get(), size, stem, made);
}

void makeCardFromFile(const GalleryRequest& request, size_t index, MadeCard& made) {
    made.card.name = request.files[index];
    LoadedMap map;
    int error = 0;
    if (!loadMap(made.card.name.c_str(), map, error)) {
        made.card.fault = std::string("cannot read: ") + std::strerror(error);
        return;
    }
    describeMap(map.data, map.size, stemOf(request, index), made);
}

// Puts a made card on the page (into `cards`, the page's middle so far), after
// writing its files; false after saying why when that fails.
bool placeCard(const GalleryRequest& request, const MadeCard& made, size_t order,
               std::FILE* cards) {
    for (const CardFile& file : made.files) {
        if (!writeFileInside(fs::path(request.folder) / file.relative, file.bytes.data(),
                             file.bytes.size(), file.what)) {
            return false;
        }
    }
    const std::string html = galleryCard(made.card, order);
    if (std::fwrite(html.data(), 1, html.size(), cards) != html.size()) {
        std::fprintf(stderr, "%s: cannot keep the page's cards: %s\n", commandName,
                     std::strerror(errno));
        return false;
    }
    if (!made.card.sound) {
        std::fprintf(stderr, "vxltool: %s: %s\n", made.card.name.c_str(), made.card.fault.c_str());
    }
    return true;
}

// The cards of a run: made by the helpers into their slots, and put on the
// page by the main thread in order.
struct Run {
    const GalleryRequest& request;
    size_t count;
    std::vector<MadeCard> slots;
    std::FILE* cards;  // the page's middle so far
    bool drawing;      // the progress, on a terminal
    std::chrono::steady_clock::time_point start;
    int64_t faulty = 0;
};

bool makeCard(void* context, size_t index, size_t slot, std::string& failure) {
    auto& run = *static_cast<Run*>(context);
    MadeCard made{};
    try {
        if (run.request.fromSeeds) {
            makeCardFromSeed(run.request, index, made);
        } else {
            makeCardFromFile(run.request, index, made);
        }
    } catch (const std::exception& error) {
        const bool memory = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
        failure = "cannot make the card of map " + std::to_string(index + 1) + ": " +
                  (memory ? "out of memory" : error.what());
        return false;
    }
    run.slots[slot] = std::move(made);
    return true;
}

bool takeCard(void* context, size_t index, size_t slot) {
    auto& run = *static_cast<Run*>(context);
    const MadeCard made = std::move(run.slots[slot]);
    if (!placeCard(run.request, made, index, run.cards)) {
        return false;
    }
    run.faulty += made.card.sound ? 0 : 1;
    return true;
}

void drawProgress(void* context, size_t placed) {
    const auto& run = *static_cast<const Run*>(context);
    if (run.drawing) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - run.start;
        const std::string line = progressLine(static_cast<int64_t>(placed),
                                              static_cast<int64_t>(run.count), elapsed.count());
        std::fprintf(stderr, "\r%s%s", line.c_str(), placed == run.count ? "\n" : "");
    }
}

// The maps are made on one helper per core. Seeds overlap by themselves: the
// generator makes one map at a time, and while it does, the other helpers
// decode, paint and compress the maps made before. This thread writes every
// file, so it alone ever holds a replacement pending; the helpers hold the
// signals back, so an interrupt is always taken here. Returns the faulty
// cards, or -1 after saying why the run failed.
int64_t makeCards(const GalleryRequest& request, size_t count, std::FILE* cards) {
    const unsigned helpers = orderedHelperCount(count);
    Run run{.request = request,
            .count = count,
            .slots = std::vector<MadeCard>(helpers * cardsAheadPerHelper),
            .cards = cards,
            .drawing = isTerminal(stderr),
            .start = std::chrono::steady_clock::now()};
    const OrderedJob job{.make = makeCard,
                         .take = takeCard,
                         .waited = drawProgress,
                         .work = &run,
                         .count = count,
                         .helpers = helpers,
                         .ahead = run.slots.size(),
                         .interval = redrawInterval};
    std::string failure;
    if (!runOrderedJob(job, failure)) {
        if (!failure.empty()) {
            std::fprintf(stderr, "%s: %s\n", commandName, failure.c_str());
        }
        return -1;
    }
    return run.faulty;
}

// True when no file the run may write (the page, a picture) is one of the
// maps it reads, under any name: a picture may be named like a later map, and
// a link or a second name may lead to one. Maps made from seeds have no file to
// lose. False after saying why.
bool writesOverNoMap(const GalleryRequest& request) {
    // One file has one size: sizes leave few pairs to compare.
    std::multimap<uintmax_t, const std::string*> mapsBySize;
    for (const std::string& file : request.files) {
        std::error_code error;
        const uintmax_t size = fs::file_size(file, error);
        if (!error) {
            mapsBySize.emplace(size, &file);
        }
    }
    const fs::path folder(request.folder);
    std::vector<std::pair<fs::path, const char*>> outputs;
    if (!mapsBySize.empty()) {
        outputs.emplace_back(folder / pageName, "page");
        for (size_t i = 0; i < request.files.size(); ++i) {
            const std::string stem = stemOf(request, i);
            for (const char* view : {topDownView, isometricView}) {
                for (const bool thumbnail : {false, true}) {
                    outputs.emplace_back(folder / picturePath(stem + view, thumbnail), "picture");
                }
            }
        }
    }
    for (const auto& [output, what] : outputs) {
        std::error_code error;
        const auto [first, last] = mapsBySize.equal_range(fs::file_size(output, error));
        for (auto map = first; !error && map != last; ++map) {
            if (fs::equivalent(output, *map->second, error)) {
                std::fprintf(stderr, "%s: the %s '%s' would replace the map '%s'\n", commandName,
                             what, output.string().c_str(), map->second->c_str());
                return false;
            }
        }
    }
    return true;
}

std::string subtitleOf(const GalleryRequest& request, size_t count, int64_t faulty) {
    std::string subtitle = std::to_string(count) + (count == 1 ? " map" : " maps");
    if (request.fromSeeds) {
        subtitle += " from seed" + std::string(request.firstSeed == request.lastSeed ? " " : "s ") +
                    std::to_string(request.firstSeed);
        if (request.lastSeed != request.firstSeed) {
            subtitle += "\u2013" + std::to_string(request.lastSeed);
        }
        if (!request.optionWords.empty()) {
            subtitle += ", with" + request.optionWords;
        }
    }
    if (faulty > 0) {
        subtitle += " \u00b7 " + std::to_string(faulty) + " faulty";
    }
    return subtitle;
}

}  // namespace

int runGallery(const GalleryRequest& request) {
    for (const std::string& file : request.files) {
        std::error_code error;
        if (fs::is_directory(file, error)) {
            std::fprintf(stderr, "%s: '%s' is a folder, not a map file\n", commandName,
                         file.c_str());
            return toolInvalidMap;
        }
    }
    if (!writesOverNoMap(request)) {
        return toolInvalidMap;
    }
    const fs::path folder(request.folder);
    if (!prepareFolder(folder, false) || !prepareFolder(folder / picturesFolder, true) ||
        (request.keepMaps && !prepareFolder(folder / mapsFolder, true))) {
        return toolInvalidMap;
    }
    // The cards wait in a scratch file that goes with the process, so that a
    // page of any length costs no memory and an interrupt leaves the earlier
    // page as it was.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> cards(openScratchFile(), std::fclose);
    if (cards == nullptr) {
        std::fprintf(stderr, "%s: cannot make a file for the page's cards: %s\n", commandName,
                     std::strerror(errno));
        return toolInvalidMap;
    }

    const size_t count =
        request.fromSeeds
            ? static_cast<size_t>(static_cast<int64_t>(request.lastSeed) - request.firstSeed + 1)
            : request.files.size();
    const int64_t faulty = makeCards(request, count, cards.get());
    if (faulty < 0) {
        return toolInvalidMap;
    }
    if (mapPage.size > 0 && request.fromSeeds &&
        !writeFileInside(folder / mapPageName, mapPage.bytes, mapPage.size, "map page")) {
        return toolInvalidMap;
    }
    const fs::path pagePath = folder / pageName;
    if (!writePageInside(pagePath, galleryPageStart(subtitleOf(request, count, faulty)),
                         cards.get(), galleryPageEnd())) {
        return toolInvalidMap;
    }
    std::printf("wrote %s (%zu %s", pagePath.string().c_str(), count, count == 1 ? "map" : "maps");
    if (faulty > 0) {
        std::printf(", %lld faulty", static_cast<long long>(faulty));
    }
    std::printf(")\n");
    return faulty > 0 ? toolInvalidMap : toolSuccess;
}
