#include "tools/vxltool/gallery.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "tools/vxltool/commands.h"
#include "tools/vxltool/gallery_page.h"
#include "tools/vxltool/loaded_map.h"
#include "tools/vxltool/png_file.h"
#include "tools/vxltool/progress.h"
#include "tools/vxltool/render.h"
#include "tools/vxltool/whole_file.h"

namespace {

namespace fs = std::filesystem;

constexpr char commandName[] = "vxltool gallery";
constexpr char pageName[] = "index.html";
constexpr char picturesFolder[] = "pictures";
constexpr char mapsFolder[] = "maps";
constexpr int32_t thumbnailFactor = 2;
constexpr unsigned mostWorkers = 16;
constexpr auto redrawInterval = std::chrono::milliseconds(100);

struct Run {
    Run(const GalleryRequest& request, size_t count) : request(request), cards(count) {}

    const GalleryRequest& request;
    std::vector<GalleryCard> cards;
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex lock;  // guards what follows
    std::condition_variable progressed;
    size_t done = 0;
    unsigned activeWorkers = 0;
    std::string failure;  // the first failed write, as one line
};

void fail(Run& run, const std::string& line) {
    const std::lock_guard<std::mutex> hold(run.lock);
    if (!run.failed.exchange(true)) {
        run.failure = line;
    }
}

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
    char number[16];
    std::snprintf(number, sizeof number, "%04zu-", index + 1);
    return number + safeStem(request.files[index]);
}

bool writeFile(Run& run, const std::string& relative, const void* data, size_t size,
               const char* what) {
    const std::string path = (fs::path(run.request.folder) / relative).string();
    std::string reason;
    if (writeWholeFile(path, data, size, reason)) {
        return true;
    }
    fail(run, std::string(commandName) + ": cannot write " + what + " '" + path + "': " + reason);
    return false;
}

bool writePicture(Run& run, const Image& image, const std::string& relative) {
    std::vector<uint8_t> png;
    if (!encodePng(image, png)) {
        fail(run, std::string(commandName) + ": out of memory while encoding a picture");
        return false;
    }
    return writeFile(run, relative, png.data(), png.size(), "picture");
}

// The full picture and its thumbnail, written under the stem.
bool writePictures(Run& run, const Image& image, const std::string& stem, GalleryPicture& picture) {
    const Image thumbnail = shrinkImage(image, thumbnailFactor);
    picture = {std::string(picturesFolder) + "/" + stem + ".png",
               std::string(picturesFolder) + "/" + stem + "-small.png", thumbnail.width,
               thumbnail.height};
    return writePicture(run, image, picture.full) &&
           writePicture(run, thumbnail, picture.thumbnail);
}

// Reads the map once, counting and painting both pictures as it goes.
void describeMap(Run& run, const uint8_t* data, size_t size, const std::string& stem,
                 GalleryCard& card) {
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
    if (writePictures(run, topDown, stem + "-top", card.topDown)) {
        writePictures(run, isometric.image, stem + "-iso", card.isometric);
    }
}

void makeCardFromSeed(Run& run, size_t index, GalleryCard& card) {
    const GalleryRequest& request = run.request;
    const std::string stem = stemOf(request, index);
    card.hasSeed = true;
    card.seed = request.firstSeed + static_cast<int32_t>(index);
    card.name = "seed " + std::to_string(card.seed);
    card.command =
        "qormap -s " + std::to_string(card.seed) + request.optionWords + " -o " + stem + ".vxl";
    qormap_options options = request.options;
    options.seed = card.seed;
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
        if (!writeFile(run, card.mapFile, map.get(), size, "map")) {
            return;
        }
    }
    describeMap(run, map.get(), size, stem, card);
}

void makeCardFromFile(Run& run, size_t index, GalleryCard& card) {
    card.name = run.request.files[index];
    LoadedMap map;
    int error = 0;
    if (!loadMap(card.name.c_str(), map, error)) {
        card.fault = std::string("cannot read: ") + std::strerror(error);
        return;
    }
    describeMap(run, map.data, map.size, stemOf(run.request, index), card);
}

void work(Run& run) {
    for (;;) {
        const size_t index = run.next++;
        if (index >= run.cards.size() || run.failed) {
            break;
        }
        if (run.request.fromSeeds) {
            makeCardFromSeed(run, index, run.cards[index]);
        } else {
            makeCardFromFile(run, index, run.cards[index]);
        }
        {
            const std::lock_guard<std::mutex> hold(run.lock);
            ++run.done;
        }
        run.progressed.notify_one();
    }
    {
        const std::lock_guard<std::mutex> hold(run.lock);
        --run.activeWorkers;
    }
    run.progressed.notify_one();
}

// The maps are made on one thread per core. Seeds overlap by themselves: the
// generator makes one map at a time, and while it does, the other threads
// decode, paint and compress the maps made before.
void makeCards(Run& run) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const auto workers =
        static_cast<unsigned>(std::min<size_t>(std::min(cores, mostWorkers), run.cards.size()));
    run.activeWorkers = workers;
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < workers; ++i) {
        threads.emplace_back(work, std::ref(run));
    }
    const bool drawing = isTerminal(stderr);
    const auto start = std::chrono::steady_clock::now();
    std::string line;
    {
        std::unique_lock<std::mutex> hold(run.lock);
        while (run.activeWorkers > 0) {
            run.progressed.wait_for(hold, redrawInterval);
            if (drawing) {
                const std::chrono::duration<double> elapsed =
                    std::chrono::steady_clock::now() - start;
                line = progressLine(static_cast<int64_t>(run.done),
                                    static_cast<int64_t>(run.cards.size()), elapsed.count());
                std::fprintf(stderr, "\r%s", line.c_str());
            }
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (drawing) {
        std::fputc('\n', stderr);
    }
}

// A folder to write into, made when missing; false after saying why not.
bool prepareFolder(const fs::path& folder) {
    std::error_code error;
    if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
        std::fprintf(stderr, "%s: '%s' is not a folder\n", commandName, folder.string().c_str());
        return false;
    }
    fs::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "%s: cannot make folder '%s': %s\n", commandName,
                     folder.string().c_str(), error.message().c_str());
        return false;
    }
    return true;
}

std::string subtitleOf(const GalleryRequest& request, const std::vector<GalleryCard>& cards) {
    std::string subtitle = std::to_string(cards.size()) + (cards.size() == 1 ? " map" : " maps");
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
    const auto faulty = std::count_if(cards.begin(), cards.end(),
                                      [](const GalleryCard& card) { return !card.sound; });
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
    const fs::path folder(request.folder);
    if (!prepareFolder(folder) || !prepareFolder(folder / picturesFolder) ||
        (request.keepMaps && !prepareFolder(folder / mapsFolder))) {
        return toolInvalidMap;
    }

    const size_t count =
        request.fromSeeds
            ? static_cast<size_t>(static_cast<int64_t>(request.lastSeed) - request.firstSeed + 1)
            : request.files.size();
    Run run(request, count);
    makeCards(run);
    if (run.failed) {
        std::fprintf(stderr, "%s\n", run.failure.c_str());
        return toolInvalidMap;
    }

    const std::string page = galleryPage(subtitleOf(request, run.cards), run.cards);
    const std::string pagePath = (folder / pageName).string();
    std::string reason;
    if (!writeWholeFile(pagePath, page.data(), page.size(), reason)) {
        std::fprintf(stderr, "%s: cannot write page '%s': %s\n", commandName, pagePath.c_str(),
                     reason.c_str());
        return toolInvalidMap;
    }
    int64_t faulty = 0;
    for (const GalleryCard& card : run.cards) {
        if (!card.sound) {
            std::fprintf(stderr, "vxltool: %s: %s\n", card.name.c_str(), card.fault.c_str());
            ++faulty;
        }
    }
    std::printf("wrote %s (%zu %s", pagePath.c_str(), count, count == 1 ? "map" : "maps");
    if (faulty > 0) {
        std::printf(", %lld faulty", static_cast<long long>(faulty));
    }
    std::printf(")\n");
    return faulty > 0 ? toolInvalidMap : toolSuccess;
}
