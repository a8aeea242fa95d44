// How fast map files are read back: the strict decoder alone, the summary,
// each picture and a full decode into the world store, each over the default
// map for seed 1 held in memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "api/pipeline.h"
#include "random/random.h"
#include "reading/decoder.h"
#include "reading/map_info.h"
#include "reading/render.h"
#include "vxl/writer.h"
#include "world/world.h"

using namespace qormap;

namespace {

std::vector<uint8_t> defaultMap() {
    static std::vector<uint8_t> bytes;
    if (!bytes.empty()) {
        return bytes;
    }
    char path[] = "/tmp/qormap-bench-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        std::abort();
    }
    clearWorld();
    if (!generateMap(deriveParameters(1, defaultBumpinessPercent, defaultPillarCount,
                                      defaultConnectorCount, false)) ||
        writeVxl(path).status != VxlWriteStatus::ok) {
        std::abort();
    }
    std::FILE* file = std::fopen(path, "rb");
    int c = 0;
    while ((c = std::fgetc(file)) != EOF) {
        bytes.push_back(static_cast<uint8_t>(c));
    }
    std::fclose(file);
    std::remove(path);
    return bytes;
}

void setCounters(benchmark::State& state, const std::vector<uint8_t>& map) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(map.size()));
}

void checkMap(benchmark::State& state) {
    const std::vector<uint8_t> map = defaultMap();
    for (auto _ : state) {
        VxlDecodeError error{};
        int64_t spans = 0;
        benchmark::DoNotOptimize(checkVxl(map.data(), map.size(), error, &spans));
    }
    setCounters(state, map);
}

void summarizeMapFile(benchmark::State& state) {
    const std::vector<uint8_t> map = defaultMap();
    for (auto _ : state) {
        MapInfo info;
        VxlDecodeError error{};
        benchmark::DoNotOptimize(summarizeMap(map.data(), map.size(), info, error));
    }
    setCounters(state, map);
}

void renderTopDownPicture(benchmark::State& state) {
    const std::vector<uint8_t> map = defaultMap();
    for (auto _ : state) {
        Image image;
        VxlDecodeError error{};
        benchmark::DoNotOptimize(renderTopDown(map.data(), map.size(), image, error));
    }
    setCounters(state, map);
}

void renderIsometricPicture(benchmark::State& state) {
    const std::vector<uint8_t> map = defaultMap();
    for (auto _ : state) {
        Image image;
        VxlDecodeError error{};
        benchmark::DoNotOptimize(renderIsometric(map.data(), map.size(), image, error));
    }
    setCounters(state, map);
}

void decodeIntoWorld(benchmark::State& state) {
    const std::vector<uint8_t> map = defaultMap();
    for (auto _ : state) {
        VxlDecodeError error{};
        benchmark::DoNotOptimize(decodeVxlVoxels(map.data(), map.size(), solid, color, error));
    }
    setCounters(state, map);
}

}  // namespace

BENCHMARK(checkMap)->Unit(benchmark::kMillisecond);
BENCHMARK(summarizeMapFile)->Unit(benchmark::kMillisecond);
BENCHMARK(renderTopDownPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(renderIsometricPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeIntoWorld)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
