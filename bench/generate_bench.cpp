// How long each stage of making a map takes, in run order, and the whole run
// in one process. Every stage starts from the world the earlier stages of the
// seed-1 default map leave, so its figure is the figure it has in a real run.
// The world is already in memory here: first-touch page faults show only in
// whole-process timings (bench/time-runs).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/pipeline.h"
#include "random/random.h"
#include "vxl/writer.h"
#include "world/coloring.h"
#include "world/structures.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

constexpr uint32_t benchSeed = 1;

enum class Stage { baseNoise, shaping, columns, detail, coloring, structures };

// Runs the default map's stages before `next`, from a fresh seed.
void prepareThrough(Stage next) {
    seedRandom(benchSeed);
    if (next == Stage::baseNoise) {
        return;
    }
    fillBaseNoise();
    if (next == Stage::shaping) {
        return;
    }
    shapeTerrain(defaultBumpiness);
    if (next == Stage::columns) {
        return;
    }
    buildColumns();
    if (next == Stage::detail) {
        return;
    }
    addTerrainDetail();
    if (next == Stage::coloring) {
        return;
    }
    colorTerrain(1, colorTopHeight(defaultBumpiness));
}

// A whole default map, pillars, connectors and outlines included.
void prepareMap(int32_t pillars, int32_t connectors) {
    const std::string p = std::to_string(pillars);
    const std::string c = std::to_string(connectors);
    const char* values[256] = {};
    values[static_cast<unsigned char>('p')] = p.c_str();
    values[static_cast<unsigned char>('c')] = c.c_str();
    seedRandom(benchSeed);
    if (!generateMap(values)) {
        std::abort();
    }
}

std::string scratchPath() {
    return "/tmp/qormap-bench-" + std::to_string(getpid()) + ".vxl";
}

void baseNoise(benchmark::State& state) {
    for (auto _ : state) {
        prepareThrough(Stage::baseNoise);
        fillBaseNoise();
    }
}

void shaping(benchmark::State& state) {
    prepareThrough(Stage::shaping);
    for (auto _ : state) {
        shapeTerrain(defaultBumpiness);
    }
}

void columns(benchmark::State& state) {
    prepareThrough(Stage::columns);
    for (auto _ : state) {
        buildColumns();
    }
}

void detail(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        prepareThrough(Stage::detail);
        state.ResumeTiming();
        addTerrainDetail();
    }
}

void coloring(benchmark::State& state) {
    prepareThrough(Stage::coloring);
    for (auto _ : state) {
        colorTerrain(1, colorTopHeight(defaultBumpiness));
    }
}

void pillars(benchmark::State& state) {
    const auto count = static_cast<int32_t>(state.range(0));
    prepareThrough(Stage::structures);
    for (auto _ : state) {
        clearPillars();
        benchmark::DoNotOptimize(placePillars(count));
    }
    clearPillars();
}

void connectors(benchmark::State& state) {
    const auto count = static_cast<int32_t>(state.range(0));
    prepareThrough(Stage::structures);
    for (auto _ : state) {
        state.PauseTiming();
        seedRandom(benchSeed);
        clearPillars();
        if (!placePillars(count)) {
            std::abort();
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(placeConnectors(count));
    }
    clearPillars();
}

void flip(benchmark::State& state) {
    prepareMap(defaultPillarCount, defaultConnectorCount);
    for (auto _ : state) {
        flipWorld();
    }
}

// Every column record into memory, in file order, with no file behind it.
void encoding(benchmark::State& state) {
    prepareMap(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    flipWorld();
    for (auto _ : state) {
        char* buffer = nullptr;
        size_t size = 0;
        std::FILE* stream = open_memstream(&buffer, &size);
        for (int32_t y = 0; y < worldSizeY; ++y) {
            for (int32_t x = 0; x < worldSizeX; ++x) {
                encodeColumn(stream, x, y);
            }
        }
        std::fclose(stream);
        std::free(buffer);
    }
}

// The writer's whole call: flip, encode and put the file in place.
void writing(benchmark::State& state) {
    prepareMap(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    const std::string path = scratchPath();
    for (auto _ : state) {
        if (writeVxl(path.c_str()).status != VxlWriteStatus::ok) {
            state.SkipWithError("cannot write the map");
            break;
        }
    }
    std::remove(path.c_str());
}

void wholeRun(benchmark::State& state) {
    const std::string path = scratchPath();
    for (auto _ : state) {
        prepareMap(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
        if (writeVxl(path.c_str()).status != VxlWriteStatus::ok) {
            state.SkipWithError("cannot write the map");
            break;
        }
    }
    std::remove(path.c_str());
    clearPillars();
}

}  // namespace

BENCHMARK(baseNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(shaping)->Unit(benchmark::kMillisecond);
BENCHMARK(columns)->Unit(benchmark::kMillisecond);
BENCHMARK(detail)->Unit(benchmark::kMillisecond);
BENCHMARK(coloring)->Unit(benchmark::kMillisecond);
BENCHMARK(pillars)->Arg(defaultPillarCount)->Arg(maxPlacementCount)->Unit(benchmark::kMillisecond);
BENCHMARK(connectors)
    ->Arg(defaultConnectorCount)
    ->Arg(maxPlacementCount)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(flip)->Unit(benchmark::kMillisecond);
BENCHMARK(encoding)
    ->Args({defaultPillarCount, defaultConnectorCount})
    ->Args({maxPlacementCount, maxPlacementCount})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(writing)
    ->Args({defaultPillarCount, defaultConnectorCount})
    ->Args({maxPlacementCount, maxPlacementCount})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(wholeRun)
    ->Args({defaultPillarCount, defaultConnectorCount})
    ->Args({maxPlacementCount, maxPlacementCount})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
