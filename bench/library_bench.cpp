// What a server pays per map through the C interface: a whole map made in
// memory, the world's pages given back after it, against the same work with
// the world kept resident; and the resident memory left between maps.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>

#include "api/pipeline.h"
#include "qormap/qormap.h"
#include "support/row_jobs.h"
#include "vxl/memory_sink.h"
#include "world/world.h"

using namespace qormap;

namespace {

// Resident memory of this process in MiB, from /proc; 0 where unavailable.
double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1 << 20);
}

// One map per iteration, seeds 1, 2, 3, ... as a server's rounds would ask.
void generateInMemory(benchmark::State& state) {
    int32_t seed = 1;
    for (auto _ : state) {
        const qormap_options options = qormap_default_options(seed++);
        unsigned char* data = nullptr;
        size_t size = 0;
        if (qormap_generate(&options, &data, &size) != QORMAP_OK) {
            std::abort();
        }
        benchmark::DoNotOptimize(data);
        qormap_free(data);
    }
    state.counters["resident_MiB_after"] = residentMiB();
}

// The same maps with the world kept between them: what giving it back costs.
void generateKeepingTheWorld(benchmark::State& state) {
    const RowJobHelpers helpers;  // as a call of the library has them
    int32_t seed = 1;
    for (auto _ : state) {
        const GenerationParameters parameters = deriveParameters(
            seed++, defaultBumpinessPercent, defaultPillarCount, defaultConnectorCount, false);
        MapBuffer map;
        int error = 0;
        if (!generateMap(parameters) || !encodeIntoMemory(map, error)) {
            std::abort();
        }
        benchmark::DoNotOptimize(map.data);
        std::free(map.data);
    }
    state.counters["resident_MiB_after"] = residentMiB();
    releaseWorldPages();
}

// Encoding alone, a default map into the caller's memory.
void encodingIntoMemory(benchmark::State& state) {
    const RowJobHelpers helpers;
    const GenerationParameters parameters = deriveParameters(
        1, defaultBumpinessPercent, defaultPillarCount, defaultConnectorCount, false);
    if (!generateMap(parameters)) {
        std::abort();
    }
    for (auto _ : state) {
        MapBuffer map;
        int error = 0;
        if (!encodeIntoMemory(map, error)) {
            std::abort();
        }
        benchmark::DoNotOptimize(map.data);
        std::free(map.data);
    }
    releaseWorldPages();
}

// Starting a map's helper threads and joining them again, which every call pays.
void startingHelpers(benchmark::State& state) {
    for (auto _ : state) {
        const RowJobHelpers helpers;
    }
}

// Giving the pages of a fully touched world back, alone.
void releasingTheWorld(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        clearWorld();
        state.ResumeTiming();
        releaseWorldPages();
    }
}

}  // namespace

BENCHMARK(generateInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(generateKeepingTheWorld)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(encodingIntoMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(startingHelpers)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(releasingTheWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    adviseWorldPages();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
