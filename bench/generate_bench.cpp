// How long each stage of making a map takes, in run order, and the whole run
// in one process. Every stage starts from the world the earlier stages of the
// seed-1 default map leave, so its figure is the figure it has in a real run.
// The world is already in memory here: first-touch page faults show only in
// whole-process timings (bench/time-runs).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "api/pipeline.h"
#include "random/random.h"
#include "support/row_jobs.h"
#include "tests/shared/reference_encoder.h"
#include "vxl/encoder.h"
#include "vxl/writer.h"
#include "world/coloring.h"
#include "world/structures.h"
#include "world/terrain.h"
#include "world/world.h"

using namespace qormap;

namespace {

constexpr uint32_t benchSeed = 1;
const float benchBumpiness = bumpinessFromPercent(defaultBumpinessPercent);

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
    shapeTerrain(benchBumpiness);
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
    colorTerrain(1, colorTopHeight(benchBumpiness));
}

// A whole default map, pillars, connectors and outlines included.
void prepareMap(int32_t pillars, int32_t connectors) {
    if (!generateMap(deriveParameters(static_cast<int32_t>(benchSeed), defaultBumpinessPercent,
                                      pillars, connectors, false))) {
        std::abort();
    }
}

// Runs the stage on the thread count the benchmark names in its last argument.
void useThreads(benchmark::State& state, int index) {
    setWorkerCount(static_cast<int32_t>(state.range(index)));
}

std::string scratchPath() {
    return "/tmp/qormap-bench-" + std::to_string(getpid()) + ".vxl";
}

void baseNoise(benchmark::State& state) {
    useThreads(state, 0);
    for (auto _ : state) {
        prepareThrough(Stage::baseNoise);
        fillBaseNoise();
    }
}

void shaping(benchmark::State& state) {
    prepareThrough(Stage::shaping);
    for (auto _ : state) {
        shapeTerrain(benchBumpiness);
    }
}

void columns(benchmark::State& state) {
    useThreads(state, 0);
    prepareThrough(Stage::columns);
    for (auto _ : state) {
        buildColumns();
    }
}

void detail(benchmark::State& state) {
    useThreads(state, 0);
    for (auto _ : state) {
        state.PauseTiming();
        prepareThrough(Stage::detail);
        state.ResumeTiming();
        addTerrainDetail();
    }
}

void coloring(benchmark::State& state) {
    useThreads(state, 0);
    prepareThrough(Stage::coloring);
    for (auto _ : state) {
        colorTerrain(1, colorTopHeight(benchBumpiness));
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

// Every column record into memory, in file order, the threads taking bands
// of 32 rows as the writer does.
void encoding(benchmark::State& state) {
    constexpr int32_t bandRows = 32;
    constexpr int32_t bands = worldSizeY / bandRows;
    prepareMap(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    useThreads(state, 2);
    std::unique_ptr<uint8_t[]> buffers[bands];
    for (auto& buffer : buffers) {
        buffer.reset(new uint8_t[maxRecordBytes * worldSizeX * bandRows]);
    }
    for (auto _ : state) {
        forEachRowChunk(0, worldSizeY, bandRows, [&](int32_t first, int32_t end) {
            benchmark::DoNotOptimize(encodeRows(buffers[first / bandRows].get(), first, end));
        });
    }
}

// The writer's whole call: encode on every thread and put the file in place.
void writing(benchmark::State& state) {
    useThreads(state, 2);
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
    useThreads(state, 2);
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

// Stages that split rows across threads run on one thread and on two.
void threads(benchmark::internal::Benchmark* b) {
    b->ArgName("threads")->DenseRange(1, 2)->Unit(benchmark::kMillisecond);
}

// Default and most crowded maps, each on one thread and on two.
void maps(benchmark::internal::Benchmark* b) {
    b->ArgNames({"p", "c", "threads"});
    for (int64_t threads : {1, 2}) {
        b->Args({defaultPillarCount, defaultConnectorCount, threads});
        b->Args({maxPlacementCount, maxPlacementCount, threads});
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(baseNoise)->Apply(threads);
BENCHMARK(shaping)->Unit(benchmark::kMillisecond);
BENCHMARK(columns)->Apply(threads);
BENCHMARK(detail)->Apply(threads);
BENCHMARK(coloring)->Apply(threads);
BENCHMARK(pillars)->Arg(defaultPillarCount)->Arg(maxPlacementCount)->Unit(benchmark::kMillisecond);
BENCHMARK(connectors)
    ->Arg(defaultConnectorCount)
    ->Arg(maxPlacementCount)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(flip)->Unit(benchmark::kMillisecond);
BENCHMARK(encoding)->Apply(maps);
BENCHMARK(writing)->Apply(maps);
BENCHMARK(wholeRun)->Apply(maps);

int main(int argc, char** argv) {
    // As the program does, so that the stages touch the world as they do there.
    adviseWorldPages();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
